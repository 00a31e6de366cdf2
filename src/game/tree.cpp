#include "game/tree.h"

#include <vector>

namespace brevaro {

namespace {

// Freed blocks of one size, kept for the next allocation of that size. The
// list is per thread and trivially destructible, so it is usable until the
// very end of the program; what it holds at a thread's end stays allocated
// (at most MaxFrei blocks).
struct TFreiliste {
  struct TFrei {
    TFrei* Naechster;
  };
  static constexpr size_t MaxFrei = size_t{1} << 16;
  TFrei* Kopf = nullptr;
  size_t Anzahl = 0;

  void* Holen(size_t groesse) {
    if (!Kopf) return ::operator new(groesse);
    TFrei* f = Kopf;
    Kopf = f->Naechster;
    --Anzahl;
    return f;
  }
  void Zurueckgeben(void* p) noexcept {
    if (!p) return;
    if (Anzahl >= MaxFrei) {
      ::operator delete(p);
      return;
    }
    auto* f = static_cast<TFrei*>(p);
    f->Naechster = Kopf;
    Kopf = f;
    ++Anzahl;
  }
  void Leeren() noexcept {
    while (Kopf) {
      TFrei* f = Kopf;
      Kopf = f->Naechster;
      ::operator delete(f);
    }
    Anzahl = 0;
  }
};

thread_local TFreiliste FreieKnoten;
thread_local TFreiliste FreieZellen;

}  // namespace

// Blocks of another size (a derived class) come from the heap; every block on
// a list is at least as large as the class it is handed out for.
void* TBaum::operator new(std::size_t groesse) {
  return groesse == sizeof(TBaum) ? FreieKnoten.Holen(groesse) : ::operator new(groesse);
}

void TBaum::operator delete(void* p) noexcept {
  FreieKnoten.Zurueckgeben(p);
}

void* TVariante::operator new(std::size_t groesse) {
  return groesse == sizeof(TVariante) ? FreieZellen.Holen(groesse) : ::operator new(groesse);
}

void TVariante::operator delete(void* p) noexcept {
  FreieZellen.Zurueckgeben(p);
}

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

void FreilistenLeeren() {
  FreieKnoten.Leeren();
  FreieZellen.Leeren();
}

int64_t LinienLaenge(const TBaum* erster) {
  int64_t n = 0;
  for (; erster; erster = erster->Naechster) ++n;
  return n;
}

}  // namespace brevaro
