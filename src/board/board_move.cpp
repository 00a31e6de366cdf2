#include "board/board_move.h"

namespace brevaro {

namespace {

int Nummer(int index) {
  return FeldNummer(static_cast<uint8_t>(index));
}
int8_t Index(int nummer) {
  return static_cast<int8_t>(FeldIndex(static_cast<uint8_t>(nummer)));
}

}  // namespace

void ZugBauen(const TSchachbrett& stellung, TZug& zug, int von, int nach, int umwandlung,
              bool fischer, const TFischerInfo* info,
              const std::function<int(int)>& umwandlungswahl) {
  if (info && !info->Fischer) info = nullptr;  // a record of a standard game
  const int c = stellung[von];
  zug.Von = static_cast<int8_t>(von);
  zug.Nach = static_cast<int8_t>(nach);
  zug.Geschlagen = static_cast<int8_t>(stellung[nach] == Rand ? 0 : stellung[nach]);
  zug.Zeichen = 0;
  zug.Zugbewertung = 0;
  zug.EPSchlagfeld = 0;
  zug.EnPassant = 0;
  zug.Umwandlung = 0;
  zug.Rochade = KeineRochade;
  auto frage = [&](int farbe) { return umwandlungswahl ? umwandlungswahl(farbe) : 0; };
  const int diff = Nummer(nach) - Nummer(von);
  switch (c) {
    case Koenig:
    case -Koenig: {
      const bool weiss = c > 0;
      int start = weiss ? 25 : 95;
      if (fischer && info) start = weiss ? info->WeissKoenig : info->SchwarzKoenig;
      if (von == start) {
        if (nach == (weiss ? 23 : 93)) zug.Rochade = fischer ? FischerLang : LangeRochade;
        if (nach == (weiss ? 27 : 97)) zug.Rochade = fischer ? FischerKurz : KurzeRochade;
      }
      zug.Rochaderechte &= weiss ? ~(WeissKurz | WeissLang) : ~(SchwarzKurz | SchwarzLang);
      break;
    }
    case Turm: {
      const int kurz = info ? info->WeissTurm2 : 28;
      const int lang = info ? info->WeissTurm1 : 21;
      if (von == kurz) zug.Rochaderechte &= ~WeissKurz;
      if (von == lang) zug.Rochaderechte &= ~WeissLang;
      break;
    }
    case -Turm: {
      const int kurz = info ? info->SchwarzTurm2 : 98;
      const int lang = info ? info->SchwarzTurm1 : 91;
      if (von == kurz) zug.Rochaderechte &= ~SchwarzKurz;
      if (von == lang) zug.Rochaderechte &= ~SchwarzLang;
      break;
    }
    case Bauer:
      if (diff == 16) zug.EnPassant = static_cast<uint8_t>(Index(Nummer(nach) - 8));
      if ((diff == 7 || diff == 9) && stellung[nach] == Leer && von >= 59 && von <= 70)
        zug.EPSchlagfeld = Index(Nummer(nach) - 8);
      if (umwandlung == -1) {
        if (Nummer(nach) > 55) zug.Umwandlung = static_cast<int8_t>(frage(+1));
      } else {
        zug.Umwandlung = static_cast<int8_t>(umwandlung);
      }
      break;
    case -Bauer:
      if (diff == -16) zug.EnPassant = static_cast<uint8_t>(Index(Nummer(nach) + 8));
      if ((diff == -7 || diff == -9) && stellung[nach] == Leer && von >= 49 && von <= 60)
        zug.EPSchlagfeld = Index(Nummer(nach) + 8);
      if (umwandlung == -1) {
        if (Nummer(nach) < 8) zug.Umwandlung = static_cast<int8_t>(frage(-1));
      } else {
        zug.Umwandlung = static_cast<int8_t>(umwandlung);
      }
      break;
    default:
      break;
  }
  if (nach == 21) zug.Rochaderechte &= ~WeissLang;
  if (nach == 28) zug.Rochaderechte &= ~WeissKurz;
  if (nach == 91) zug.Rochaderechte &= ~SchwarzLang;
  if (nach == 98) zug.Rochaderechte &= ~SchwarzKurz;
  zug.AmZug = static_cast<int8_t>(-zug.AmZug);
}

}  // namespace brevaro
