#include "board/board_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace brevaro {

TFeldrechtecke FelderBerechnen(int s) {
  TFeldrechtecke r{};
  for (int d = 0; d < 64; ++d) {
    const int left = (d % 8) * s;
    const int top = (7 - d / 8) * s;
    r[d] = {left, top, left + s, top + s};
  }
  return r;
}

int FeldBeimDruecken(const TFeldrechtecke& felder, bool gedreht, int x, int y) {
  int d = 63;
  for (int i = 0; i < 63; ++i)
    if (felder[i].Enthaelt(x, y)) {
      d = i;
      break;
    }
  return Anzeigeindex(d, gedreht);
}

int FeldBeimLoslassen(const TFeldrechtecke& felder, bool gedreht, int x, int y) {
  for (int i = 0; i < 64; ++i)
    if (felder[i].Enthaelt(x, y)) return Anzeigeindex(i, gedreht);
  return -1;
}

int RundenGerade(int zaehler, int nenner) {
  if (nenner < 0) {
    zaehler = -zaehler;
    nenner = -nenner;
  }
  int q = zaehler / nenner;
  int rest = zaehler % nenner;
  if (rest < 0) {
    --q;
    rest += nenner;
  }
  if (2 * rest > nenner || (2 * rest == nenner && q % 2 != 0)) ++q;
  return q;
}

int AnimationsSchritt(int groesse) {
  return std::max(4, 4 * groesse / 33);
}

TAnimation AnimationPlanen(const TRechteck& a, const TRechteck& b, int schritt) {
  const int gerade = std::max(1, schritt);
  const int halb = std::max(1, gerade / 2);
  TAnimation p;
  const int dy = a.Top - b.Top;
  const int dx = a.Right - b.Right;
  int nv = std::abs(dy);
  int nh = std::abs(dx);
  int sv = 0;
  int sh = 0;
  if (dy == 0) {
    nv += 1;
    sh = dx < 0 ? -gerade : gerade;
  } else if (dx == 0) {
    nh += 1;
    sv = dy < 0 ? -gerade : gerade;
  } else {
    sv = dy < 0 ? -gerade : gerade;
    sh = dx < 0 ? -gerade : gerade;
    if (std::abs(dy) > std::abs(dx)) {
      sh = dx < 0 ? -halb : halb;
      nh += 1;
    } else if (std::abs(dy) < std::abs(dx)) {
      sv = dy < 0 ? -halb : halb;
      nv += 1;
    }
  }
  p.SchrittH = sh;
  p.SchrittV = sv;
  p.AnzahlH = nh;
  p.AnzahlV = nv;
  int ph = 0;
  int pv = 0;
  TRechteck r = a;
  while (ph < nh && pv < nv) {
    ph += std::abs(sh);
    pv += std::abs(sv);
    if (ph < nh && pv < nv) {
      r = r.Verschoben(-sh, -sv);
      p.Zwischen.push_back(r);
    }
    ++p.Durchlaeufe;
  }
  return p;
}

TPunkt InDenBildschirm(TPunkt p, int breite, int hoehe, const TRechteck& bildschirm) {
  if (p.X + breite > bildschirm.Right) p.X = bildschirm.Right - breite;
  if (p.Y + hoehe > bildschirm.Bottom) p.Y = bildschirm.Bottom - hoehe;
  if (p.X < bildschirm.Left) p.X = bildschirm.Left;
  if (p.Y < bildschirm.Top) p.Y = bildschirm.Top;
  return p;
}

}  // namespace brevaro
