// Reading a game's PGN text into the model. Priorities, in order: safe on any
// bytes (no crash, no unbounded recursion, time linear in the input), then
// forgiving (unknown text between moves is skipped), then fast.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
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

// The next line of `text` from `pos`; lines are separated by CR LF, LF or a
// lone CR. False at the end of the text (a final line end starts no line).
bool NaechsteZeile(std::string_view text, size_t& pos, std::string_view& zeile) {
  if (pos >= text.size()) return false;
  // The next LF, or an earlier CR.
  const char* const anfang = text.data() + pos;
  const size_t rest = text.size() - pos;
  const void* lf = std::memchr(anfang, '\n', rest);
  const size_t bisLf = lf ? static_cast<size_t>(static_cast<const char*>(lf) - anfang) : rest;
  const void* cr = std::memchr(anfang, '\r', bisLf);
  const size_t ende =
      pos + (cr ? static_cast<size_t>(static_cast<const char*>(cr) - anfang) : bisLf);
  if (ende == text.size()) {
    zeile = text.substr(pos);
    pos = text.size();
    return true;
  }
  zeile = text.substr(pos, ende - pos);
  pos = ende + 1;
  if (text[ende] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  return true;
}

// Appends every line of `text` followed by one blank: each line end (CR LF,
// LF or CR) becomes a blank, and a last line without one gets one.
void ZeilenVerbinden(std::string_view text, std::string& ziel) {
  if (!text.empty() && !std::memchr(text.data(), '\r', text.size())) {
    // LF only, the usual case: each LF becomes the blank, in one copy.
    const size_t anfang = ziel.size();
    ziel += text;
    char* const ende = ziel.data() + ziel.size();
    for (char* lf = ziel.data() + anfang;
         (lf = static_cast<char*>(std::memchr(lf, '\n', static_cast<size_t>(ende - lf))));)
      *lf++ = ' ';
    if (text.back() != '\n') ziel += ' ';
    return;
  }
  size_t pos = 0;
  std::string_view zeile;
  while (NaechsteZeile(text, pos, zeile)) {
    ziel += zeile;
    ziel += ' ';
  }
}

constexpr bool IstLinie(char c) {
  return c >= 'a' && c <= 'h';
}
constexpr bool IstReihe(char c) {
  return c >= '1' && c <= '8';
}
constexpr bool IstGross(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IstKlein(char c) {
  return c >= 'a' && c <= 'z';
}
constexpr bool IstBuchstabe(char c) {
  return IstGross(c) || IstKlein(c);
}

// Characters at which no check of the main loop applies: move numbers, dots,
// blanks, "!" and "?" between tokens. Not "0", which may begin "0-0".
constexpr auto Neutral = [] {
  std::array<bool, 256> neutral{};
  for (int c = 0; c < 256; ++c) {
    const char z = static_cast<char>(c);
    neutral[static_cast<size_t>(c)] = !IstBuchstabe(z) && z != '0' && z != '{' && z != '$' &&
                                      z != '(' && z != ')' && z != '*' && z != '-';
  }
  return neutral;
}();

// Length of a token without the annotation characters at its end.
size_t OhneAnmerkung(const std::string& token) {
  size_t n = token.size();
  while (n > 0 && (token[n - 1] == '!' || token[n - 1] == '?')) --n;
  return n;
}

// Long algebraic forms to short ones: "e2-e4" -> "e4", "e4xd5" -> "exd5",
// "Ng1-f3" -> "Ng1f3"; castling stays. One pass in place: the first `n`
// characters are the text already kept.
void Normalisieren(std::string& t) {
  size_t n = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c != 'x' && c != '-') {
      t[n++] = c;
      continue;
    }
    bool geloescht = false;
    if (n >= 2 && IstLinie(t[n - 2]) && IstReihe(t[n - 1]) && (n == 2 || !IstGross(t[n - 3]))) {
      --n;
      geloescht = true;
    }
    if (c == '-' && n > 0 && t[n - 1] != 'O' && t[n - 1] != 'o' && t[n - 1] != '0') {
      if (geloescht) --n;
      continue;
    }
    t[n++] = c;
  }
  t.resize(n);
}

