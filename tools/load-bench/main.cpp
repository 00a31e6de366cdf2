// Loads every game of a PGN file into the notation model and prints MB/s and
// games/s. With --lines it prints instead, per game, its index, main-line plies
// and the first four FEN fields after the last main-line move.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/notation_model.h"

using namespace brevaro;

namespace {

// Byte ranges of the games: each starts at a line beginning with "[Event ".
std::vector<std::string_view> Partien(const std::string& text) {
  std::vector<size_t> anfaenge;
  for (size_t i = 0; i < text.size();
       i = text.find('\n', i), i = (i == std::string::npos ? text.size() : i + 1)) {
    if (text.compare(i, 7, "[Event ") == 0) anfaenge.push_back(i);
  }
  std::vector<std::string_view> partien;
  for (size_t k = 0; k < anfaenge.size(); ++k) {
    const size_t ende = k + 1 < anfaenge.size() ? anfaenge[k + 1] : text.size();
    partien.push_back(std::string_view(text).substr(anfaenge[k], ende - anfaenge[k]));
  }
  return partien;
}

std::string Fen4(TNotationModell& m, size_t& plies) {
  TSchachbrett brett = m.Partiedaten.StartBrett;
  TZug zug = m.Partiedaten.StartZug;
  plies = 0;
  for (const TBaum* n = m.Wurzel ? m.Wurzel->Erster : nullptr; n; n = n->Naechster) {
    ZugAusfuehren(brett, n->Zug, m.FischerInfo());
    zug = n->Zug;
    ++plies;
  }
  const std::string fen = StellungToFEN(brett, zug, 1, false);
  size_t pos = 0;
  for (int i = 0; i < 4 && pos != std::string::npos; ++i) pos = fen.find(' ', pos + 1);
  return fen.substr(0, pos);
}

}  // namespace

int main(int argc, char** argv) {
  bool zeilen = false;
  std::string datei;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--lines") {
      zeilen = true;
    } else {
      datei = a;
    }
  }
  if (datei.empty()) {
    std::cerr << "usage: brevaro-load-bench [--lines] file.pgn\n";
    return 2;
  }
  std::ifstream ein(datei, std::ios::binary);
  if (!ein) {
    std::cerr << "cannot read " << datei << "\n";
    return 1;
  }
  std::stringstream puffer;
  puffer << ein.rdbuf();
  const std::string text = puffer.str();
  const std::vector<std::string_view> partien = Partien(text);

  TNotationModell modell;
  TFischerInfo fischer;
  modell.OnFischerInfo = [&](const TFischerInfo& info) {
    fischer = info;
    modell.SetFischerInfo(info.Fischer ? &fischer : nullptr);
  };
  size_t fehler = 0;
  const auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < partien.size(); ++i) {
    std::string meldung;
    if (modell.LadePartie(partien[i]) != 0) ++fehler;
    if (zeilen) {
      size_t plies = 0;
      const std::string fen = Fen4(modell, plies);
      std::printf("%zu\t%zu\t%s\n", i, plies, fen.c_str());
    }
  }
  const double sekunden =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!zeilen) {
    std::printf("%zu games, %.1f MB in %.3f s: %.1f MB/s, %.0f games/s, %zu with reading errors\n",
                partien.size(), text.size() / 1e6, sekunden, text.size() / 1e6 / sekunden,
                partien.size() / sekunden, fehler);
  }
  return 0;
}
