// Reading a game's PGN text into the model. Priorities, in order: safe on any
// bytes (no crash, no unbounded recursion, time linear in the input), then
// forgiving (unknown text between moves is skipped), then fast.
#include <cstddef>
#include <exception>
#include <vector>

#include "game/notation_model.h"

namespace brevaro {

namespace {

bool IstBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Getrimmt(std::string_view s) {
  size_t a = 0, e = s.size();
  while (a < e && IstBlank(s[a])) ++a;
  while (e > a && IstBlank(s[e - 1])) --e;
  return s.substr(a, e - a);
}

// Lines separated by CR LF, LF or a lone CR.
std::vector<std::string_view> TextZeilen(std::string_view text) {
  std::vector<std::string_view> zeilen;
  size_t anfang = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      zeilen.push_back(text.substr(anfang, i - anfang));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      anfang = i + 1;
    }
  }
  if (anfang < text.size()) zeilen.push_back(text.substr(anfang));
  return zeilen;
}

bool IstLinie(char c) {
  return c >= 'a' && c <= 'h';
}
bool IstReihe(char c) {
  return c >= '1' && c <= '8';
}
bool IstGross(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IstKlein(char c) {
  return c >= 'a' && c <= 'z';
}
bool IstBuchstabe(char c) {
  return IstGross(c) || IstKlein(c);
}

// Length of a token without the annotation characters at its end.
size_t OhneAnmerkung(const std::string& token) {
  size_t n = token.size();
  while (n > 0 && (token[n - 1] == '!' || token[n - 1] == '?')) --n;
  return n;
}

// Long algebraic forms to short ones: "e2-e4" -> "e4", "e4xd5" -> "exd5",
// "Ng1-f3" -> "Ng1f3"; castling stays. One pass: what is before an "x" or "-"
// is the text already kept.
void Normalisieren(std::string& t) {
  std::string o;
  o.reserve(t.size());
  for (const char c : t) {
    if (c != 'x' && c != '-') {
      o += c;
      continue;
    }
    const size_t n = o.size();
    bool geloescht = false;
    if (n >= 2 && IstLinie(o[n - 2]) && IstReihe(o[n - 1]) && (n == 2 || !IstGross(o[n - 3]))) {
      o.pop_back();
      geloescht = true;
    }
    if (c == '-' && !o.empty() && o.back() != 'O' && o.back() != 'o' && o.back() != '0') {
      if (geloescht) o.pop_back();
      continue;
    }
    o += c;
  }
  t = std::move(o);
}

// The square part of a token: "Nbd7" -> "bd7", "R1a3" -> "1a3", "exd5" -> "ed5",
// "e8Q" -> "e8", "e4!" -> "e4".
std::string Feldteil(const std::string& t) {
  std::string teil;
  size_t i = (!t.empty() && IstGross(t[0])) ? 1 : 0;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c != 'x' && c != ':') teil += c;
    if (c >= '1' && c <= '9' && !(i > 0 && IstGross(t[i - 1])) &&
        !(i + 1 < t.size() && IstKlein(t[i + 1]))) {
      break;
    }
  }
  for (char& c : teil) {
    if (IstGross(c)) c = static_cast<char>(c - 'A' + 'a');
  }
  return teil;
}

uint8_t FeldAusName(char linie, char reihe) {
  return static_cast<uint8_t>(21 + (linie - 'a') + 10 * (reihe - '1'));
}