// The square part of a token, lower-cased: "Nbd7" -> "bd7", "R1a3" -> "1a3",
// "exd5" -> "ed5", "e8Q" -> "e8", "e4!" -> "e4".
void Feldteil(const std::string& t, std::string& teil) {
  teil.resize(t.size());  // never longer than the token
  size_t n = 0;
  size_t i = (!t.empty() && IstGross(t[0])) ? 1 : 0;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c != 'x' && c != ':') teil[n++] = IstGross(c) ? static_cast<char>(c - 'A' + 'a') : c;
    if (c >= '1' && c <= '9' && !(i > 0 && IstGross(t[i - 1])) &&
        !(i + 1 < t.size() && IstKlein(t[i + 1]))) {
      break;
    }
  }
  teil.resize(n);
}

// The common short forms of a move: "e4", "exd5", "Nf3" and "Nxd5" (any piece
// letter but "P"), each with at most one "+" or "#" after it, read without
// the general steps. They give what those steps give: the piece kind, the
// square part ("e4", "ed5", or "d5" for a piece) and the marks.
struct TKurzform {
  int Art = 0;
  char Feldteil[3] = {};
  size_t FeldteilLaenge = 0;
  uint8_t Zeichen = 0;
  size_t Ende = 0;  // position of the token's last character
};

bool KurzformLesen(std::string_view t, size_t p, TKurzform& k) {
  const size_t n = t.size();
  auto zeichen = [&](size_t i) { return i < n ? t[i] : '\0'; };
  size_t i = p;
  const char erstes = t[i];
  if (IstLinie(erstes)) {
    k.Art = Bauer;
  } else {
    k.Art = FigurAusBuchstabe(erstes);
    if (k.Art == 0 || k.Art == Bauer) return false;
  }
  ++i;
  if (k.Art == Bauer && IstReihe(zeichen(i))) {
    k.Feldteil[0] = erstes;  // "e4"
    k.Feldteil[1] = t[i];
    k.FeldteilLaenge = 2;
  } else {
    if (zeichen(i) == 'x')
      ++i;
    else if (k.Art == Bauer)
      return false;
    if (!IstLinie(zeichen(i)) || !IstReihe(zeichen(i + 1))) return false;
    size_t f = 0;
    if (k.Art == Bauer) k.Feldteil[f++] = erstes;  // "exd5" -> "ed5"
    k.Feldteil[f++] = t[i];
    k.Feldteil[f++] = t[i + 1];
    k.FeldteilLaenge = f;
    ++i;
  }
  ++i;  // past the rank
  if (zeichen(i) == '+' || zeichen(i) == '#') {
    k.Zeichen = zeichen(i) == '+' ? Schach : Matt;
    ++i;
  }
  // The token must end here, as the general steps see it.
  if (i < n && t[i] != ' ' && t[i] != ')' && t[i] != '*') return false;
  k.Ende = i - 1;
  return true;
}

uint8_t FeldAusName(char linie, char reihe) {
  return static_cast<uint8_t>(21 + (linie - 'a') + 10 * (reihe - '1'));
}

// What a NAG sets. `nag` is the number as read; the caller passes 0 for digit
// strings that no table entry reads alike ("$01", more than three digits).
void NagAnwenden(TBaum* knoten, int nag) {
  if (!knoten) return;
  switch (nag) {
    case 1:
      knoten->Zug.Zugbewertung = 1;
      break;
    case 3:
      knoten->Zug.Zugbewertung = 2;
      break;
    case 2:
      knoten->Zug.Zugbewertung = 3;
      break;
    case 4:
    case 5:
    case 6:
      knoten->Zug.Zugbewertung = static_cast<uint8_t>(nag);
      break;
    case 8:
    case 11:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 22:
    case 32:
    case 36:
    case 40:
    case 44:
    case 132:
    case 138:
    case 146:
      knoten->Zug.Stellungsbewertung = static_cast<uint16_t>(nag);
      break;
    default:
      break;
  }
}

