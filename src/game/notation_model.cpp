#include "game/notation_model.h"

#include <cstdlib>

namespace brevaro {

// ---------------------------------------------------------------------------
// Life cycle

TNotationModell::TNotationModell() {
  Partiedaten.Kopf.OtherTags = &AndereTags;
  NeuePartie();
  NotationAufbauen();
}

TNotationModell::~TNotationModell() {
  LinieFreigeben(Wurzel);
}

void TNotationModell::SetGameChanged(bool wert) {
  GameChanged_ = wert;
  if (wert && OnGameChanged) OnGameChanged();
}

void TNotationModell::SetEnglish(bool wert) {
  if (wert == English_) return;
  English_ = wert;
  NotationAufbauen();
}

// ---------------------------------------------------------------------------
// Building and disposing of the tree

TBaum* TNotationModell::NeuerKnoten(const TZug& zug) {
  LetzterKnoten = new TBaum;
  LetzterKnoten->Zug = zug;
  return LetzterKnoten;
}

void TNotationModell::Anhaengen() {
  TBaum* n = LetzterKnoten;
  if (!n || !AktuelleLinie) return;
  if (!AktuelleLinie->Erster) {
    AktuelleLinie->Erster = n;
    if (Aktuell) n->Zurueck = Aktuell;
  } else {
    n->Zurueck = Aktuell;
    if (Aktuell) Aktuell->Naechster = n;
  }
  Aktuell = n;
}

void TNotationModell::NeueVariante() {
  if (!Aktuell) return;
  auto* zelle = new TVariante;
  if (!AktuelleLinie) {
    Aktuell->Varianten = zelle;
  } else {
    TVariante* letzte = AktuelleLinie;
    while (letzte->Naechste) letzte = letzte->Naechste;
    zelle->Vorige = letzte;
    letzte->Naechste = zelle;
  }
  AktuelleLinie = zelle;
}

void TNotationModell::NeuePartie() {
  GameChanged_ = false;
  Arbeitsbrett() = GrundstellungBrett;
  KopfdatenLoeschen(Partiedaten.Kopf);
  Partiedaten.Vorkommentar.clear();
  Partiedaten.StartBrett = GrundstellungBrett;
  Partiedaten.StartZugNummer = 1;
  Partiedaten.StartZug = TZug{};
  Partiedaten.StartZug.Rochaderechte = AlleRochaderechte;
  Partiedaten.StartZug.AmZug = 1;
  AktuellerZug() = Partiedaten.StartZug;
  if (OnMoveChange) OnMoveChange(Partiedaten.StartZug, Partiedaten.StartBrett, false);
}

void TNotationModell::Zuruecksetzen() {
  NeuePartie();
  LinieFreigeben(Wurzel);
  Aktuell = nullptr;
  AktuelleLinie = nullptr;
  LetzterKnoten = nullptr;
  NotationAufbauen();
}

// ---------------------------------------------------------------------------
// Move text

void TNotationModell::FigurenBuchstaben(const TEigeneBuchstaben& buchstaben) {
  Eigene = buchstaben;
  EigeneBuchstaben_ = false;
  for (const auto& b : Eigene) EigeneBuchstaben_ = EigeneBuchstaben_ || !b.empty();
  NotationAufbauen();
}

std::string_view TNotationModell::Buchstabe(int art) const {
  if (EigeneBuchstaben_ && !PGNModus) {
    const int i = EigenerBuchstabenIndex(art);
    // A kind without its own letter keeps the language's letter.
    if (i >= 0 && !Eigene[i].empty()) return Eigene[i];
  }
  return Figurenbuchstabe(art, English_);
}

void TNotationModell::LesefehlerMelden() {
  if (Lesefehler) return;
  if (OnError) {
    if (English_) {
      OnError(std::string(LesefehlerEnglisch));
    } else {
      OnError(std::string(LesefehlerDeutsch) + '\r' + std::string(NichtSpeichernHinweis));
    }
  }
  Lesefehler = true;
}

namespace {

// The name of a mailbox square as text: "e4"; empty off the board.
class TFeldname {
 public:
  explicit TFeldname(int index) {
    const int linie = index % 10;
    if (index >= 21 && index <= 98 && linie >= 1 && linie <= 8) {
      name_[0] = static_cast<char>('a' + linie - 1);
      name_[1] = static_cast<char>('1' + index / 10 - 2);
      laenge_ = 2;
    }
  }
  std::string_view Name() const { return {name_, laenge_}; }
  std::string_view Linie() const { return {name_, laenge_ > 0 ? 1u : 0u}; }
  std::string_view Reihe() const { return {name_ + 1, laenge_ > 0 ? 1u : 0u}; }

 private:
  char name_[2] = {};
  size_t laenge_ = 0;
};

}  // namespace

std::string TNotationModell::ZugText(const TZug& zug) {
  std::string text;
  ZugTextAnhaengen(zug, text);
  return text;
}

void TNotationModell::ZugTextAnhaengen(const TZug& zug, std::string& text) {
  auto anhang = [&] {
    if (zug.Zeichen & Schach) text += '+';
    if (zug.Zeichen & Matt) text += '#';
    text += ZugbewertungText(zug.Zugbewertung);
    if (const uint8_t z = BewertungsZeichen(zug.Stellungsbewertung)) text += static_cast<char>(z);
  };
  if (zug.Rochade != KeineRochade) {
    switch (zug.Rochade) {
      case KurzeRochade:
        text += "O-O";
        break;
      case LangeRochade:
        text += "O-O-O";
        break;
      case FischerKurz:
        text += "o-o";
        break;
      default:
        text += "o-o-o";
        break;
    }
    anhang();
    return;
  }
  const TSchachbrett& brett = Arbeitsbrett();
  const bool gueltigVon = zug.Von >= 0 && zug.Von < 120;
  const bool gueltigNach = zug.Nach >= 0 && zug.Nach < 120;
  const int32_t figur = gueltigVon ? brett[zug.Von] : Leer;
  const bool besetzt = gueltigNach && brett[zug.Nach] != Leer && brett[zug.Nach] != Rand;
  const TFeldname von(zug.Von);
  if ((std::abs(figur) == Bauer && besetzt) || zug.EPSchlagfeld != 0) {
    text += von.Linie();
  } else if (figur != Leer && figur != Rand) {
    text += Buchstabe(std::abs(figur));
  }
  if (zug.Zeichen & ZeigtLinie) text += von.Linie();
  if (zug.Zeichen & ZeigtReihe) text += von.Reihe();
  if (besetzt || zug.EPSchlagfeld != 0) text += 'x';
  text += TFeldname(zug.Nach).Name();
  if (zug.Umwandlung != 0) {
    text += '=';
    text += Buchstabe(std::abs(zug.Umwandlung));
  }
  anhang();
  if (figur == Leer || figur == Rand) LesefehlerMelden();
}

}  // namespace brevaro
