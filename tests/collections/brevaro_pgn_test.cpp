// The command-line companion, run as a program on the bundled samples.
// GCC 12 warns falsely (-Wrestrict) about std::string code it inlines in
// optimised builds of these tests.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Counting is checked with appending below, the whole list with threads.
TEST_F(Companion, FilterAndSort) {
  const Ergebnis liste = Starten({"list", kSamples, "--player", "ANDERSSEN", "--as", "white",
                                  "--result", "1-0", "--sort", "year"});
  EXPECT_EQ(liste.code, 0);
  EXPECT_EQ(liste.aus,
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

TEST_F(Companion, ListGamesThatReachAPosition) {
  const std::string p =
      Schreiben("r.pgn", Spiel("Anna", "Bert", "", "1. e4 e5 2. Nf3 Nc6 3. Bb5 *") +
                             Spiel("Carl", "Dora", "", "1. d4 (1. e4 e5 2. Nf3 Nc6) 1... d5 *") +
                             Spiel("Emil", "Anna", "", "1. Nf3 Nc6 2. e4 e5 *"));
  const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w - - 0 1";
  EXPECT_EQ(Starten({"list", p, "--reaches", fen, "--threads", "2"}).aus,
            "1\tAnna - Bert\tTest\t\t*\t4\n3\tEmil - Anna\tTest\t\t*\t4\n");
  const Ergebnis alle =
      Starten({"list", p, "--reaches", fen, "--variations", "--sort", "white", "--sort", "white"});
  EXPECT_EQ(alle.aus.substr(0, alle.aus.find('\n')), "3\tEmil - Anna\tTest\t\t*\t4");
  EXPECT_EQ(std::count(alle.aus.begin(), alle.aus.end(), '\n'), 3);
  EXPECT_EQ(Starten({"list", p, "--reaches", fen, "--player", "anna", "--as", "black"}).aus,
            "3\tEmil - Anna\tTest\t\t*\t4\n");
  EXPECT_EQ(Starten({"list", p, "--variations"}).code, 2);
  EXPECT_EQ(Starten({"list", p, "--reaches", "xyz"}).code, 2);
}

TEST_F(Companion, ListAndShowWriteUtf8ForWindows1252AndUtf8Games) {
  const std::string p = Schreiben("latin.pgn", Spiel("M\xFCller",
                                                     "Nu\xF1"
                                                     "ez"));
  EXPECT_EQ(Starten({"list", p}).aus,
            "1\tM\xC3\xBCller - Nu\xC3\xB1"
            "ez\tTest\t\t*\n");
  EXPECT_EQ(Starten({"list", p, "--player", "m\xC3\xBCl"}).aus.substr(0, 2), "1\t");
  // Evaluation symbols show as signs; a comment's bytes, also those the
  // symbols use (0x80 is the euro sign), as the game's encoding has them.
  const std::string w1252 =
      Schreiben("sym.pgn", Spiel("a", "b", "", "1. e4 {\x80 a} e5 $16 2. Nf3 $10 *"));
  const std::string utf8 =
      Schreiben("utf8.pgn", Spiel("a", "b", "", "1. e4 {tr\xC3\xA8s} e5 $16 *"));
  EXPECT_EQ(Starten({"show", w1252, "0", "--english"}).aus,
            "1.e4 {\xE2\x82\xAC a} e5\xC2\xB1 2.Nf3=\n\n*\n");
  EXPECT_EQ(Starten({"show", utf8, "0", "--english"}).aus, "1.e4 {tr\xC3\xA8s} e5\xC2\xB1\n\n*\n");
}

TEST_F(Companion, ShowPgnAndReplay) {
  const Ergebnis zeigen = Starten({"show", kSamples, "0", "--english", "--heading"});
  EXPECT_EQ(zeigen.code, 0);
  EXPECT_EQ(zeigen.aus.substr(0, zeigen.aus.find('\n')),
            "Morphy, Paul - Duke Karl of Brunswick and Count Isouard");
  EXPECT_NE(zeigen.aus.find("16.Qb8+!! Nxb8 17.Rd8#"), std::string::npos);
  EXPECT_NE(zeigen.aus.find("\n[3...exd4 {is the usual move.}]\n"), std::string::npos);
  const Ergebnis deutsch = Starten({"show", kSamples, "0"});
  EXPECT_NE(deutsch.aus.find("16.Db8+!! Sxb8 17.Td8#"), std::string::npos);
  EXPECT_EQ(deutsch.aus.substr(0, 5), "{The ");

  // The writer's text reads back to the same game.
  const Ergebnis pgn = Starten({"pgn", kSamples, "4"});
  EXPECT_EQ(pgn.code, 0);
  EXPECT_NE(pgn.aus.find("[FEN \"bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w KQkq f1 0 1\"]"),
            std::string::npos);
  const std::string kopie = Schreiben("kopie.pgn", pgn.aus);
  const Ergebnis original = Starten({"replay", kSamples});
  const Ergebnis zurueck = Starten({"replay", kopie});
  const std::string letzte =
      original.aus.substr(original.aus.rfind('\n', original.aus.size() - 2) + 1);
  EXPECT_EQ(zurueck.aus, "0" + letzte.substr(1));

  // Every sample game is read completely and ends where the oracle says.
  EXPECT_EQ(original.code, 0);
  EXPECT_EQ(original.aus.find("ERR"), std::string::npos);
  EXPECT_EQ(std::count(original.aus.begin(), original.aus.end(), '\n'), 5);
  EXPECT_NE(original.aus.find("0\t33\t1n1Rkb1r/p4ppp/4q3/4p1B1/4P3/8/PPP2PPP/2K5 b\te2e4 e7e5 "),
            std::string::npos);
  EXPECT_NE(original.aus.find("\n4\t25\tbqkr2r1/ppp1bpp1/4p3/4P3/6Rp/2P2B2/PPQ2PPP/B4RK1 b\t"),
            std::string::npos);
  EXPECT_NE(original.aus.find(" f1g1 "), std::string::npos) << "o-o as the king's squares";

  EXPECT_EQ(Starten({"show", kSamples, "5"}).code, 2);
  EXPECT_EQ(Starten({"pgn", kSamples}).code, 2);
  const Ergebnis kaputt =
      Starten({"replay", Schreiben("k.pgn", Spiel("A", "B", "", "1. e4 e5 2. Qxz9 *"))});
  EXPECT_EQ(kaputt.aus,
            "0\t2\trnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w\te2e4 e7e5\tERR\n");
}

TEST_F(Companion, ReplayAndListWriteTheSameLinesWithAnyNumberOfThreads) {
  // More games than one round of two threads replays, and than two threads
  // list in parts; some with an error.
  std::string text;
  for (int g = 0; g < 9000; ++g)
    text += Spiel("W" + std::to_string(g), "B", "",
                  g % 7 == 1 ? "1. e4 e5 2. Qxz9 *" : "1. d4 d5 2. c4 e6 3. Nc3 *");
  const std::string p = Schreiben("viele.pgn", text);
  const Ergebnis eins = Starten({"replay", "--threads", "1", p});
  ASSERT_EQ(std::count(eins.aus.begin(), eins.aus.end(), '\n'), 9000);
  EXPECT_EQ(eins.aus.substr(eins.aus.rfind('\n', eins.aus.size() - 2) + 1, 7), "8999\t5\t");
  for (const char* n : {"2", "3", "8"})
    EXPECT_EQ(Starten({"replay", "--threads", n, p}).aus, eins.aus) << n;
  EXPECT_EQ(Starten({"replay", p}).aus, eins.aus);
  EXPECT_EQ(Starten({"replay", "--threads", "0", p}).code, 2);

  const std::pair<std::vector<std::string>, long> listen[] = {
      {{}, 9000},
      {{"--player", "w12"}, 111},
      {{"--sort", "white"}, 9000},
      {{"--player", "w1", "--sort", "black"}, 1111}};
  for (const auto& [wie, zeilen] : listen) {
    std::vector<std::string> args = {"list", p, "--threads", "1"};
    args.insert(args.end(), wie.begin(), wie.end());
    const std::string liste = Starten(args).aus;
    EXPECT_EQ(std::count(liste.begin(), liste.end(), '\n'), zeilen);
    for (const char* n : {"2", "3", "8"}) {
      args[3] = n;
      EXPECT_EQ(Starten(args).aus, liste) << n << " threads, " << zeilen;
    }
  }
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
  // A target with LF line ends gets LF separators between the games.
  const std::string lf = Schreiben("lf.pgn", "[Event \"A\"]\n\n1. e4 *\n");
  EXPECT_EQ(Starten({"append", lf, kSamples, "3", "0"}).code, 0);
  const std::string danach = Lesen(lf);
  EXPECT_EQ(danach.rfind("[Event \"A\"]\n\n1. e4 *\n\n\n[Event \"Rosenwald", 0), 0u);
  EXPECT_NE(danach.find("\n\n[Event \"Paris"), std::string::npos);
}

TEST_F(Companion, AppendBeyondAFileSizeLimitFailsWithTheReason) {
  const std::string alt = Spiel("A", "B");
  const std::string ziel = Schreiben("ziel.pgn", alt);
  const std::string fehler = Pfad("fehler.txt");
  const pid_t kind = ::fork();
  if (kind == 0) {
    rlimit grenze{alt.size() + 100, alt.size() + 100};
    ::setrlimit(RLIMIT_FSIZE, &grenze);
    if (!std::freopen(fehler.c_str(), "w", stderr)) ::_exit(99);
    ::execl(Programm().c_str(), "brevaro-pgn", "append", ziel.c_str(), kSamples.c_str(), "0",
            static_cast<char*>(nullptr));
    ::_exit(98);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(kind, &status, 0), kind);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_NE(Lesen(fehler).find(std::strerror(EFBIG)), std::string::npos) << Lesen(fehler);
  EXPECT_EQ(Lesen(ziel), alt);
}

TEST_F(Companion, FilesWithoutEventTagsAndTheReasonForUnreadableFiles) {
  const std::string p = Schreiben(
      "ohne.pgn", "[White \"A\"]\n[Black \"B\"]\n\n1. e4 *\n\n[White \"C\"]\r\r1. d4 *\r");
  EXPECT_EQ(Starten({"count", p}).aus, "2\n");
  EXPECT_EQ(Starten({"list", p}).aus, "1\tA - B\t\t\t*\n2\tC - N.N.\t\t\t*\n");
  const std::string fehler = Pfad("fehler.txt");
  const auto meldung = [&](const std::string& datei) {
    std::system((Zitiert(Programm()) + " count " + Zitiert(datei) + " 2>" + fehler).c_str());
    return Lesen(fehler);
  };
  EXPECT_EQ(meldung(dir_.string()), "brevaro-pgn: " + dir_.string() + ": Is a directory\n");
  EXPECT_EQ(meldung(Pfad("t.txt")),
            "brevaro-pgn: " + Pfad("t.txt") + ": No such file or directory\n");
  Schreiben("t.txt", "words\n");
  EXPECT_EQ(meldung(Pfad("t.txt")), "brevaro-pgn: " + Pfad("t.txt") + ": not a PGN file\n");
  if (::geteuid() != 0) {
    ::chmod(p.c_str(), 0);
    EXPECT_EQ(meldung(p), "brevaro-pgn: " + p + ": Permission denied\n");
  }
}

TEST_F(Companion, ClearErrorsAndHelp) {
  const std::vector<std::vector<std::string>> falsch = {{},
                                                        {"frobnicate"},
                                                        {"count", Pfad("missing.pgn")},
                                                        {"count", Schreiben("t.txt", "words\n")},
                                                        {"list", kSamples, "--sort", "colour"},
                                                        {"list", kSamples, "--years", "1990"},
                                                        {"list", kSamples, "--result", "1:0"},
                                                        {"list", kSamples, "--player"}};
  for (const auto& args : falsch) EXPECT_EQ(Starten(args).code, 2) << args.size();
  EXPECT_FALSE(std::filesystem::exists(Pfad("missing.pgn")));
  for (const char* befehl : {"count", "list", "show", "pgn", "replay", "fen", "append"}) {
    const Ergebnis hilfe = Starten({befehl, "--help"});
    EXPECT_EQ(hilfe.code, 0) << befehl;
    EXPECT_EQ(hilfe.aus.substr(0, 19), std::string("usage: brevaro-pgn ")) << befehl;
  }
}
