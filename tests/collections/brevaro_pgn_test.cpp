// The command-line companion, run as a program on the bundled samples.
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "testfiles.h"

using brevaro::test::ScratchDir;
using brevaro::test::Spiel;

namespace {

// The companion is built beside the tests: <build>/tools/brevaro-pgn/brevaro-pgn.
std::string Programm() {
  const auto self = std::filesystem::canonical("/proc/self/exe");
  return (self.parent_path().parent_path() / "tools" / "brevaro-pgn" / "brevaro-pgn").string();
}

struct Ergebnis {
  int code = -1;
  std::string aus;
};

std::string Zitiert(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

Ergebnis Starten(const std::vector<std::string>& args) {
  std::string befehl = Zitiert(Programm());
  for (const std::string& a : args) befehl += " " + Zitiert(a);
  befehl += " 2>/dev/null";
  Ergebnis e;
  FILE* p = ::popen(befehl.c_str(), "r");
  if (!p) return e;
  std::array<char, 4096> puffer{};
  size_t n;
  while ((n = std::fread(puffer.data(), 1, puffer.size(), p)) > 0) e.aus.append(puffer.data(), n);
  const int status = ::pclose(p);
  e.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return e;
}

const std::string kSamples = std::string(BREVARO_SAMPLES) + "/classics.pgn";

}  // namespace

class Companion : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    ASSERT_TRUE(std::filesystem::exists(Programm())) << "build brevaro-pgn first: " << Programm();
  }
};

TEST_F(Companion, CountAndList) {
  EXPECT_EQ(Starten({"count", kSamples}).aus, "5\n");
  const Ergebnis liste = Starten({"list", kSamples});
  EXPECT_EQ(liste.code, 0);
  EXPECT_EQ(
      liste.aus.substr(0, liste.aus.find('\n')),
      "1\tMorphy, Paul - Duke Karl of Brunswick and Count Isouard\tParis, Paris FRA\t1858\t1-0");
  EXPECT_EQ(std::count(liste.aus.begin(), liste.aus.end(), '\n'), 5);
}

TEST_F(Companion, FilterAndSort) {
  EXPECT_EQ(Starten({"list", kSamples, "--player", "ANDERSSEN", "--as", "white", "--result", "1-0",
                     "--sort", "year"})
                .aus,
            "2\tAnderssen, Adolf - Kieseritzky, Lionel\tLondon, London ENG\t1851\t1-0\n"
            "3\tAnderssen, Adolf - Dufresne, Jean\tBerlin, Berlin GER\t1852\t1-0\n");
  const Ergebnis neu = Starten({"list", kSamples, "--sort", "year", "--sort", "year"});
  EXPECT_EQ(neu.aus.substr(0, 2), "4\t");
  const Ergebnis jahre = Starten({"list", kSamples, "--years", "1850-1852"});
  EXPECT_EQ(jahre.aus.substr(0, 2), "2\t");
  EXPECT_EQ(std::count(jahre.aus.begin(), jahre.aus.end(), '\n'), 2);
  const Ergebnis frc =
      Starten({"list", kSamples, "--position", "bqnbrkrn/8/8/8/8/8/8/8 w - - 0 1"});
  EXPECT_EQ(frc.aus.substr(0, 2), "5\t");
  EXPECT_EQ(std::count(frc.aus.begin(), frc.aus.end(), '\n'), 1);
}

TEST_F(Companion, ListWritesUtf8ForWindows1252Files) {
  const std::string p = Schreiben("latin.pgn", Spiel("M\xFCller",
                                                     "Nu\xF1"
                                                     "ez"));
  EXPECT_EQ(Starten({"list", p}).aus,
            "1\tM\xC3\xBCller - Nu\xC3\xB1"
            "ez\tTest\t\t*\n");
  EXPECT_EQ(Starten({"list", p, "--player", "m\xC3\xBCl"}).aus.substr(0, 2), "1\t");
}

TEST_F(Companion, Fen) {
  const Ergebnis gut =
      Starten({"fen", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 5 1"});
  EXPECT_EQ(gut.code, 0);
  EXPECT_EQ(gut.aus, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1\n");
  EXPECT_EQ(Starten({"fen", "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRKBBQRN w KQkq f1 0 1"}).aus,
            "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRKBBQRN w KQkq f1 0 1\n");
  const Ergebnis schlecht = Starten({"fen", "8/8 w"});
  EXPECT_EQ(schlecht.code, 1);
  EXPECT_EQ(schlecht.aus, "invalid\n");
}

TEST_F(Companion, AppendThenCount) {
  const std::string ziel = Schreiben("ziel.pgn", "");
  EXPECT_EQ(Starten({"append", ziel, kSamples, "3", "0"}).code, 0);
  EXPECT_EQ(Starten({"count", ziel}).aus, "2\n");
  EXPECT_EQ(Starten({"list", ziel}).aus.substr(0, 25), "1\tByrne, Donald - Fischer");
  EXPECT_EQ(Lesen(ziel).substr(0, 11), "\r\n\r\n[Event ");
  const std::string text = Schreiben("text.pgn", "not a pgn file\n");
  EXPECT_EQ(Starten({"append", text, kSamples, "0"}).code, 2);
  EXPECT_EQ(Lesen(text), "not a pgn file\n");
  EXPECT_EQ(Starten({"append", ziel, kSamples, "5"}).code, 2);
  EXPECT_EQ(Starten({"count", ziel}).aus, "2\n");
}

TEST_F(Companion, ClearErrorsAndHelp) {
  EXPECT_EQ(Starten({}).code, 2);
  EXPECT_EQ(Starten({"frobnicate"}).code, 2);
  EXPECT_EQ(Starten({"count", Pfad("missing.pgn")}).code, 2);
  EXPECT_FALSE(std::filesystem::exists(Pfad("missing.pgn")));
  EXPECT_EQ(Starten({"count", Schreiben("t.txt", "words\n")}).code, 2);
  EXPECT_EQ(Starten({"list", kSamples, "--sort", "colour"}).code, 2);
  EXPECT_EQ(Starten({"list", kSamples, "--years", "1990"}).code, 2);
  EXPECT_EQ(Starten({"list", kSamples, "--result", "1:0"}).code, 2);
  EXPECT_EQ(Starten({"list", kSamples, "--player"}).code, 2);
  for (const char* befehl : {"count", "list", "fen", "append"}) {
    const Ergebnis hilfe = Starten({befehl, "--help"});
    EXPECT_EQ(hilfe.code, 0) << befehl;
    EXPECT_EQ(hilfe.aus.substr(0, 19), std::string("usage: brevaro-pgn ")) << befehl;
  }
}
