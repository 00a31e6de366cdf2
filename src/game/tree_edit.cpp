#include "game/tree_edit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/moves.h"

namespace brevaro {

namespace {

bool IstFeld(int index) {
  return index >= 21 && index <= 98 && index % 10 != 0 && index % 10 != 9;
}

const TFischerInfo* Aktiv(const TFischerInfo* fischer) {
  return fischer && fischer->Fischer ? fischer : nullptr;
}

int Koenigsfeld(const TSchachbrett& brett, int seite) {
  for (int i = 21; i <= 98; ++i) {
    if (brett[static_cast<size_t>(i)] == seite * Koenig) return i;
  }
  return 0;
}

// The same move as a tree node holds: squares, castling and promotion.
bool GleicherZug(const TZug& a, const TZug& b) {
  return a.Von == b.Von && a.Nach == b.Nach && a.Umwandlung == b.Umwandlung &&
         (a.Rochade != KeineRochade) == (b.Rochade != KeineRochade);
}

// The tree below `wurzel` copied.
TVariante* BaumKopieren(const TVariante* wurzel) {
  if (!wurzel) return nullptr;
  struct TAuftrag {
    const TVariante* Quelle;
    TVariante* Ziel;
    TBaum* Zurueck;
  };
  auto zelleKopieren = [](const TVariante* q) {
    auto* z = new TVariante;
    z->Kommentar = q->Kommentar;
    z->Rest.assign(q->Rest.str());
    return z;
  };
  TVariante* kopie = zelleKopieren(wurzel);
  std::vector<TAuftrag> offen{{wurzel, kopie, nullptr}};
  while (!offen.empty()) {
    const TAuftrag a = offen.back();
    offen.pop_back();
    TBaum* vorher = nullptr;
    for (const TBaum* q = a.Quelle->Erster; q; q = q->Naechster) {
      auto* k = new TBaum;
      k->Zug = q->Zug;
      k->Kommentar = q->Kommentar;
      k->Rest.assign(q->Rest.str());
      k->WeitereNags.assign(q->WeitereNags.str());
      if (vorher) {
        vorher->Naechster = k;
        k->Zurueck = vorher;
      } else {
        a.Ziel->Erster = k;
        k->Zurueck = a.Zurueck;
      }
      TVariante* letzte = nullptr;
      for (const TVariante* v = q->Varianten; v; v = v->Naechste) {
        TVariante* z = zelleKopieren(v);
        z->Vorige = letzte;
        (letzte ? letzte->Naechste : k->Varianten) = z;
        letzte = z;
        offen.push_back({v, z, k});
      }
      vorher = k;
    }
  }
  return kopie;
}

// A node's path from the first move of the game: n >= 0 follows Naechster n
// times, -k enters the k-th variation of the node reached.
std::vector<int32_t> PfadZu(const TBaum* knoten) {
  std::vector<int32_t> pfad;
  while (knoten) {
    int32_t schritte = 0;
    while (knoten->Zurueck && knoten->Zurueck->Naechster == knoten) {
      knoten = knoten->Zurueck;
      ++schritte;
    }
    if (schritte > 0) pfad.push_back(schritte);
    const TBaum* m = knoten->Zurueck;
    if (!m) break;
    int32_t k = 1;
    for (const TVariante* v = m->Varianten; v && v->Erster != knoten; v = v->Naechste) ++k;
    pfad.push_back(-k);
    knoten = m;
  }
  std::reverse(pfad.begin(), pfad.end());
  return pfad;
}

TBaum* KnotenAus(const TVariante* wurzel, const std::vector<int32_t>& pfad) {
  TBaum* n = wurzel ? wurzel->Erster : nullptr;
  for (const int32_t s : pfad) {
    if (s >= 0) {
      for (int32_t i = 0; i < s && n; ++i) n = n->Naechster;
    } else if (n) {
      TVariante* v = n->Varianten;
      for (int32_t i = 1; i < -s && v; ++i) v = v->Naechste;
      n = v ? v->Erster : nullptr;
    }
  }
  return n;
}

// The first move of the line holding `knoten`.
TBaum* Linienanfang(TBaum* knoten) {
  while (knoten->Zurueck && knoten->Zurueck->Naechster == knoten) knoten = knoten->Zurueck;
  return knoten;
}

// The cell whose first move is `erster` (a variation's, not the main line's).
TVariante*& ZelleVon(TBaum* erster) {
  TBaum* m = erster->Zurueck;
  TVariante** ort = &m->Varianten;
  while ((*ort)->Erster != erster) ort = &(*ort)->Naechste;
  return *ort;
}

// The nodes from the first move to `knoten`, in playing order.
std::vector<const TBaum*> Pfad(const TBaum* knoten) {
  std::vector<const TBaum*> pfad;
  for (; knoten; knoten = Vorgaenger(knoten)) pfad.push_back(knoten);
  std::reverse(pfad.begin(), pfad.end());
  return pfad;
}

// A position as the repetition rule compares it.
struct TSchluessel {
  TSchachbrett Brett;
  int8_t AmZug;
  uint8_t Rochaderechte;
  uint8_t EnPassant;
  bool operator==(const TSchluessel&) const = default;
};

TSchluessel Schluessel(const TSchachbrett& brett, const TZug& stand, const TFischerInfo* fischer) {
  uint8_t ep = 0;
  if (stand.EnPassant != 0) {
    const int seite = stand.AmZug;
    for (const int von : {stand.EnPassant - 10 * seite - 1, stand.EnPassant - 10 * seite + 1}) {
      TZug zug;
      if (IstFeld(von) && brett[static_cast<size_t>(von)] == seite * Bauer &&
          ZugBilden(brett, stand, von, stand.EnPassant, 0, false, fischer, zug)) {
        ep = stand.EnPassant;
      }
    }
  }
  return {brett, stand.AmZug, stand.Rochaderechte, ep};
}

}  // namespace

// ---------------------------------------------------------------------------
// Moves and rules

bool ZugBilden(const TSchachbrett& brett, const TZug& stand, int von, int nach, int umwandlung,
               bool fischerRochade, const TFischerInfo* fischer, TZug& zug) {
  fischer = Aktiv(fischer);
  if (!IstFeld(von) || !IstFeld(nach)) return false;
  const int seite = stand.AmZug;
  const int figur = brett[static_cast<size_t>(von)];
  if (figur * seite <= 0 || seite * seite != 1) return false;
  const int art = std::abs(figur);
  zug = TZug{};
  zug.AmZug = static_cast<int8_t>(seite);
  zug.Rochaderechte = stand.Rochaderechte;
  zug.Von = static_cast<int8_t>(von);
  zug.Nach = static_cast<int8_t>(nach);
  if (fischerRochade && (!fischer || art != Koenig)) return false;
  if (fischerRochade && brett[static_cast<size_t>(nach)] != seite * Turm) {
    if (nach / 10 != von / 10 || (nach % 10 != 3 && nach % 10 != 7)) return false;
    zug.Rochade = nach % 10 == 7 ? FischerKurz : FischerLang;
  } else if (art == Koenig) {
    KoenigszugAlsRochade(brett, zug, fischer);
  }
  if (zug.Rochade == KeineRochade) {
    const int ziel = brett[static_cast<size_t>(nach)];
    if (ziel * seite > 0 || von == nach) return false;
    zug.Geschlagen = static_cast<int8_t>(ziel);
  }
  if (art == Bauer) {
    const bool letzteReihe = seite == 1 ? nach / 10 == 9 : nach / 10 == 2;
    if (letzteReihe) {
      const int u = std::abs(umwandlung);
      if (u < Turm || u > Dame) return false;
      zug.Umwandlung = static_cast<int8_t>(u * seite);
    }
    if (nach == stand.EnPassant && stand.EnPassant != 0 && std::abs(nach - von) != 10 &&
        std::abs(nach - von) != 20 && brett[static_cast<size_t>(nach)] == Leer) {
      zug.EPSchlagfeld = static_cast<int8_t>(nach - 10 * seite);
      zug.Geschlagen = static_cast<int8_t>(-seite);
    }
  }
  TSchachbrett b = brett;
  if (!ZugErlaubt(b, zug, stand.EnPassant, fischer)) return false;
  RochaderechteAnpassen(brett, zug, fischer);
  if (art == Bauer && nach - von == 20 * seite)
    zug.EnPassant = static_cast<uint8_t>(von + 10 * seite);
  zug.AmZug = static_cast<int8_t>(-seite);
  return true;
}

std::vector<TZug> LegaleZuege(const TSchachbrett& brett, const TZug& stand,
                              const TFischerInfo* fischer, size_t hoechstens) {
  std::vector<TZug> zuege;
  TZug zug;
  for (int von = 21; von <= 98; ++von) {
    if (!IstFeld(von) || brett[static_cast<size_t>(von)] * stand.AmZug <= 0) continue;
    for (int nach = 21; nach <= 98; ++nach) {
      if (!IstFeld(nach)) continue;
      if (ZugBilden(brett, stand, von, nach, Dame, false, fischer, zug)) {
        // A Fischer Random castling is found twice: onto the rook and onto c or g.
        if (zug.Rochade != KeineRochade &&
            std::any_of(zuege.begin(), zuege.end(), [&zug](const TZug& z) {
              return z.Von == zug.Von && z.Rochade == zug.Rochade;
            })) {
          continue;
        }
        zuege.push_back(zug);
        if (zuege.size() == hoechstens) return zuege;
      }
    }
  }
  return zuege;
}

void ZugZeichenSetzen(const TSchachbrett& brett, const TZug& stand, TZug& zug,
                      const TFischerInfo* fischer) {
  fischer = Aktiv(fischer);
  zug.Zeichen = 0;
  const int seite = stand.AmZug;
  const int art = std::abs(brett[static_cast<size_t>(zug.Von)]);
  if (zug.Rochade == KeineRochade && art != Bauer && !IstNullzug(zug)) {
    // The reader's own search: without a hint it takes the piece it finds.
    TSchachbrett b = brett;
    TZug suche = zug;
    suche.AmZug = static_cast<int8_t>(seite);
    TKandidaten kandidaten;
    const bool gefunden = FigurHerkunft(b, suche, art, "", kandidaten);
    if (kandidaten.Anzahl > 1) {
      int legal = 0;
      bool linie = true, reihe = true;
      for (int i = 1; i <= kandidaten.Anzahl; ++i) {
        const int feld = kandidaten.Feld[static_cast<size_t>(i)];
        TZug z;
        if (ZugBilden(brett, stand, feld, zug.Nach, zug.Umwandlung, false, fischer, z)) ++legal;
        if (feld == zug.Von) continue;
        if (feld % 10 == zug.Von % 10) linie = false;
        if (feld / 10 == zug.Von / 10) reihe = false;
      }
      if (!(gefunden && legal == 1 && suche.Von == zug.Von)) {
        zug.Zeichen = linie ? ZeigtLinie : reihe ? ZeigtReihe : ZeigtFeld;
      }
    }
  }
  TSchachbrett nachher = brett;
  ZugAusfuehren(nachher, zug, fischer);
  const int gegner = -seite;
  const int koenig = Koenigsfeld(nachher, gegner);
  if (koenig != 0 && FeldAngegriffen(nachher, koenig, gegner)) {
    zug.Zeichen |= LegaleZuege(nachher, zug, fischer, 1).empty() ? Matt : Schach;
  }
}

TBaum* Vorgaenger(const TBaum* n) {
  if (!n) return nullptr;
  TBaum* z = n->Zurueck;
  while (z && z->Naechster != n) {
    n = z;
    z = z->Zurueck;
  }
  return z;
}

uint8_t Zugvorschlag(const TNotationModell& m, uint8_t feld) {
  const TBaum* naechster = m.Aktuell ? m.Aktuell->Naechster : m.Wurzel ? m.Wurzel->Erster : nullptr;
  if (naechster && !IstNullzug(naechster->Zug)) {
    const TZug& z = naechster->Zug;
    if (z.Von == feld) return static_cast<uint8_t>(z.Nach);
    if (z.Nach == feld) return static_cast<uint8_t>(z.Von);
  }
  uint8_t anderes = 0;
  int anzahl = 0;
  for (const TZug& z : LegaleZuege(m.Arbeitsbrett(), m.AktuellerZug(), m.FischerInfo())) {
    if (z.Von == feld || z.Nach == feld) {
      ++anzahl;
      anderes = static_cast<uint8_t>(z.Von == feld ? z.Nach : z.Von);
    }
  }
  return anzahl == 1 ? anderes : 0;
}

TRegelstand RegelstandNach(const TNotationModell& m, const TBaum* knoten) {
  const TFischerInfo* fischer = Aktiv(m.FischerInfo());
  TSchachbrett brett = m.Partiedaten.StartBrett;
  std::vector<TSchluessel> stellungen{Schluessel(brett, m.Partiedaten.StartZug, fischer)};
  TRegelstand r;
  for (const TBaum* n : Pfad(knoten)) {
    const TZug& z = n->Zug;
    const bool bauer = !IstNullzug(z) && std::abs(brett[static_cast<size_t>(z.Von)]) == Bauer;
    r.Halbzuege = bauer || z.Geschlagen != 0 || z.EPSchlagfeld != 0 ? 0 : r.Halbzuege + 1;
    ZugAusfuehren(brett, z, fischer);
    stellungen.push_back(Schluessel(brett, z, fischer));
  }
  r.Wiederholungen =
      static_cast<int32_t>(std::count(stellungen.begin(), stellungen.end(), stellungen.back()));
  return r;
}

// ---------------------------------------------------------------------------
// Editing

TBaumbearbeitung::TBaumbearbeitung(TNotationModell& modell) : M(modell) {}

TBaumbearbeitung::~TBaumbearbeitung() {
  Vergessen();
}

void TBaumbearbeitung::Vergessen() {
  for (TStand& s : Stapel_) LinieFreigeben(s.Baum);
  Stapel_.clear();
  DreifachGemeldet_ = false;
  FuenfzigGemeldet_ = false;
}

TBaumbearbeitung::TStand& TBaumbearbeitung::Sichern(TArt art) {
  TStand& s = Stapel_.emplace_back();
  s.Art = art;
  if (art == TArt::Baum) {
    s.Baum = BaumKopieren(M.Wurzel);
    s.Text = M.Partiedaten.Vorkommentar;
  }
  s.OhneAktuell = !M.Aktuell;
  s.Aktuell = PfadZu(M.Aktuell);
  s.Knoten = s.Aktuell;
  if (art == TArt::Kommentar)
    s.Text = M.Aktuell ? M.Aktuell->Kommentar : M.Partiedaten.Vorkommentar;
  if (art == TArt::Bewertung) s.Zug = M.Aktuell->Zug;
  s.Geaendert = M.GameChanged();
  return s;
}

void TBaumbearbeitung::Geaendert(TBaum* aktuell) {
  M.Aktuell = aktuell;
  M.NotationAufbauen();
  M.SetGameChanged(true);
}

bool TBaumbearbeitung::Rueckgaengig() {
  if (Stapel_.empty()) return false;
  TStand s = std::move(Stapel_.back());
  Stapel_.pop_back();
  TBaum* knoten = KnotenAus(M.Wurzel, s.Knoten);
  switch (s.Art) {
    case TArt::Baum:
      LinieFreigeben(M.Wurzel);
      M.Wurzel = s.Baum;
      M.Partiedaten.Vorkommentar = s.Text;
      break;
    case TArt::Zug: {  // the added move is a leaf again: it goes
      if (!knoten) break;
      if (knoten->Zurueck && knoten->Zurueck->Naechster == knoten) {
        knoten->Zurueck->Naechster = nullptr;
      } else if (knoten->Zurueck) {
        LinieFreigeben(ZelleVon(knoten));
        knoten = nullptr;
      } else {
        M.Wurzel->Erster = nullptr;
      }
      if (knoten) {
        TVariante* rest = new TVariante;
        rest->Erster = knoten;
        LinieFreigeben(rest);
      }
      break;
    }
    case TArt::Bewertung:
      if (!knoten) break;
      knoten->Zug.Zugbewertung = s.Zug.Zugbewertung;
      knoten->Zug.Stellungsbewertung = s.Zug.Stellungsbewertung;
      break;
    case TArt::Kommentar:
      if (s.OhneAktuell) {
        M.Partiedaten.Vorkommentar = s.Text;
      } else if (knoten) {
        knoten->Kommentar = s.Text;
      }
      break;
  }
  M.Aktuell = s.OhneAktuell ? nullptr : KnotenAus(M.Wurzel, s.Aktuell);
  M.AktuelleLinie = nullptr;
  M.NotationAufbauen();
  M.SetGameChanged(s.Geaendert);
  return true;
}

TEingabe TBaumbearbeitung::ZugEingeben(int von, int nach, int umwandlung, bool fischerRochade) {
  const TSchachbrett vorher = M.Arbeitsbrett();
  const TZug stand = M.AktuellerZug();
  TZug zug;
  if (!ZugBilden(vorher, stand, von, nach, umwandlung, fischerRochade, M.FischerInfo(), zug)) {
    return TEingabe::Abgelehnt;
  }
  TBaum* a = M.Aktuell;
  TBaum* naechster = a ? a->Naechster : M.Wurzel ? M.Wurzel->Erster : nullptr;
  // Text kept after a reading error ends the line: nothing is written after it.
  const TRest* rest = a ? &a->Rest : M.Wurzel ? &M.Wurzel->Rest : nullptr;
  if (!naechster && rest && !rest->empty()) return TEingabe::Abgelehnt;
  TEingabe ergebnis = TEingabe::Verlaengert;
  TBaum* ziel = nullptr;
  if (naechster && GleicherZug(naechster->Zug, zug)) {
    ziel = naechster;
    ergebnis = TEingabe::Naechster;
  } else if (naechster) {
    for (TVariante* v = naechster->Varianten; v && !ziel; v = v->Naechste) {
      if (v->Erster && GleicherZug(v->Erster->Zug, zug)) ziel = v->Erster;
    }
    ergebnis = ziel ? TEingabe::Variante : TEingabe::NeueVariante;
  }
  if (ziel) {
    M.Aktuell = ziel;
    M.AktuellerZug() = ziel->Zug;
    ZugAusfuehren(M.Arbeitsbrett(), ziel->Zug, Aktiv(M.FischerInfo()));
    M.NotationAufbauen();
  } else {
    TStand& schritt = Sichern(TArt::Zug);
    ZugZeichenSetzen(vorher, stand, zug, M.FischerInfo());
    ziel = new TBaum;
    ziel->Zug = zug;
    if (naechster) {  // a new variation, after the existing ones
      auto* zelle = new TVariante;
      zelle->Erster = ziel;
      ziel->Zurueck = naechster;
      TVariante** ort = &naechster->Varianten;
      while (*ort) {
        zelle->Vorige = *ort;
        ort = &(*ort)->Naechste;
      }
      *ort = zelle;
    } else if (a) {
      a->Naechster = ziel;
      ziel->Zurueck = a;
    } else {
      if (!M.Wurzel) M.Wurzel = new TVariante;
      M.Wurzel->Erster = ziel;
    }
    schritt.Knoten = PfadZu(ziel);
    Geaendert(ziel);
  }
  Regelstand = RegelstandNach(M, ziel);
  if (Regelstand.Wiederholungen >= 3 && !DreifachGemeldet_) {
    DreifachGemeldet_ = true;
    if (M.On3Repetition) M.On3Repetition();
  }
  if (Regelstand.Halbzuege >= 100 && !FuenfzigGemeldet_) {
    FuenfzigGemeldet_ = true;
    if (M.On50MovesRule) M.On50MovesRule();
  }
  return ergebnis;
}

bool TBaumbearbeitung::RestLoeschen() {
  TBaum* a = M.Aktuell;
  if (!a) return false;
  Sichern(TArt::Baum);
  TBaum* davor = Vorgaenger(a);
  TBaum* anfang = Linienanfang(a);
  if (anfang == a && a->Zurueck) {
    LinieFreigeben(ZelleVon(a));
  } else if (anfang == a) {
    M.Wurzel->Erster = nullptr;
    TVariante* rest = new TVariante;
    rest->Erster = a;
    LinieFreigeben(rest);
  } else {
    a->Zurueck->Naechster = nullptr;
    TVariante* rest = new TVariante;
    rest->Erster = a;
    LinieFreigeben(rest);
  }
  Geaendert(davor);
  return true;
}

bool TBaumbearbeitung::VarianteLoeschen() {
  if (!M.Aktuell) return false;
  TBaum* anfang = Linienanfang(M.Aktuell);
  if (!anfang->Zurueck) return false;  // the main line
  Sichern(TArt::Baum);
  TBaum* davor = Vorgaenger(anfang);
  LinieFreigeben(ZelleVon(anfang));
  Geaendert(davor);
  return true;
}

bool TBaumbearbeitung::VarianteHeraufstufen() {
  if (!M.Aktuell) return false;
  TBaum* f = Linienanfang(M.Aktuell);
  TBaum* m = f->Zurueck;  // the move the variation replaces
  if (!m) return false;
  Sichern(TArt::Baum);
  TVariante* zelle = ZelleVon(f);
  // f takes m's place in m's line.
  TBaum* davor = m->Zurueck;
  if (davor && davor->Naechster == m) {
    davor->Naechster = f;
  } else if (davor) {
    ZelleVon(m)->Erster = f;
  } else {
    M.Wurzel->Erster = f;
  }
  f->Zurueck = davor;
  // m's line becomes the variation, and the two lists of alternatives change
  // hands: m's stay at this point of the game, f's stay with f's old line.
  zelle->Erster = m;
  std::swap(f->Varianten, m->Varianten);
  m->Zurueck = f;
  for (TVariante* v = f->Varianten; v; v = v->Naechste) {
    if (v->Erster) v->Erster->Zurueck = f;
  }
  for (TVariante* v = m->Varianten; v; v = v->Naechste) {
    if (v->Erster) v->Erster->Zurueck = m;
  }
  // The comment before f's line stays before f: after the move before it, or
  // where f now starts a line.
  if (zelle->Kommentar.size() > 2) {
    std::string& ziel = davor && davor->Naechster == f ? davor->Kommentar
                        : davor                        ? ZelleVon(f)->Kommentar
                                                       : M.Partiedaten.Vorkommentar;
    const std::string& k = zelle->Kommentar;
    if (&ziel == &M.Partiedaten.Vorkommentar) {  // "{...} ", one or more
      while (!ziel.empty() && ziel.back() == ' ') ziel.pop_back();
      ziel += (ziel.empty() ? "" : " ") + k + " ";
    } else if (ziel.size() > 2) {
      ziel.back() = ' ';  // the two comments become one
      ziel.append(k, 1);
    } else {
      ziel = k;
    }
    zelle->Kommentar.clear();
  }
  Geaendert(M.Aktuell);
  return true;
}

bool TBaumbearbeitung::ZugbewertungSetzen(uint8_t bewertung) {
  if (!M.Aktuell || bewertung > 6) return false;
  Sichern(TArt::Bewertung);
  M.Aktuell->Zug.Zugbewertung = bewertung;
  Geaendert(M.Aktuell);
  return true;
}

bool TBaumbearbeitung::StellungsbewertungSetzen(uint16_t bewertung) {
  if (!M.Aktuell) return false;
  Sichern(TArt::Bewertung);
  M.Aktuell->Zug.Stellungsbewertung = bewertung;
  Geaendert(M.Aktuell);
  return true;
}

std::string TBaumbearbeitung::Kommentar() const {
  std::string k = M.Aktuell ? M.Aktuell->Kommentar : M.Partiedaten.Vorkommentar;
  while (!k.empty() && k.back() == ' ') k.pop_back();
  if (k.size() >= 2 && k.front() == '{' && k.back() == '}') k = k.substr(1, k.size() - 2);
  return k;
}

bool TBaumbearbeitung::KommentarSetzen(std::string_view text) {
  if (text.find('}') != std::string_view::npos) return false;
  Sichern(TArt::Kommentar);
  std::string k = text.empty() ? std::string() : "{" + std::string(text) + "}";
  if (M.Aktuell) {
    M.Aktuell->Kommentar = k;
  } else {
    M.Partiedaten.Vorkommentar = k.empty() ? k : k + " ";
  }
  Geaendert(M.Aktuell);
  return true;
}

}  // namespace brevaro
