// Scratch files for the collection tests: a fresh directory per test case,
// removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace brevaro::test {

class ScratchDir : public testing::Test {
 protected:
  void SetUp() override {
    std::string muster = (std::filesystem::temp_directory_path() / "brevaro-XXXXXX").string();
    ASSERT_NE(::mkdtemp(muster.data()), nullptr);
    dir_ = muster;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Pfad(const std::string& name) const { return (dir_ / name).string(); }
  std::string Schreiben(const std::string& name, const std::string& bytes) const {
    const std::string p = Pfad(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  static std::string Lesen(const std::string& pfad) {
    std::ifstream in(pfad, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir_;
};

// A small game with the given tags; `moves` ends the game.
inline std::string Spiel(const std::string& white, const std::string& black,
                         const std::string& extra = "", const std::string& moves = "1. e4 e5 *",
                         const std::string& nl = "\n") {
  return "[Event \"Test\"]" + nl + "[White \"" + white + "\"]" + nl + "[Black \"" + black + "\"]" +
         nl + extra + nl + moves + nl + nl;
}

}  // namespace brevaro::test
