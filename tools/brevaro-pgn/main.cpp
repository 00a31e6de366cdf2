// brevaro-pgn: command-line companion over the plain layers.
#include <fstream>
#include <iostream>
#include <string>

#include "core/position.h"

int main(int argc, char** argv) {
  if (argc < 3 || std::string(argv[1]) != "list") {
    std::cerr << "usage: brevaro-pgn list FILE.pgn\n";
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::cerr << "brevaro-pgn: cannot open " << argv[2] << "\n";
    return 1;
  }
  std::string line;
  int games = 0;
  while (std::getline(in, line)) {
    if (line.rfind("[Event ", 0) == 0) ++games;
  }
  std::cout << games << " games\n";
  return 0;
}
