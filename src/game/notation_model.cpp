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

std::string TNotationModell::ZugText(const TZug& zug) {
  std::string text;
  auto feld = [](int index) { return FeldnameVonIndex(index); };
  auto anhang = [&] {
    if (zug.Zeichen & Schach) text += '+';
    if (zug.Zeichen & Matt) text += '#';
  };
  auto bewertung = [&] {
    text += ZugbewertungText(zug.Zugbewertung);
    if (const uint8_t z = BewertungsZeichen(zug.Stellungsbewertung)) text += static_cast<char>(z);
  };
  if (zug.Rochade != KeineRochade) {
    switch (zug.Rochade) {
      case KurzeRochade:
        text = "O-O";
        break;
      case LangeRochade:
        text = "O-O-O";
        break;
      case FischerKurz:
        text = "o-o";
        break;
      default:
        text = "o-o-o";
        break;
    }
    anhang();
    bewertung();
    return text;
  }
  const TSchachbrett& brett = Arbeitsbrett();
  const bool gueltigVon = zug.Von >= 0 && zug.Von < 120;
  const bool gueltigNach = zug.Nach >= 0 && zug.Nach < 120;
  const int32_t figur = gueltigVon ? brett[zug.Von] : Leer;
  const bool besetzt = gueltigNach && brett[zug.Nach] != Leer && brett[zug.Nach] != Rand;
  const std::string_view von = feld(zug.Von);
  if ((std::abs(figur) == Bauer && besetzt) || zug.EPSchlagfeld != 0) {
    text += von.substr(0, 1);
  } else if (figur != Leer && figur != Rand) {
    text += Buchstabe(std::abs(figur));
  }
  if (zug.Zeichen & ZeigtLinie) text += von.substr(0, 1);
  if ((zug.Zeichen & ZeigtReihe) && von.size() == 2) text += von.substr(1, 1);
  if (besetzt || zug.EPSchlagfeld != 0) text += 'x';
  text += feld(zug.Nach);
  if (zug.Umwandlung != 0) {
    text += '=';
    text += Buchstabe(std::abs(zug.Umwandlung));
  }
  anhang();
  bewertung();
  if (figur == Leer || figur == Rand) LesefehlerMelden();
  return text;
}

}  // namespace brevaro
