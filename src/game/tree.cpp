#include "game/tree.h"

#include <vector>

namespace brevaro {

void LinieFreigeben(TVariante*& ort) {
  TVariante* zelle = ort;
  if (!zelle) return;
  // Unlink first; `ort` may live inside the cell's neighbours.
  if (zelle->Vorige) {
    zelle->Vorige->Naechste = zelle->Naechste;
    if (zelle->Naechste) zelle->Naechste->Vorige = zelle->Vorige;
  } else {
    ort = zelle->Naechste;
    if (zelle->Naechste) zelle->Naechste->Vorige = nullptr;
  }
  // Free the cell's contents with an explicit work list.
  std::vector<TVariante*> offen{zelle};
  while (!offen.empty()) {
    TVariante* v = offen.back();
    offen.pop_back();
    TBaum* knoten = v->Erster;
    delete v;
    while (knoten) {
      for (TVariante* w = knoten->Varianten; w; w = w->Naechste) offen.push_back(w);
      TBaum* naechster = knoten->Naechster;
      delete knoten;
      knoten = naechster;
    }
  }
}

int64_t LinienLaenge(const TBaum* erster) {
  int64_t n = 0;
  for (; erster; erster = erster->Naechster) ++n;
  return n;
}

}  // namespace brevaro
