#include "game/navigation.h"

#include <algorithm>

namespace brevaro {

namespace {

bool IstTrenner(char c) {
  switch (c) {
    case '\n':
    case '\r':
    case ' ':
    case '(':
    case ')':
    case ';':
    case '[':
    case ']':
    case '{':
    case '}':
      return true;
    default:
      return false;
  }
}

// The move played just before `n`: its Zurueck, except that the first move
// of a variation follows the move it replaces, which may itself be the first
// move of a variation.
TBaum* Vorgaenger(const TBaum* n) {
  TBaum* z = n->Zurueck;
  while (z && z->Naechster != n) {
    n = z;
    z = z->Zurueck;
  }
  return z;
}

bool IstZiffer(char c) {
  return c >= '0' && c <= '9';
}

// A square name ("e4") or a castling sign ("-O", "-o", and "-0" going up)
// starting at 0-based index i.
bool ZugZeichenAn(const std::string& t, size_t i, bool auchNull) {
  if (i + 1 >= t.size()) return false;
  const char a = t[i];
  const char b = t[i + 1];
  if (a >= 'a' && a <= 'h' && b >= '1' && b <= '8') return true;
  return a == '-' && (b == 'O' || b == 'o' || (auchNull && b == '0'));
}

}  // namespace

std::string Zeilenbuchstabe(size_t k) {
  std::string s;
  for (size_t n = k + 1; n > 0; n = (n - 1) / 26) {
    s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return s;
}

int32_t Klammerpartner(const std::string& text, char z, int32_t q) {
  const char oeffner = z == ')' ? '(' : z == ']' ? '[' : '{';
  const int32_t laenge = static_cast<int32_t>(text.size());
  if (q > laenge) q = laenge;
  int64_t tiefe = 1;
  while (tiefe > 0 && q > 1) {
    --q;
    const char c = text[static_cast<size_t>(q - 1)];
    if (oeffner != '{' && c == '}') {
      q = Klammerpartner(text, '}', q);  // one level: comments hold no comments
      continue;
    }
    if (c == z) {
      ++tiefe;
    } else if (c == oeffner) {
      --tiefe;
    }
  }
  return q;
}

int64_t ZeileVonZug(const TNotationModell& m, const TBaum* knoten, int32_t* start) {
  if (!knoten) return -1;
  const auto& zeilen = m.Zeilenanfaenge();
  const auto it = std::lower_bound(zeilen.begin(), zeilen.end(), knoten->TextPos,
                                   [](const TZeilenanfang& z, int32_t pos) { return z.Pos < pos; });
  int64_t i = it - zeilen.begin();
  if (!(i < static_cast<int64_t>(zeilen.size()) &&
        zeilen[static_cast<size_t>(i)].Pos == knoten->TextPos)) {
    --i;
  }
  if (i < 0 || i >= static_cast<int64_t>(zeilen.size())) return -1;
  if (start) *start = zeilen[static_cast<size_t>(i)].Pos;
  return i;
}

int64_t Scrollziel(int64_t zeile, int64_t erste, int64_t letzte) {
  const int64_t h = (letzte - erste) / 2;
  if (zeile == -1) return erste == 1 ? -1 : 0;
  if (zeile >= letzte) return zeile - h;
  if (zeile + 1 >= erste) return -1;
  return std::max<int64_t>(0, zeile - h);
}

TNavigation::TNavigation(TNotationModell& modell) : M(modell) {}

void TNavigation::Melden(bool nextMove) {
  if (M.OnMoveChange) M.OnMoveChange(M.AktuellerZug(), M.Arbeitsbrett(), nextMove);
}

void TNavigation::Neu() {
  if (Aufbauen) {
    Aufbauen();
  } else {
    M.NotationAufbauen();
  }
}

void TNavigation::Ausfuehren(const TZug& zug) {
  M.AktuellerZug() = zug;
  ZugAusfuehren(M.Arbeitsbrett(), zug, M.FischerInfo());
}

// ---------------------------------------------------------------------------
// From a text position to a move

bool TNavigation::ZugAnPosition(int32_t p) {
  const std::string& t = M.Notationstext;
  const int32_t laenge = static_cast<int32_t>(t.size());
  auto an = [&t](int32_t i) { return t[static_cast<size_t>(i - 1)]; };
  if (laenge == 0) return false;
  if (M.Ueberschrift && p <= M.Kopflaenge) return false;
  if (p < 1 || p >= laenge) return false;
  if (an(p) == '{' || an(p) == '}') return false;
  for (int32_t i = p; i >= 1; --i) {  // inside a comment?
    if (an(i) == '}') break;
    if (an(i) == '{') return false;
  }

  // The token around p; a gap selects the move after it.
  while (p <= laenge && IstTrenner(an(p))) ++p;
  if (p > laenge) return false;
  if (p > 1 && an(p - 1) == '{') return false;
  while (p <= laenge && !IstTrenner(an(p))) ++p;
  if (p < 2 || p >= laenge || an(p) == '}') return false;
  --p;

  // Back to the start of the moves: the path through the variations (built
  // backwards, then turned round), and the ply from the nearest move number.
  std::string pfad;
  int64_t halbzuege = 0;
  int korrektur = -1;
  bool nummer = false;
  for (int32_t i = p; i >= M.Kopflaenge + 1; --i) {
    const char c = an(i);
    if (c == '(' || c == '[') {
      pfad += '1';
    } else if (c == ')' || c == ']' || c == '}') {
      i = Klammerpartner(t, c, i);
      if (an(i) == '(' || an(i) == '[') pfad += '0';
    } else if (!nummer && (c == ' ' || c == '\r')) {
      korrektur = 0;
    } else if (!nummer && c == '.') {
      int32_t j = i;
      while (j >= 1 && an(j) == '.') --j;
      if (j + 2 <= laenge && an(j + 2) == '.') korrektur = 0;
      int64_t n = 0;
      int64_t stelle = 1;
      int ziffern = 0;
      for (; j >= 1 && IstZiffer(an(j)); --j) {
        if (++ziffern > 9) return false;
        n += (an(j) - '0') * stelle;
        stelle *= 10;
      }
      if (ziffern == 0) return false;
      halbzuege = (n - (int64_t{M.Partiedaten.StartZugNummer} - 1)) * 2 -
                  (M.Partiedaten.StartZug.AmZug == -1 ? 1 : 0) + korrektur;
      nummer = true;
      i = j + 1;
    }
  }
  if (!nummer) return false;  // no move number before p: not a move
  std::reverse(pfad.begin(), pfad.end());
  PfadFolgen(pfad, halbzuege);
  if (Zeigen) Zeigen();
  return true;
}

void TNavigation::PfadFolgen(const std::string& pfad, int64_t plies) {
  M.Arbeitsbrett() = M.Partiedaten.StartBrett;
  M.AktuellerZug() = M.Partiedaten.StartZug;
  M.Aktuell = nullptr;
  if (!M.Wurzel || !M.Wurzel->Erster) return;
  TBaum* n = M.Wurzel->Erster;
  TBaum* letzter = nullptr;
  size_t k = 0;
  int64_t anzahl = 0;
  while (n && anzahl < plies) {
    // An entered variation's first move may have variations of its own: the
    // path goes on deciding there before the move is played.
    while (n && n->Varianten && k < pfad.size()) {
      TVariante* zelle = n->Varianten;
      bool betreten = false;
      while (k < pfad.size()) {
        const char c = pfad[k++];
        if (c == '0') {
          zelle = zelle->Naechste;
          if (!zelle) break;
        } else {
          n = zelle->Erster;
          betreten = true;
          break;
        }
      }
      if (!betreten) break;
    }
    if (!n) break;  // an empty variation ends the walk
    Ausfuehren(n->Zug);
    letzter = n;
    n = n->Naechster;
    ++anzahl;
  }
  M.Aktuell = letzter;
  M.AktuellerZug() = letzter ? letzter->Zug : M.Partiedaten.StartZug;
}

// ---------------------------------------------------------------------------
// Single steps

void TNavigation::ZugVor() {
  TBaum* kandidat = nullptr;
  bool vomStart = false;
  if (!M.Aktuell) {
    if (!M.Wurzel || !M.Wurzel->Erster) return;
    vomStart = true;
    kandidat = M.Wurzel->Erster;
  } else {
    kandidat = M.Aktuell->Naechster;
  }

  if (!kandidat) {
    // End of a line: on to the next numbered move after it in the text.
    const std::string& t = M.Notationstext;
    const int64_t laenge = static_cast<int64_t>(t.size());
    bool imKommentar = false;
    for (int64_t i = int64_t{M.Aktuell->TextPos} + M.Aktuell->TextLaenge + 1; i < laenge; ++i) {
      const char c = t[static_cast<size_t>(i - 1)];
      if (c == '{') imKommentar = true;
      if (c == '}') imKommentar = false;
      if (imKommentar || c != '.') continue;
      if (ZugAnPosition(static_cast<int32_t>(i))) {
        if (Beep) Beep();
        Melden(false);
      }
      return;
    }
    return;
  }

  Wahl = -2;
  TBaum* ziel = kandidat;
  if (kandidat->Varianten) {
    std::vector<TBaum*> knoten{kandidat};
    for (TVariante* v = kandidat->Varianten; v; v = v->Naechste) {
      if (v->Erster) knoten.push_back(v->Erster);
    }
    const int8_t seite = vomStart ? M.Partiedaten.StartZug.AmZug : M.Aktuell->Zug.AmZug;
    std::vector<std::string> zeilen;
    size_t buchstabe = 0;
    for (TVariante* v = nullptr;;) {
      const TBaum* z = v ? v->Erster : kandidat;
      if (z) {
        zeilen.push_back(Zeilenbuchstabe(buchstabe) + ") " + std::to_string(z->Zugnummer) +
                         (seite == 1 ? "." : "...") + M.ZugText(z->Zug));
      }
      ++buchstabe;  // a cell without moves keeps its letter
      v = v ? v->Naechste : kandidat->Varianten;
      if (!v) break;
    }
    Wahl = Variantenwahl ? Variantenwahl->Waehlen(zeilen, M.English()) : 0;
    if (Wahl < -1 || Wahl >= static_cast<int32_t>(knoten.size())) Wahl = -1;
    if (Wahl == -1) return;  // Aktuell and the board are untouched
    ziel = knoten[static_cast<size_t>(Wahl)];
  }
  M.Aktuell = ziel;
  Ausfuehren(ziel->Zug);
  if (Zeigen) Zeigen();
  Melden(true);
}

void TNavigation::ZugZurueck() {
  TBaum* alt = M.Aktuell;
  if (!alt) return;
  TBaum* n = Vorgaenger(alt);  // for a variation: before the replaced move
  M.Aktuell = n;
  ZugZuruecknehmen(M.Arbeitsbrett(), alt->Zug, M.FischerInfo());
  M.AktuellerZug() = n ? n->Zug : M.Partiedaten.StartZug;
  if (Zeigen) Zeigen();
  Melden(false);
}

// ---------------------------------------------------------------------------
// Jumps: the layout brings Arbeitsbrett to the new current move.

void TNavigation::VorigeVariante() {
  TBaum* n = M.Aktuell;
  if (!n) return;
  if (n->Zurueck) n = n->Zurueck;
  while (n->Zurueck && !n->Varianten) n = n->Zurueck;
  M.Aktuell = Vorgaenger(n);
  Neu();
  Melden(false);
}

void TNavigation::NaechsteVariante() {
  if (!M.Wurzel || !M.Wurzel->Erster) return;
  TBaum* n = M.Aktuell ? M.Aktuell->Naechster : M.Wurzel->Erster;
  if (!n) return;
  while (n->Naechster && !n->Naechster->Varianten) n = n->Naechster;
  M.Aktuell = n;
  Neu();
  Melden(false);
}

void TNavigation::ZumAnfang() {
  if (!M.Wurzel || !M.Wurzel->Erster || !M.Aktuell) return;
  M.Aktuell = nullptr;
  Neu();
  Melden(false);
}

void TNavigation::ZumEnde() {
  if (!M.Wurzel || !M.Wurzel->Erster) return;
  TBaum* n = M.Wurzel->Erster;
  while (n->Naechster) n = n->Naechster;
  M.Aktuell = n;
  Neu();
  Melden(false);
}

TZeilenwechsel TNavigation::ZeileWechseln(int d, int64_t erste, int64_t letzte) {
  const std::string& t = M.Notationstext;
  const int64_t laenge = static_cast<int64_t>(t.size());
  const int64_t zeilen = static_cast<int64_t>(M.Zeilenanfaenge().size());
  const TBaum* a = M.Aktuell;
  int32_t s = 0;
  const int64_t l = ZeileVonZug(M, a, &s);
  if (l == -1 || l + d < 0 || l + d >= zeilen) return TZeilenwechsel::Nichts;
  const int64_t spalte = a->TextLaenge / 2 + a->TextPos - s;
  const int64_t ziel = M.Zeilenanfang(l + d);
  int64_t q = 0;
  if (d > 0) {
    const int64_t danach = M.Zeilenanfang(l + d + 1);
    if (danach == -1) return TZeilenwechsel::Nichts;  // the last line holds the result
    q = danach <= a->TextPos - s + ziel ? danach - 3 : ziel + spalte;
  } else {
    q = ziel + spalte;
    if (q >= s) q = s - 3;
  }
  if (q > laenge) q = laenge - 3;
  q = std::max<int64_t>(q, 1);
  while (q > 1 && q <= laenge && t[static_cast<size_t>(q - 1)] == ' ') --q;

  bool gefunden = ZugAnPosition(static_cast<int32_t>(q));
  if (!gefunden && d > 0) {
    int64_t grenze = M.Zeilenanfang(letzte - 1);
    if (grenze == -1) grenze = laenge;
    for (int64_t i = q; i <= grenze && !gefunden; ++i) {
      if (ZugZeichenAn(t, static_cast<size_t>(i - 1), false)) {
        gefunden = ZugAnPosition(static_cast<int32_t>(i));
      }
    }
  } else if (!gefunden) {
    const int64_t grenze = std::max<int64_t>(M.Zeilenanfang(erste - 1), 1);
    for (int64_t i = q; i >= grenze && !gefunden; --i) {
      if (ZugZeichenAn(t, static_cast<size_t>(i - 1), true)) {
        gefunden = ZugAnPosition(static_cast<int32_t>(i));
      }
    }
  }
  return gefunden ? TZeilenwechsel::ZugGefunden : TZeilenwechsel::KeinZug;
}

}  // namespace brevaro
