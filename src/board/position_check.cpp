#include "board/position_check.h"

#include <cctype>

namespace brevaro {

namespace {

constexpr int Diagonalen[4] = {-9, -11, 9, 11};
constexpr int Linien[4] = {-1, 10, 1, -10};
constexpr int Spruenge[8] = {19, 21, 12, -8, -19, -21, -12, 8};

int Feld(const TSchachbrett& brett, int i) {
  return i >= 0 && i < 120 ? brett[i] : Rand;
}

}  // namespace

bool Angegriffen(const TSchachbrett& brett, int k, int q) {
  const int s = k > 0 ? 1 : -1;
  for (int i = 0; i < 4; ++i) {
    const int r = Diagonalen[i];
    for (int f = q + r, schritt = 1;; f += r, ++schritt) {
      const int c = Feld(brett, f);
      if (c == -s * Dame || c == -s * Laeufer) return true;
      if (schritt == 1) {
        if (c == -s * Koenig) return true;
        // A black pawn attacks the white king from above (offsets 9, 11), a
        // white pawn the black king from below (offsets -9, -11).
        if (c == -s * Bauer && ((s < 0 && i < 2) || (s > 0 && i >= 2))) return true;
      }
      if (c != Leer) break;
    }
  }
  for (int r : Linien) {
    for (int f = q + r, schritt = 1;; f += r, ++schritt) {
      const int c = Feld(brett, f);
      if (c == -s * Dame || c == -s * Turm) return true;
      if (schritt == 1 && c == -s * Koenig) return true;
      if (c != Leer) break;
    }
  }
  for (int r : Spruenge)
    if (Feld(brett, q + r) == -s * Springer) return true;
  return false;
}

bool StellungPruefen(const TSchachbrett& brett, const TZug& zug) {
  int anzahl[2][7] = {};
  for (int n = 0; n < 64; ++n) {
    const int m = FeldIndex(static_cast<uint8_t>(n));
    const int c = brett[m];
    if (c == Leer || c == Rand || c < -6 || c > 6) continue;
    if ((c == Bauer || c == -Bauer) && (n < 8 || n >= 56)) return false;
    ++anzahl[c > 0 ? 0 : 1][c > 0 ? c : -c];
  }
  for (const auto& a : anzahl) {
    const int p = a[Bauer];
    if (a[Koenig] != 1) return false;
    if (a[Dame] + p > 9 || a[Turm] + p > 10 || a[Laeufer] + p > 10 || a[Springer] + p > 10)
      return false;
    if (p > 8) return false;
    if (a[1] + a[2] + a[3] + a[4] + a[5] + a[6] > 16) return false;
  }
  // The side not to move must not be in check.
  const int k = zug.AmZug == 1 ? -Koenig : Koenig;
  for (int n = 0; n < 64; ++n) {
    const int m = FeldIndex(static_cast<uint8_t>(n));
    if (brett[m] == k && Angegriffen(brett, k, m)) return false;
  }
  return true;
}

bool RochadeMoeglich(const TSchachbrett& brett, uint8_t recht) {
  switch (recht) {
    case WeissKurz:
      return brett[25] == Koenig && brett[28] == Turm;
    case WeissLang:
      return brett[25] == Koenig && brett[21] == Turm;
    case SchwarzKurz:
      return brett[95] == -Koenig && brett[98] == -Turm;
    case SchwarzLang:
      return brett[95] == -Koenig && brett[91] == -Turm;
    default:
      return false;
  }
}

int NaechsteAufbauFigur(int figur) {
  if (figur == -1) return Koenig;
  if (figur == 1) return -Koenig;
  if (figur > 1 && figur <= 6) return figur - 1;
  if (figur < -1 && figur >= -6) return figur + 1;
  return Koenig;
}

void ZugAusEingaben(const TSchachbrett& brett, TZug& zug, const std::array<bool, 4>& rochade,
                    bool weissAmZug, std::string_view ep) {
  constexpr uint8_t Rechte[4] = {WeissKurz, WeissLang, SchwarzKurz, SchwarzLang};
  for (int i = 0; i < 4; ++i) {
    if (rochade[i])
      zug.Rochaderechte |= Rechte[i];
    else
      zug.Rochaderechte &= static_cast<uint8_t>(~Rechte[i]);
  }
  zug.AmZug = weissAmZug ? 1 : -1;
  zug.EnPassant = 0;
  if (ep.empty()) return;
  const int buchstabe = std::toupper(static_cast<unsigned char>(ep[0]));
  if (buchstabe < 'A' || buchstabe > 'H') return;
  const int linie = buchstabe - 'A';
  if (weissAmZug) {
    const int m = FeldIndex(static_cast<uint8_t>(linie + 40));
    if (brett[m - 10] == -Bauer && brett[m + 10] == Leer && brett[m] == Leer)
      zug.EnPassant = static_cast<uint8_t>(m);
  } else {
    const int m = FeldIndex(static_cast<uint8_t>(linie + 16));
    if (brett[m + 10] == Bauer && brett[m - 10] == Leer && brett[m] == Leer)
      zug.EnPassant = static_cast<uint8_t>(m);
  }
}

}  // namespace brevaro
