// Laying out the game as notation text: heading, moves with numbers, comments,
// variations in brackets by depth, wrapping, closing lines.
#include <algorithm>
#include <exception>
#include <map>
#include <vector>

#include "game/move_text.h"
#include "game/notation_model.h"
#include "game/text_buffer.h"

namespace brevaro {

uint16_t TNotationModell::Einzug(TSchrift schrift) const {
  switch (schrift) {
    case TSchrift::Variante1:
      return Indent1Var;
    case TSchrift::Variante2:
      return Indent2Var;
    default:
      return Indent0Var;
  }
}

int32_t TNotationModell::Zeilenanfang(int64_t zeile) const {
  if (zeile < 0 || zeile >= static_cast<int64_t>(ZeilenListe.size())) return -1;
  return ZeilenListe[static_cast<size_t>(zeile)].Pos;
}

void TNotationModell::ZeileMerken(int32_t pos, TSchrift schrift) {
  if (ZeilenListe.empty() || pos > ZeilenListe.back().Pos) {
    ZeilenListe.push_back({pos, schrift});  // the usual case: a new last line
    return;
  }
  const auto stelle = std::lower_bound(ZeilenListe.begin(), ZeilenListe.end(), pos,
                                       [](const TZeilenanfang& z, int32_t p) { return z.Pos < p; });
  if (stelle->Pos == pos) {
    stelle->Schrift = schrift;
  } else {
    ZeilenListe.insert(stelle, {pos, schrift});
  }
}

void TNotationModell::NeueZeile(TSchrift schrift) {
  Notationstext += ' ';
  ZeileMerken(static_cast<int32_t>(Notationstext.size()) + 1, schrift);
}

namespace {

std::string EntferneRandblanks(std::string kommentar) {
  if (kommentar.size() > 2 && kommentar[1] == ' ') kommentar.erase(1, 1);
  if (kommentar.size() > 2 && kommentar[kommentar.size() - 2] == ' ')
    kommentar.erase(kommentar.size() - 2, 1);
  return kommentar;
}

}  // namespace

void TNotationModell::NotationAufbauen() {
  ZeilenListe.clear();
  Kommentare.clear();
  Rohtexte_.clear();
  const TPartiedaten& pd = Partiedaten;
  BrettBeiAktuell_ = pd.StartBrett;
  ZugBeiAktuell_ = pd.StartZug;
  Arbeitsbrett() = pd.StartBrett;
  AktuellerZug() = pd.StartZug;
  Halbzug_ = (int64_t{pd.StartZugNummer} - 1) * 2 + (pd.StartZug.AmZug == -1 ? 1 : 0);
  ErsterZug_ = true;
  VarianteBeendet_ = false;
  VarianteBegonnen_ = false;
  Tiefe_ = 0;

  TBaum* erster = Wurzel ? Wurzel->Erster : nullptr;
  Hauptschrift_ = TSchrift::Haupt;
  if (AutoBold) {
    for (const TBaum* n = erster; n; n = n->Naechster) {
      if (n->Varianten) {
        Hauptschrift_ = TSchrift::HauptFett;
        break;
      }
    }
  }

  Notationstext.clear();
  Kopflaenge = 0;
  if (Ueberschrift) {
    const TEventData& k = pd.Kopf;
    ZeileMerken(1, TSchrift::Kopf);
    Notationstext += k.White;
    if (!k.White.empty() && !k.Black.empty()) Notationstext += " - ";
    Notationstext += k.Black;
    NeueZeile(TSchrift::Kopf);
    std::vector<std::string> teile;
    auto teil = [&](const std::string& s) {
      if (!s.empty() && s != "?") teile.push_back(s);
    };
    teil(k.Event);
    teil(k.Site);
    if (k.Year != 0) teile.push_back(std::to_string(k.Year));
    for (size_t i = 0; i < teile.size(); ++i) {
      if (i > 0) Notationstext += ", ";
      Notationstext += teile[i];
    }
    if (!teile.empty()) NeueZeile(TSchrift::Kopf);
    NeueZeile(Hauptschrift_);
    Kopflaenge = static_cast<int32_t>(Notationstext.size());
  } else {
    ZeileMerken(1, Hauptschrift_);
  }

  if (!pd.Vorkommentar.empty()) {
    // The range covers the braces, not the blank the reader keeps after them.
    size_t laenge = pd.Vorkommentar.size();
    while (laenge > 0 && pd.Vorkommentar[laenge - 1] == ' ') --laenge;
    Kommentare.push_back(
        {static_cast<int32_t>(Notationstext.size()) + 1, static_cast<int32_t>(laenge)});
    Notationstext += pd.Vorkommentar;
    Notationstext += ' ';
  }

  if (Wurzel && !Wurzel->Rest.empty()) {
    // Not even the first move could be read: the text as read.
    const TKommentarbereich r{static_cast<int32_t>(Notationstext.size()) + 1,
                              static_cast<int32_t>(Wurzel->Rest.size())};
    Kommentare.push_back(r);
    Rohtexte_.push_back(r);
    Notationstext += Wurzel->Rest.str();
    Notationstext += ' ';
  }
  if (erster) ZuegeSchreiben(erster);
  if (!PGNModus) Umbrechen();

  const int32_t letzte = ZeilenListe.empty() ? 1 : ZeilenListe.back().Pos;
  if (letzte - 1 != static_cast<int32_t>(Notationstext.size())) NeueZeile(TSchrift::Haupt);
  NeueZeile(TSchrift::Kopf);
  // Written, the movetext ends in a result token whatever the Result tag holds.
  const std::string& r = pd.Kopf.Result;
  const bool ergebnis = r == "1-0" || r == "0-1" || r == "1/2-1/2" || r == "*";
  Notationstext += PGNModus && !ergebnis ? std::string("*") : r;

  Arbeitsbrett() = BrettBeiAktuell_;
  AktuellerZug() = ZugBeiAktuell_;
}

// The state NotationAufbauen leaves after a load beside the text: the board
// and move at the start (Aktuell is nullptr), and Lesefehler cleared at the
// end of each line written. Comments are trimmed by the reader instead.
void TNotationModell::OhneNotationAbschliessen() {
  ZeilenListe.clear();
  Kommentare.clear();
  Notationstext.clear();
  Kopflaenge = 0;
  Hauptschrift_ = TSchrift::Haupt;
  BrettBeiAktuell_ = Partiedaten.StartBrett;
  ZugBeiAktuell_ = Partiedaten.StartZug;
  Arbeitsbrett() = Partiedaten.StartBrett;
  AktuellerZug() = Partiedaten.StartZug;
  if (Wurzel && Wurzel->Erster) Lesefehler = false;
}

// Writes the line from `erster` with every variation in it. Variations are
// walked with an explicit stack: one frame per open line.
void TNotationModell::ZuegeSchreiben(TBaum* erster) {
  struct TRahmen {
    TBaum* Knoten = nullptr;
    TVariante* Zelle = nullptr;  // variation of Knoten being written
    TZug Zug;                    // saved while a variation is written
    int64_t Halbzug = 0;
  };
  enum class TSchritt { KnotenBeginnen, KnotenBeenden, ZelleBeginnen, ZelleBeenden };
  auto rahmen = [](TBaum* knoten) {
    TRahmen r;
    r.Knoten = knoten;
    return r;
  };
  // The whole line goes through one buffer; the text's length counts what
  // the buffer still holds.
  TTextpuffer text(Notationstext);
  auto laenge = [&] { return static_cast<int32_t>(Notationstext.size() + text.Offen()); };

  // Text kept as read after a reading error, shown as a comment.
  auto rohtext = [&](const std::string& rest) {
    const TKommentarbereich r{laenge() + 1, static_cast<int32_t>(rest.size())};
    Kommentare.push_back(r);
    Rohtexte_.push_back(r);
    text += rest;
  };

  std::vector<TRahmen> stapel;
  stapel.reserve(8);
  std::vector<TSchachbrett>& bretter = SchreibBretter_;  // saved, one per variation being written
  Arbeitsspeicher(bretter);
  stapel.push_back(rahmen(erster));
  TSchritt schritt = TSchritt::KnotenBeginnen;
  while (!stapel.empty()) {
    TRahmen& r = stapel.back();
    TBaum* n = r.Knoten;
    switch (schritt) {
      case TSchritt::KnotenBeginnen: {
        ++Halbzug_;
        n->TextPos = laenge() + 1;
        n->Zugnummer = static_cast<int32_t>((Halbzug_ + 1) / 2);
        if (Halbzug_ % 2 != 0) {
          text.Zahl(n->Zugnummer);
          text += '.';
        } else if (VarianteBeendet_ || VarianteBegonnen_ || ErsterZug_) {
          text.Zahl(n->Zugnummer);
          text += "...";
        }
        VarianteBeendet_ = VarianteBegonnen_ = ErsterZug_ = false;
        AktuellerZug() = n->Zug;
        ZugTextAnhaengen(n->Zug, text);
        n->TextLaenge = laenge() - (n->TextPos - 1);
        // Further NAGs follow the move, each as its symbol where it has one,
        // as the move's own evaluation is shown, else as its number.
        if (!n->WeitereNags.empty()) {
          for (const char c : n->WeitereNags.str()) {
            const uint8_t nag = static_cast<uint8_t>(c);
            text += ' ';
            if (const uint8_t symbol = BewertungsZeichen(nag)) {
              text += static_cast<char>(symbol);
            } else {
              text += '$';
              text.Zahl(nag);
            }
          }
        }
        if (n->Kommentar.size() > 2) {
          n->Kommentar = EntferneRandblanks(std::move(n->Kommentar));
          Kommentare.push_back({laenge() + 2, static_cast<int32_t>(n->Kommentar.size())});
          text += ' ';
          text += n->Kommentar;
        }
        if (n->Varianten) {
          ++Tiefe_;
          r.Zelle = n->Varianten;
          schritt = TSchritt::ZelleBeginnen;
          break;
        }
        schritt = TSchritt::KnotenBeenden;
        [[fallthrough]];  // a move without variations ends at once
      }
      case TSchritt::KnotenBeenden: {
        Zustand.Ausfuehren();
        if (n == Aktuell) {
          BrettBeiAktuell_ = Arbeitsbrett();
          ZugBeiAktuell_ = AktuellerZug();
        }
        if (!n->Rest.empty()) {
          text += ' ';
          rohtext(n->Rest.str());
        }
        text += ' ';
        if (n->Naechster) {
          r.Knoten = n->Naechster;
          schritt = TSchritt::KnotenBeginnen;
        } else {
          Lesefehler = false;
          stapel.pop_back();
          schritt = TSchritt::ZelleBeenden;
        }
        break;
      }
      case TSchritt::ZelleBeginnen: {
        bretter.push_back(Arbeitsbrett());
        r.Zug = AktuellerZug();
        r.Halbzug = Halbzug_;
        --Halbzug_;
        VarianteBegonnen_ = true;
        if (Tiefe_ == 1) {
          ZeileMerken(laenge() + 2, TSchrift::Variante1);
          text += " [";
        } else if (Tiefe_ == 2) {
          ZeileMerken(laenge() + 2, TSchrift::Variante2);
          text += " (";
        } else {
          text += " (";
        }
        schritt = TSchritt::ZelleBeenden;
        if (std::string& k = r.Zelle->Kommentar; k.size() > 2) {
          k = EntferneRandblanks(std::move(k));
          Kommentare.push_back({laenge() + 1, static_cast<int32_t>(k.size())});
          text += k;
          text += ' ';
        }
        if (!r.Zelle->Erster && !r.Zelle->Rest.empty()) rohtext(r.Zelle->Rest.str());
        if (r.Zelle->Erster) {
          stapel.push_back(rahmen(r.Zelle->Erster));
          schritt = TSchritt::KnotenBeginnen;
        }
        break;
      }
      case TSchritt::ZelleBeenden: {
        if (!ZeilenListe.empty() && ZeilenListe.back().Pos - 1 == laenge()) {
          ZeilenListe.pop_back();
        }
        text.Leeren();
        while (!Notationstext.empty() && Notationstext.back() == ' ') Notationstext.pop_back();
        if (Tiefe_ == 1) {
          text += ']';
          ZeileMerken(laenge() + 2, Hauptschrift_);
        } else if (Tiefe_ == 2) {
          text += ')';
          ZeileMerken(laenge() + 2, TSchrift::Variante1);
        } else {
          text += ')';
        }
        VarianteBeendet_ = true;
        Arbeitsbrett() = bretter.back();
        bretter.pop_back();
        AktuellerZug() = r.Zug;
        Halbzug_ = r.Halbzug;
        r.Zelle = r.Zelle->Naechste;
        if (r.Zelle) {
          schritt = TSchritt::ZelleBeginnen;
        } else {
          --Tiefe_;
          schritt = TSchritt::KnotenBeenden;
        }
        break;
      }
    }
  }
}

// Cuts the text into display lines no wider than Breite.
void TNotationModell::Umbrechen() {
  if (!Zeichenbreite) return;
  const std::string& t = Notationstext;
  const int32_t laenge = static_cast<int32_t>(t.size());
  // Whether each position (0-based) is drawn in the comment font.
  std::vector<bool> imKommentar(t.size(), false);
  {
    bool drin = false;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '{') drin = true;
      imKommentar[i] = drin;
      if (t[i] == '}') drin = false;
    }
  }
  auto breite = [&](int32_t pos, TSchrift f) -> int64_t {  // pos 1-based
    const char c = t[static_cast<size_t>(pos - 1)];
    if (c == '{' || c == '}') return 0;
    return Zeichenbreite->Breite(
        imKommentar[static_cast<size_t>(pos - 1)] ? TSchrift::Kommentar : f,
        static_cast<unsigned char>(c));
  };

  TSchrift f = Hauptschrift_;
  int64_t einzug = Einzug(f);
  int64_t w = 0;
  int32_t vorigerUmbruch = 0;
  int32_t letzterBlank = 0;  // the nearest blank before p, 0 for none
  constexpr int32_t MaxNullbreite = 4096;
  // Breaks are added between the recorded lines as the walk goes on: an
  // ordered map while wrapping.
  std::map<int32_t, TSchrift> zeilen;
  for (const TZeilenanfang& z : ZeilenListe) zeilen.emplace_hint(zeilen.end(), z.Pos, z.Schrift);
  auto naechste = zeilen.begin();
  int32_t p = 1;
  // A failure (of the measurer, or out of memory) ends the wrapping quietly;
  // the breaks found so far stay.
  try {
    while (p <= laenge) {
      if (naechste != zeilen.end() && naechste->first == p) {
        f = naechste->second;
        einzug = Einzug(f);
        w = 0;
        ++naechste;
      }
      w += breite(p, f);
      if (Breite - einzug > w) {
        if (t[static_cast<size_t>(p - 1)] == ' ') letzterBlank = p;
        ++p;
        continue;
      }
      int32_t b = letzterBlank;
      // Is the word from b + 1 at least as wide as the line? Stop measuring once
      // it is, and give up on a run of characters without width.
      int64_t wortbreite = 0;
      for (int32_t i = b + 1; i <= laenge && t[static_cast<size_t>(i - 1)] != ' '; ++i) {
        wortbreite += breite(i, f);
        if (wortbreite >= Breite - einzug) break;
        if (i - p > MaxNullbreite) {
          wortbreite = Breite - einzug;
          break;
        }
      }
      if (wortbreite >= Breite - einzug && p - 3 > 2) {
        b = p - 3;
        // The cut does not split a character: the rest of a UTF-8 sequence,
        // which the measurer gives no width of its own, stays with its start.
        if (breite(b + 1, f) == 0) {
          const auto schnitt = static_cast<int32_t>(Utf8Schnitt(t, static_cast<size_t>(b)));
          if (schnitt > vorigerUmbruch) b = schnitt;
        }
      }
      if (b <= vorigerUmbruch) break;
      zeilen[b + 1] = f;  // the new line continues in the same font
      vorigerUmbruch = b;
      w = 0;
      p = b + 1;
      naechste = zeilen.find(p);
    }
  } catch (const std::exception&) {
  }
  ZeilenListe.clear();
  for (const auto& [pos, schrift] : zeilen) ZeilenListe.push_back({pos, schrift});
}

}  // namespace brevaro