// Whether the game's Variant tag names Fischer Random Chess.
bool FischerVariante(const TEventData& kopf) {
  if (!kopf.OtherTags) return false;
  for (const std::string& zeile : *kopf.OtherTags) {
    if (zeile.size() > 9 &&
        (zeile.compare(0, 9, "[Variant ") == 0 || zeile.compare(0, 9, "[variant ") == 0 ||
         zeile.compare(0, 9, "[VARIANT ") == 0))
      return IstFischerVariante(TagWert(zeile));
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Loading a game

int32_t TNotationModell::LadePartie(std::string_view text, TLadeart art) {
  const bool mitText = art == TLadeart::MitNotationstext;
  auto handler = std::move(OnMoveChange);
  OnMoveChange = nullptr;
  // The empty game's layout is replaced below; it is kept in the normal load
  // for an owner that paints while an event of the load is raised.
  if (mitText) {
    Zuruecksetzen();
  } else {
    BaumZuruecksetzen();
  }
  OnMoveChange = std::move(handler);
  OhneNotation_ = !mitText;
  Lesefehler = false;

  int32_t ergebnis = 0;
  try {
    // Tag lines start at the first line that begins with "[" and run to the
    // first line that is empty or does not; the movetext starts there.
    size_t pos = 0;
    size_t anfang = 0;  // of the line being looked at
    std::string_view zeile;
    bool mitTags = false;
    while (true) {
      anfang = pos;
      if (!NaechsteZeile(text, pos, zeile)) break;
      const std::string_view z = Getrimmt(zeile);
      if (!mitTags) {
        if (!z.starts_with('[')) continue;
        mitTags = true;
      }
      if (z.empty() || z[0] != '[') break;
      TagZeileLesen(Partiedaten.Kopf, z);
    }
    Notationstext.clear();
    if (mitTags) ZeilenVerbinden(text.substr(anfang), Notationstext);
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
    if (fischer.Fischer == KeinFischer && FischerVariante(Partiedaten.Kopf))
      FischerInfoSetzen(Partiedaten.StartBrett, Partiedaten.StartZug, fischer, FischerXFEN);
    if (OnFischerInfo) OnFischerInfo(fischer);
    const std::string_view getrimmt = Getrimmt(Notationstext);
    Notationstext.erase(0, static_cast<size_t>(getrimmt.data() - Notationstext.data()));
    Notationstext.resize(getrimmt.size());
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
  OhneNotation_ = false;
  if (mitText) {
    NotationAufbauen();
  } else {
    OhneNotationAbschliessen();
  }
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
  std::vector<TGesichert>& stapel = LeseStapel_;
  if (stapel.capacity() > 256) std::vector<TGesichert>().swap(stapel);
  stapel.clear();
  // Saved boards; "((" with no move between shares one, so a run of brackets
  // costs a few bytes each.
  std::vector<TSchachbrett>& bretter = LeseBretter_;
  Arbeitsspeicher(bretter);
  bool neuesBrett = true;  // the board before the last move differs from bretter.back()
  // The last variation opened and its move: a further variation on the same
  // move is appended without walking the list again.
  TVariante* letzteZelle = nullptr;
  TBaum* letzteZelleAn = nullptr;
  LinieFreigeben(Wurzel);
  Wurzel = new TVariante;
  AktuelleLinie = Wurzel;
  Aktuell = nullptr;
  Arbeitsbrett() = Partiedaten.StartBrett;

  // A view: the text does not change while it is read, and the view keeps
  // its address in a register across the writes into the tree.
  const std::string_view t = Notationstext;
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
  // The last move read is executed only when the next move needs the board.
  // Until then Arbeitsbrett shows the position before it, where a "(" that
  // replaces it branches off; so no board is copied per move.
  bool ausstehend = false;
  // The castling rights before the last move read. With them the last move's
  // record as it was before completion is rebuilt from its node, when a "("
  // needs it, instead of being copied for every move.
  uint8_t rechteVorher = AktuellerZug().Rochaderechte;
  // Likewise the en-passant square of the position before the last move read.
  uint8_t epVorher = AktuellerZug().EnPassant;
  auto zugVorher = [&] {
    TZug vorher = Aktuell->Zug;
    vorher.AmZug = static_cast<int8_t>(-vorher.AmZug);
    vorher.Rochaderechte = rechteVorher;
    vorher.Zugbewertung = 0;  // a NAG after the move marks the node only
    vorher.Stellungsbewertung = 0;
    return vorher;
  };
  bool gelesen = false;
  // Whether the record in AktuellerZug is the last move executed, so that the
  // check state follows from it (not at the start, nor as a variation starts).
  bool nachZug = false;
  // Otherwise it is the one saved: the check state before the last move read.
  TSchach schachVorher = TSchach::Unbekannt;
  TSchach schachGespeichert = TSchach::Unbekannt;
  Zustand.Koenige = {};
  TZug& zug = AktuellerZug();
  std::string token;  // the move being read, and its square part
  std::string teil;

  size_t p = punkt;
  while (true) {
    // a. A comment belongs to the current move.
    if (p < n && t[p] == '{') {
      const size_t zu = t.find('}', p);
      if (zu == std::string::npos) return false;
      if (Aktuell) {
        // One blank after "{" and one before "}" are dropped.
        std::string_view innen = std::string_view(t).substr(p + 1, zu - p - 1);
        if (!innen.empty() && innen.front() == ' ') innen.remove_prefix(1);
        if (!innen.empty() && innen.back() == ' ') innen.remove_suffix(1);
        if (OhneNotation_) {  // and one more each, as the layout drops them
          if (!innen.empty() && innen.front() == ' ') innen.remove_prefix(1);
          if (!innen.empty() && innen.back() == ' ') innen.remove_suffix(1);
        }
        std::string& kommentar = Aktuell->Kommentar;
        kommentar.assign(1, '{');
        kommentar += innen;
        kommentar += '}';
      }
      p = zu;
    }
    // b. A NAG runs to the next blank or ")".
    if (p < n && t[p] == '$') {
      // The digits read; a leading zero or more than three digits match no
      // entry of the table, which compares digit strings.
      int ziffern = 0;
      int nag = 0;
      bool nullVorn = false;
      for (; p < n && t[p] != ' ' && t[p] != ')'; ++p) {
        if (t[p] < '0' || t[p] > '9') continue;
        if (ziffern == 0) nullVorn = t[p] == '0';
        if (++ziffern <= 3) nag = nag * 10 + (t[p] - '0');
        ziffern = std::min(ziffern, 4);
      }
      NagAnwenden(Aktuell, ziffern > 3 || nullVorn ? 0 : nag);
    }
    // c. A variation replaces the last move read.
    if (p < n && t[p] == '(') {
      if (!Aktuell) return false;  // nothing to replace yet
      // Arbeitsbrett shows the position before the last move: it is still
      // pending, or a "(" on the same move has just been read.
      ausstehend = false;
      if (stapel.empty() || neuesBrett) bretter.push_back(Arbeitsbrett());
      neuesBrett = false;
      zug = zugVorher();
      stapel.push_back({bretter.size() - 1, zug, AktuelleLinie, Aktuell, epVorher, schachVorher});
      schachGespeichert = schachVorher;
      zug.EnPassant = epVorher;  // the variation starts in the position before the move
      nachZug = false;
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
        Arbeitsbrett() = bretter[s.Brett];
        if (stapel.empty() || stapel.back().Brett != s.Brett) bretter.pop_back();
        neuesBrett = true;
        zug = s.Zug;
        AktuelleLinie = s.Linie;
        Aktuell = s.Knoten;
        rechteVorher = s.Zug.Rochaderechte;
        epVorher = s.EPVorher;
        schachVorher = s.SchachVorher;
        Zustand.RechteAnpassen();
        zug.AmZug = static_cast<int8_t>(-zug.AmZug);
        ausstehend = true;
        nachZug = true;
      }
    }
    // e. A move.
    else if (p < n &&
             (IstBuchstabe(t[p]) || (t[p] == '0' && p + 2 < n && t.compare(p, 3, "0-0") == 0))) {
      if (ausstehend) Zustand.Ausfuehren();
      ausstehend = false;
      const TSchach schach = nachZug ? Zustand.SchachNach() : schachGespeichert;
      const uint8_t ep = zug.EnPassant;  // of the position before this move
      zug.EnPassant = 0;
      zug.EPSchlagfeld = 0;
      zug.Rochade = KeineRochade;
      zug.Umwandlung = 0;
      zug.Geschlagen = 0;
      zug.Zeichen = 0;
      zug.Zugbewertung = 0;
      zug.Stellungsbewertung = 0;
      TKurzform form;
      const bool kurzform = KurzformLesen(t, p, form);
      size_t q = p;  // the token's last character
      if (kurzform) {
        q = form.Ende;
        zug.Zeichen |= form.Zeichen;
      } else {
        // The token runs to a blank, ")" or "*"; "+" and "#" mark the move,
        // "=" is dropped.
        while (q + 1 < n && t[q + 1] != ' ' && t[q + 1] != ')' && t[q + 1] != '*') ++q;
        token.assign(t, p, q - p + 1);
        size_t laenge = 0;
        for (const char c : token) {
          if (c == '+') {
            zug.Zeichen |= Schach;
          } else if (c == '#') {
            zug.Zeichen |= Matt;
          } else if (c != '=') {
            token[laenge++] = c;
          }
        }
        token.resize(laenge);
      }
      // Examine the blank or "*" after the token next; a ")" after the step.
      p = (q + 1 < n && t[q + 1] != ')') ? q + 1 : q;
      const int seite = zug.AmZug;
      bool gefunden = false;  // a piece's origin found by the search
      if (!kurzform && (token[0] == 'O' || token[0] == '0' || token[0] == 'o')) {
        const bool kurz = OhneAnmerkung(token) < 4;
        const bool weiss = seite == 1;
        const TFischerInfo* fi = Zustand.FischerInfo;
        // In a Fischer Random game "O-O" is Fischer Random castling as well.
        if (token[0] == 'o' || (fi && fi->Fischer)) {
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
        int art = form.Art;
        std::string_view feld(form.Feldteil, form.FeldteilLaenge);
        if (!kurzform) {
          Normalisieren(token);
          if (token.size() < 2) return false;
          art = token.size() == 2 ? Bauer : FigurAusBuchstabe(token[0]);
          if (art == 0) return false;
          const size_t ende = OhneAnmerkung(token);
          if (ende > 0 && IstGross(token[ende - 1])) {
            const int umwandlung = FigurAusBuchstabe(token[ende - 1]);
            if (umwandlung == 0) return false;
            zug.Umwandlung = static_cast<int8_t>(umwandlung * seite);
          }
          Feldteil(token, teil);
          if (teil.size() < 2 || !IstLinie(teil[teil.size() - 2]) || !IstReihe(teil.back()))
            return false;
          feld = teil;
        }
        zug.Nach = static_cast<int8_t>(FeldAusName(feld[feld.size() - 2], feld.back()));
        zug.Geschlagen = static_cast<int8_t>(Arbeitsbrett()[zug.Nach]);
        const bool aufgeloest = art == Bauer ? Zustand.Bauer(feld)
                                             : Zustand.Figur(art, feld.substr(0, feld.size() - 2));
        if (!aufgeloest) return false;
        // A pawn's move is made by a pawn (its origin is found without a look).
        if (art == Bauer && Arbeitsbrett()[zug.Von] != seite * Bauer) return false;
        gefunden = art != Bauer;
      }
      if (!Zustand.Erlaubt(ep, schach, gefunden)) return false;
      // Commit.
      neuesBrett = true;
      rechteVorher = zug.Rochaderechte;
      epVorher = ep;
      schachVorher = schach;
      Zustand.RechteAnpassen();
      zug.AmZug = static_cast<int8_t>(-zug.AmZug);
      NeuerKnoten(zug);
      Anhaengen();
      ausstehend = true;
      nachZug = true;
      gelesen = true;
    }
    // f. The end: the last character, a result or a null move.
    if (p + 1 >= n || t[p] == '*' || t[p] == '-') break;
    ++p;
    // Pass over what no check applies to; the last character is left to the
    // end check.
    while (p + 1 < n && Neutral[static_cast<unsigned char>(t[p])]) ++p;
  }
  if (ausstehend) Zustand.Ausfuehren();
  if (!gelesen) LinieFreigeben(Wurzel);
  return true;
}

}  // namespace brevaro
