#include "game/notation_model.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "game/text_buffer.h"

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

void TNotationModell::BaumZuruecksetzen() {
  NeuePartie();
  LinieFreigeben(Wurzel);
  Aktuell = nullptr;
  AktuelleLinie = nullptr;
  LetzterKnoten = nullptr;
}

void TNotationModell::Zuruecksetzen() {
  BaumZuruecksetzen();
  NotationAufbauen();
}

// ---------------------------------------------------------------------------
// Move text

namespace {

// The name of a mailbox square: "e4"; no characters off the board. By table,
// indexed by the record's square as an unsigned byte.
struct TFeldname {
  bool Gueltig;
  char Linie;
  char Reihe;
};

constexpr auto Feldnamen = [] {
  std::array<TFeldname, 256> namen{};
  for (int index = 21; index <= 98; ++index) {
    const int linie = index % 10;
    if (linie < 1 || linie > 8) continue;
    namen[static_cast<size_t>(index)] = {true, static_cast<char>('a' + linie - 1),
                                         static_cast<char>('1' + index / 10 - 2)};
  }
  return namen;
}();

const TFeldname& Feldname(int8_t index) {
  return Feldnamen[static_cast<uint8_t>(index)];
}

}  // namespace

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

std::string TNotationModell::ZugText(const TZug& zug) {
  std::string text;
  TTextpuffer puffer(text);
  ZugTextAnhaengen(zug, puffer);
  puffer.Leeren();
  return text;
}

void TNotationModell::ZugTextAnhaengen(const TZug& zug, TTextpuffer& text) {
  // The move's characters are written straight into the buffer of `text`; a
  // longer piece (a letter of the user's own) goes through `text` itself.
  constexpr size_t Raum = 32;     // at most 12 single characters and one short piece
  constexpr size_t Reserve = 16;  // kept free for the single characters
  char* zeichen = text.Platz(Raum);
  size_t k = 0;
  // Inlined, so that `k` stays out of memory, where every character written
  // would have to reload it.
  auto teil = [&](std::string_view s) __attribute__((always_inline)) {
    if (s.size() + Reserve > Raum - k) {
      text.Geschrieben(k);
      text += s;
      zeichen = text.Platz(Raum);
      k = 0;
      return;
    }
    for (const char c : s) zeichen[k++] = c;
  };
  // The language's letter without a call when no letters of the user's own apply.
  const bool eigene = EigeneBuchstaben_ && !PGNModus;
  const auto& sprache = English_ ? EnglischeFigurenbuchstaben : DeutscheFigurenbuchstaben;
  auto buchstabe = [&](int art) __attribute__((always_inline)) {
    if (eigene || art > Koenig) {
      teil(Buchstabe(art));
    } else if (const char b = sprache[static_cast<size_t>(art)]) {
      zeichen[k++] = b;
    }
  };

  const TSchachbrett& brett = Arbeitsbrett();
  int32_t figur = Leer;
  const bool nullzug = IstNullzug(zug);
  if (zug.Rochade != KeineRochade) {
    // Fischer Random castling in this program's own dialect is "o-o"; a game
    // read in Chess960 notation keeps "O-O".
    static constexpr std::string_view rochaden[] = {"O-O", "O-O-O", "o-o", "o-o-o"};
    int art = std::min<int>(zug.Rochade, FischerLang);
    if (art >= FischerKurz && Zustand.FischerInfo && Zustand.FischerInfo->Fischer >= FischerXFEN)
      art -= 2;
    teil(rochaden[art - 1]);
  } else if (nullzug) {
    zeichen[k++] = '-';
    zeichen[k++] = '-';
  } else {
    figur = zug.Von >= 0 && zug.Von < 120 ? brett[zug.Von] : Leer;
    const bool besetzt =
        zug.Nach >= 0 && zug.Nach < 120 && brett[zug.Nach] != Leer && brett[zug.Nach] != Rand;
    const bool schlaegt = besetzt || zug.EPSchlagfeld != 0;
    const TFeldname& von = Feldname(zug.Von);
    const TFeldname& nach = Feldname(zug.Nach);
    if ((std::abs(figur) == Bauer && besetzt) || zug.EPSchlagfeld != 0) {
      if (von.Gueltig) zeichen[k++] = von.Linie;
    } else if (figur != Leer && figur != Rand) {
      buchstabe(std::abs(figur));
    }
    if ((zug.Zeichen & ZeigtLinie) && von.Gueltig) zeichen[k++] = von.Linie;
    if ((zug.Zeichen & ZeigtReihe) && von.Gueltig) zeichen[k++] = von.Reihe;
    if (schlaegt) zeichen[k++] = 'x';
    if (nach.Gueltig) {
      zeichen[k++] = nach.Linie;
      zeichen[k++] = nach.Reihe;
    }
    if (zug.Umwandlung != 0) {
      zeichen[k++] = '=';
      buchstabe(std::abs(zug.Umwandlung));
    }
  }
  if (zug.Zeichen & Schach) zeichen[k++] = '+';
  if (zug.Zeichen & Matt) zeichen[k++] = '#';
  if (zug.Zugbewertung != 0) teil(ZugbewertungText(zug.Zugbewertung));
  if (zug.Stellungsbewertung != 0) {
    if (const uint8_t z = BewertungsZeichen(zug.Stellungsbewertung))
      zeichen[k++] = static_cast<char>(z);
  }
  text.Geschrieben(k);
  if (zug.Rochade == KeineRochade && !nullzug && (figur == Leer || figur == Rand)) {
    text.Leeren();  // the report sees the text as far as it goes
    LesefehlerMelden();
  }
}

}  // namespace brevaro
