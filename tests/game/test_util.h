// Helpers shared by the game layer's tests: a fixed-width font, a model that
// keeps its Fischer Random info and errors, walks through the move tree, files.
#pragma once

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "game/notation_model.h"

namespace brevaro {

// Every character `breite` pixels wide, in every font.
class FesteBreite : public TZeichenbreite {
 public:
  explicit FesteBreite(int breite = 1) : breite_(breite) {}
  int Breite(TSchrift, unsigned char) const override { return breite_; }

 private:
  int breite_;
};

// A model that keeps the Fischer Random information it is given, as the game
// window does, and collects its error messages.
struct Modell {
  TNotationModell m;
  TFischerInfo fischer;
  std::vector<std::string> fehler;
  explicit Modell(bool english = true) {
    m.SetEnglish(english);
    m.OnFischerInfo = [this](const TFischerInfo& info) {
      fischer = info;
      m.SetFischerInfo(info.Fischer ? &fischer : nullptr);
    };
    m.OnError = [this](const std::string& f) { fehler.push_back(f); };
  }
  int32_t Lade(const std::string& zuege, const std::string& kopf = "") {
    fehler.clear();
    return m.LadePartie("[Event \"E\"]\n" + kopf + "\n" + zuege + "\n");
  }
};

using Namen = std::vector<std::string>;

// The UCI-like name of a node's move ("e2e4").
inline std::string Name(const TBaum* n) {
  return std::string(FeldnameVonIndex(n->Zug.Von)) + std::string(FeldnameVonIndex(n->Zug.Nach));
}

inline Namen Hauptlinie(const TNotationModell& m) {
  Namen namen;
  for (const TBaum* n = m.Wurzel ? m.Wurzel->Erster : nullptr; n; n = n->Naechster)
    namen.push_back(Name(n));
  return namen;
}

// A walk through the tree: n >= 0 follows Naechster n times, -k enters the
// k-th variation of the node reached.
inline TBaum* Knoten(const TNotationModell& m, const std::vector<int>& weg) {
  TBaum* n = m.Wurzel->Erster;
  for (int s : weg) {
    if (s >= 0) {
      for (int i = 0; i < s; ++i) n = n->Naechster;
    } else {
      TVariante* v = n->Varianten;
      for (int i = 1; i < -s; ++i) v = v->Naechste;
      n = v->Erster;
    }
  }
  return n;
}

// The board after `n`, found by replaying the moves that lead to it. The first
// move of a variation replaces the move it hangs from: the move before it is
// that move's predecessor, found the same way.
inline TSchachbrett Nachgespielt(const TNotationModell& m, const TBaum* n) {
  std::vector<const TBaum*> weg;
  while (n) {
    weg.push_back(n);
    const TBaum* k = n;
    const TBaum* z = k->Zurueck;
    while (z && z->Naechster != k) {
      k = z;
      z = z->Zurueck;
    }
    n = z;
  }
  TSchachbrett b = m.Partiedaten.StartBrett;
  for (auto it = weg.rbegin(); it != weg.rend(); ++it)
    ZugAusfuehren(b, (*it)->Zug, m.FischerInfo());
  return b;
}

// A clipboard held in memory.
class Ablage : public TTextAblage {
 public:
  std::optional<std::string> text;
  std::optional<std::string> TextLesen() override { return text; }
  void TextSchreiben(const std::string& t) override { text = t; }
};

inline std::string DateiLesen(const std::string& pfad) {
  std::ifstream ein(pfad, std::ios::binary);
  std::stringstream s;
  s << ein.rdbuf();
  return s.str();
}

// Games of a PGN file, split where a line begins with "[Event ".
inline std::vector<std::string> Partien(const std::string& text) {
  std::vector<size_t> anfaenge;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 7, "[Event ") == 0) anfaenge.push_back(i);
    const size_t nl = text.find('\n', i);
    i = nl == std::string::npos ? text.size() : nl + 1;
  }
  std::vector<std::string> partien;
  for (size_t k = 0; k < anfaenge.size(); ++k) {
    const size_t ende = k + 1 < anfaenge.size() ? anfaenge[k + 1] : text.size();
    partien.push_back(text.substr(anfaenge[k], ende - anfaenge[k]));
  }
  return partien;
}

}  // namespace brevaro