// NAG number as read, and what it sets.
void NagAnwenden(TBaum* knoten, const std::string& ziffern) {
  if (!knoten || ziffern.empty() || ziffern.size() > 3) return;
  static constexpr const char* Zugbewertungen[] = {"1", "3", "2", "4", "5", "6"};
  for (uint8_t i = 0; i < 6; ++i) {
    if (ziffern == Zugbewertungen[i]) {
      knoten->Zug.Zugbewertung = static_cast<uint8_t>(i + 1);
      return;
    }
  }
  static constexpr uint16_t Stellungen[] = {8,  11, 13, 14, 15, 16,  17,  18, 19,
                                            22, 32, 36, 40, 44, 132, 138, 146};
  for (uint16_t nag : Stellungen) {
    if (ziffern == std::to_string(nag)) {
      knoten->Zug.Stellungsbewertung = nag;
      return;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Loading a game

int32_t TNotationModell::LadePartie(std::string_view text) {
  auto handler = std::move(OnMoveChange);
  OnMoveChange = nullptr;
  Zuruecksetzen();
  OnMoveChange = std::move(handler);
  Lesefehler = false;

  int32_t ergebnis = 0;
  try {
    const std::vector<std::string_view> zeilen = TextZeilen(text);
    size_t i = 0;
    while (i < zeilen.size() && !Getrimmt(zeilen[i]).starts_with('[')) ++i;
    const bool mitTags = i < zeilen.size();
    for (; i < zeilen.size(); ++i) {
      const std::string_view z = Getrimmt(zeilen[i]);
      if (z.empty() || z[0] != '[') break;
      TagZeileLesen(Partiedaten.Kopf, z);
    }
    Notationstext.clear();
    if (mitTags) {
      for (; i < zeilen.size(); ++i) {
        Notationstext += zeilen[i];
        Notationstext += ' ';
      }
    }
    TFischerInfo fischer;
    fischer.Fischer = 0;
    if (!Partiedaten.Kopf.FEN.empty()) {
      if (!FENToStellung(Partiedaten.Kopf.FEN, Partiedaten.StartBrett, Partiedaten.StartZug,
                         Partiedaten.StartZugNummer, &fischer)) {
        // An unreadable FEN leaves the standard start whole, not half overwritten.
        Partiedaten.StartZug = GrundstellungZug();
        Partiedaten.StartZugNummer = 1;
        fischer = TFischerInfo{};
      }
    }
    if (OnFischerInfo) OnFischerInfo(fischer);
    Notationstext = std::string(Getrimmt(Notationstext));
    if (!Notationstext.empty() && !ZuegeLesen()) {
      ergebnis = -1;
      if (OnError) OnError(std::string(English_ ? LesefehlerEnglisch : LesefehlerDeutsch));
      Lesefehler = true;
    }
  } catch (const std::exception&) {
    ergebnis = -1;  // out of memory: what was read stays, without a message
  }
  Aktuell = nullptr;
  AktuelleLinie = nullptr;
  NotationAufbauen();
  if (OnMoveChange) OnMoveChange(Partiedaten.StartZug, Partiedaten.StartBrett, false);
  return ergebnis;
}

bool TNotationModell::PGNEinfuegen(TTextAblage& ablage) {
  const std::optional<std::string> text = ablage.TextLesen();
  if (!text) return false;
  LadePartie(std::string_view(*text).substr(0, MaxEinfuegeLaenge));
  return true;
}

// ---------------------------------------------------------------------------
// The movetext reader

bool TNotationModell::ZuegeLesen() {
  struct TGesichert {
    size_t Brett;  // index into bretter
    TZug Zug;
    TVariante* Linie;
    TBaum* Knoten;
  };
  std::vector<TGesichert> stapel;
  stapel.reserve(10);
  // Saved boards; "((" with no move between shares one, so a run of brackets
  // costs a few bytes each.
  std::vector<TSchachbrett> bretter;
  bool neuesBrett = true;  // brettVorher differs from bretter.back()
  // The last variation opened and its move: a further variation on the same
  // move is appended without walking the list again.
  TVariante* letzteZelle = nullptr;
  TBaum* letzteZelleAn = nullptr;
  LinieFreigeben(Wurzel);
  Wurzel = new TVariante;
  AktuelleLinie = Wurzel;
  Aktuell = nullptr;
  Arbeitsbrett() = Partiedaten.StartBrett;

  const std::string& t = Notationstext;
  const size_t n = t.size();

  // Leading part: comments before the first move number.
  std::string gesammelt;
  size_t punkt = std::string::npos;
  {
    bool drin = false;
    for (size_t i = 0; i + 1 < n; ++i) {
      const char c = t[i];
      if (drin) {
        gesammelt += c;
        if (c == '}') drin = false;
      } else if (c == '{') {
        drin = true;
        gesammelt += c;
      } else if (c == '.') {
        punkt = i;
        break;
      }
    }
  }
  if (punkt == std::string::npos) {
    if (!gesammelt.empty()) Partiedaten.Vorkommentar = gesammelt + " ";
    return true;
  }
  if (gesammelt.size() > 1) {
    if (gesammelt[1] == ' ') gesammelt.erase(1, 1);
    if (gesammelt.size() >= 2 && gesammelt[gesammelt.size() - 2] == ' ')
      gesammelt.erase(gesammelt.size() - 2, 1);
  }
  if (!gesammelt.empty()) Partiedaten.Vorkommentar = gesammelt + " ";

  AktuellerZug() = Partiedaten.StartZug;
  TSchachbrett brettVorher = Arbeitsbrett();
  TZug zugVorher = AktuellerZug();
  bool gelesen = false;
  TZug& zug = AktuellerZug();

  size_t p = punkt;
  while (true) {
    // a. A comment belongs to the current move.
    if (p < n && t[p] == '{') {
      const size_t zu = t.find('}', p);
      if (zu == std::string::npos) return false;
      std::string kommentar = t.substr(p, zu - p + 1);
      if (kommentar.size() > 1 && kommentar[1] == ' ') kommentar.erase(1, 1);
      if (kommentar.size() > 1 && kommentar[kommentar.size() - 2] == ' ')
        kommentar.erase(kommentar.size() - 2, 1);
      if (Aktuell) Aktuell->Kommentar = std::move(kommentar);
      p = zu;
    }
    // b. A NAG runs to the next blank or ")".
    if (p < n && t[p] == '$') {
      std::string ziffern;
      while (p < n && t[p] != ' ' && t[p] != ')') {
        if (t[p] >= '0' && t[p] <= '9' && ziffern.size() < 8) ziffern += t[p];
        ++p;
      }
      NagAnwenden(Aktuell, ziffern);
    }
    // c. A variation replaces the last move read.
    if (p < n && t[p] == '(') {
      if (!Aktuell) return false;  // nothing to replace yet
      if (stapel.empty() || neuesBrett) bretter.push_back(brettVorher);
      neuesBrett = false;
      stapel.push_back({bretter.size() - 1, zugVorher, AktuelleLinie, Aktuell});
      Arbeitsbrett() = brettVorher;
      zug = zugVorher;
      if (letzteZelleAn == Aktuell && letzteZelle && !letzteZelle->Naechste) {
        AktuelleLinie = letzteZelle;  // already the last cell of the list
      } else {
        AktuelleLinie = Aktuell->Varianten;
      }
      NeueVariante();
      letzteZelle = AktuelleLinie;
      letzteZelleAn = Aktuell;
    }
    // d. The end of a variation: back to the position after the replaced move.
    else if (p < n && t[p] == ')') {
      if (!stapel.empty()) {
        const TGesichert s = stapel.back();
        stapel.pop_back();
        brettVorher = bretter[s.Brett];
        if (stapel.empty() || stapel.back().Brett != s.Brett) bretter.pop_back();
        neuesBrett = true;
        Arbeitsbrett() = brettVorher;
        zug = s.Zug;
        AktuelleLinie = s.Linie;
        Aktuell = s.Knoten;
        zugVorher = s.Zug;
        Zustand.RechteAnpassen();
        zug.AmZug = static_cast<int8_t>(-zug.AmZug);
        Zustand.Ausfuehren();
      }
    }
    // e. A move.
    else if (p < n && (IstBuchstabe(t[p]) || (p + 2 < n && t.compare(p, 3, "0-0") == 0))) {
      zug.EnPassant = 0;
      zug.EPSchlagfeld = 0;
      zug.Rochade = KeineRochade;
      zug.Umwandlung = 0;
      zug.Geschlagen = 0;
      zug.Zeichen = 0;
      zug.Zugbewertung = 0;
      zug.Stellungsbewertung = 0;
      std::string token;
      size_t q = p;
      while (true) {
        const char c = t[q];
        if (c == '+') {
          zug.Zeichen |= Schach;
        } else if (c == '#') {
          zug.Zeichen |= Matt;
        } else if (c != '=') {
          token += c;
        }
        if (q + 1 >= n || t[q + 1] == ' ' || t[q + 1] == ')' || t[q + 1] == '*') break;
        ++q;
      }
      // Examine the blank or "*" after the token next; a ")" after the step.
      p = (q + 1 < n && t[q + 1] != ')') ? q + 1 : q;
      const int seite = zug.AmZug;
      if (token[0] == 'O' || token[0] == '0' || token[0] == 'o') {
        const bool kurz = OhneAnmerkung(token) < 4;
        const bool weiss = seite == 1;
        if (token[0] == 'o') {
          const TFischerInfo* fi = Zustand.FischerInfo;
          if (!fi) return false;  // Fischer Random castling in a standard game
          const uint8_t koenig = weiss ? fi->WeissKoenig : fi->SchwarzKoenig;
          if (koenig < 21 || koenig > 98 || koenig % 10 == 0 || koenig % 10 == 9) return false;
          zug.Von = static_cast<int8_t>(koenig);
          zug.Rochade = kurz ? FischerKurz : FischerLang;
        } else {
          zug.Von = weiss ? 25 : 95;
          zug.Rochade = kurz ? KurzeRochade : LangeRochade;
        }
        zug.Nach = static_cast<int8_t>((weiss ? 20 : 90) + (kurz ? 7 : 3));
      } else {
        Normalisieren(token);
        if (token.size() < 2) return false;
        const int art = token.size() == 2 ? Bauer : FigurAusBuchstabe(token[0]);
        if (art == 0) return false;
        const size_t ende = OhneAnmerkung(token);
        if (ende > 0 && IstGross(token[ende - 1])) {
          const int umwandlung = FigurAusBuchstabe(token[ende - 1]);
          if (umwandlung == 0) return false;
          zug.Umwandlung = static_cast<int8_t>(umwandlung * seite);
        }
        const std::string teil = Feldteil(token);
        if (teil.size() < 2 || !IstLinie(teil[teil.size() - 2]) || !IstReihe(teil.back()))
          return false;
        zug.Nach = static_cast<int8_t>(FeldAusName(teil[teil.size() - 2], teil.back()));
        zug.Geschlagen = static_cast<int8_t>(Arbeitsbrett()[zug.Nach]);
        const bool gefunden =
            art == Bauer ? Zustand.Bauer(teil)
                         : Zustand.Figur(art, std::string_view(teil).substr(0, teil.size() - 2));
        if (!gefunden) return false;
      }
      // Commit.
      brettVorher = Arbeitsbrett();
      neuesBrett = true;
      zugVorher = zug;
      Zustand.RechteAnpassen();
      zug.AmZug = static_cast<int8_t>(-zug.AmZug);
      NeuerKnoten(zug);
      Anhaengen();
      Zustand.Ausfuehren();
      gelesen = true;
    }
    // f. The end: the last character, a result or a null move.
    if (p + 1 >= n || t[p] == '*' || t[p] == '-') break;
    ++p;
  }
  if (!gelesen) LinieFreigeben(Wurzel);
  return true;
}

}  // namespace brevaro
