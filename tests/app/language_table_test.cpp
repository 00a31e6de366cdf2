#include "app/language_table.h"
#include "app/language_file.h"
#include "collections/encoding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

using namespace brevaro;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> BuiltInEnglish() {
  std::vector<std::string> texts;
  for (int row = 0; row < LanguageRowCount; ++row) texts.emplace_back(BuiltInText(row, 1));
  return texts;
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brevaro-lang-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace

// ---------------------------------------------------------------------------
// The table

TEST(LanguageTable, HasOneHundredSeventyThreeRowsStartingInEnglish) {
  LanguageTable t;
  EXPECT_EQ(LanguageRowCount, 173);
  EXPECT_EQ(t.Text(172, 1), "Analyze openings");
  EXPECT_EQ(t.Text(173, 1), "Error");
  for (int row = 0; row < LanguageRowCount; ++row) EXPECT_EQ(t.Text(row, 1), BuiltInText(row, 1));
}

struct SampleRow {
  int row;
  const char* german;
  const char* english;
};

class LanguageTableSample : public testing::TestWithParam<SampleRow> {};

TEST_P(LanguageTableSample, HasTheDescribedTexts) {
  const SampleRow& s = GetParam();
  LanguageTable t;
  EXPECT_EQ(t.Text(s.row, 0), s.german);
  EXPECT_EQ(t.Text(s.row, 1), s.english);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LanguageTableSample,
    testing::Values(
        SampleRow{0,
                  "Handelt es sich bei der neuen Stellung um eine "
                  "Fischer-Random-Chess-Ausgangsstellung?\r(Wenn nicht, müssen alle "
                  "Rochaderechte zurückgesetzt werden)",
                  "Is this the first position of a Fischer-Random-Chess game?\rIf you choose "
                  "\"No\", there will be reseted castling possibilities."},
        SampleRow{4, "50-Züge-Regel.", "50-moves-rule."},
        SampleRow{8, "Soll die PGN-Datei \"", "Create new file \""},
        SampleRow{9, "\" neu angelegt werden?", "\"?"},
        SampleRow{12,
                  "Aus dieser Datenbank sind noch Partien geöffnet.\rWird sie geschlossen, "
                  "müssen Sie diese Partien an diese oder eine andere Datenbank anhängen.\rSoll "
                  "sie trotzdem geschlossen werden?",
                  "Games opened of this database.\rIf you close it, the games must append to "
                  "this or another database later.\rClose this database?"},
        SampleRow{13, "", ""}, SampleRow{15, "Die Datenbank \"", "The database \""},
        SampleRow{16, "\" ist bereits geöffnet.", "\" is already opened."},
        SampleRow{17, "Markierte Partien werden an die Datei \"",
                  "Selected games will be appended to \""},
        SampleRow{18, "\" angehängt.\rFortfahren?", "\".\rContinue?"},
        SampleRow{21, "Partie wurde geändert.\rSpeichern?", "Game was changed.\rSave?"},
        SampleRow{31, "", "&Open"}, SampleRow{88, "", "Print diagramm"},
        SampleRow{132, "", "PGN-files|*.pgn|All files (*.*)|*.*"},
        SampleRow{139, "", "( Do \"Fischer-castling\" with pressed <Strg>-button )"},
        SampleRow{141, "",
                  "Optionally parameters:\r\"brevaro.exe c:\\xxx.pgn 0\"\r( = Load first game "
                  "from file xxx.pgn )"},
        SampleRow{171,
                  "Allen Partien aus dieser Datenbank wird der ECO-Code zugeordnet.\rWeitermachen?",
                  "Now the ECO-code will be assigned to all games of this database.\rContinue?"},
        SampleRow{172, "", "Analyze openings"}));

TEST(LanguageTable, LanguageTextFollowsTheIndexAndAnswersErrorOutOfRange) {
  LanguageTable t;
  EXPECT_EQ(t.LanguageText(1), "Speichern");
  t.SetLanguageIndex(1);
  EXPECT_EQ(t.LanguageText(1), "Save");
  for (int row : {-1, 173, 100000}) EXPECT_EQ(t.LanguageText(row), "Error") << row;
  for (int index : {-1, 2}) {
    t.SetLanguageIndex(index);
    EXPECT_EQ(t.LanguageText(1), "Error") << index;
  }
  t.SetText(173, 0, "x");  // ignored
  t.SetText(5, 2, "x");    // ignored
  EXPECT_EQ(t.Text(5, 0), "Weiter");
}

// Every row is exactly one of: built-in German, recorded from a window, or
// empty in German.
TEST(LanguageTable, EveryRowHasOneSourceOfItsGermanText) {
  std::set<int> recorded;
  std::map<LanguageWindowKind, int> per_kind;
  for (const RecordedRow& r : RecordedRows()) {
    EXPECT_TRUE(recorded.insert(r.row).second) << "row twice: " << r.row;
    ++per_kind[r.kind];
  }
  EXPECT_EQ(per_kind[LanguageWindowKind::Frame], 31);
  EXPECT_EQ(per_kind[LanguageWindowKind::DatabaseWindow], 2);
  EXPECT_EQ(per_kind[LanguageWindowKind::GameList], 18);
  EXPECT_EQ(per_kind[LanguageWindowKind::GameWindow], 23);
  // The first row of each kind's block.
  std::map<LanguageWindowKind, int> first;
  for (const RecordedRow& r : RecordedRows()) first.emplace(r.kind, r.row);
  EXPECT_EQ(first[LanguageWindowKind::Frame], 23);
  EXPECT_EQ(first[LanguageWindowKind::DatabaseWindow], 60);
  EXPECT_EQ(first[LanguageWindowKind::GameList], 62);
  EXPECT_EQ(first[LanguageWindowKind::GameWindow], 84);

  const std::vector<std::pair<int, int>> empty_german = {
      {22, 22},   {33, 36},   {41, 46},   {80, 83},   {100, 110}, {112, 115},
      {118, 124}, {129, 130}, {133, 162}, {165, 170}, {172, 172}};
  LanguageTable t;
  for (int row = 0; row < LanguageRowCount; ++row) {
    const bool built_in = row <= 21 || row == 171;
    bool empty = false;
    for (auto [a, b] : empty_german) empty = empty || (row >= a && row <= b);
    const bool rec = recorded.count(row) > 0;
    EXPECT_EQ(int(built_in) + int(empty) + int(rec), 1) << "row " << row;
    if (!built_in) {
      EXPECT_EQ(t.Text(row, 0), "") << "row " << row;
    }
  }
}

TEST(LanguageTable, LayoutGermanHoldsTheWindowsTexts) {
  EXPECT_EQ(LayoutGerman(31), "Ö&ffnen");
  EXPECT_EQ(LayoutGerman(37), "Fenster &schließen");
  EXPECT_EQ(LayoutGerman(70), "Weiß");
  EXPECT_EQ(LayoutGerman(78),
            "Datei öffnen|Öffnet eine PGN-Datei oder legt eine neue an (wenn neuer Name "
            "eingetragen wird)");
  EXPECT_EQ(LayoutGerman(132), "PGN-Dateien|*.pgn|Alle Dateien (*.*)|*.*");
  EXPECT_EQ(LayoutGerman(128), "Zum nächsten Variantenbeginn");
  EXPECT_EQ(LayoutGerman(30), "");
  EXPECT_EQ(LayoutGerman(1), "");  // not recorded
}

TEST(LanguageTable, ShorterColumnChangesOnlyItsRows) {
  LanguageTable t;
  std::vector<std::string> lines(50, "x");
  t.SetSecondColumn(lines);
  for (int row = 0; row < 50; ++row) EXPECT_EQ(t.Text(row, 1), "x");
  for (int row = 50; row < LanguageRowCount; ++row) EXPECT_EQ(t.Text(row, 1), BuiltInText(row, 1));
  std::vector<std::string> many(300, "y");
  t.SetSecondColumn(many);
  EXPECT_EQ(t.Text(172, 1), "y");
  for (int row = 0; row < LanguageRowCount; ++row) EXPECT_EQ(t.Text(row, 0), BuiltInText(row, 0));
}

// ---------------------------------------------------------------------------
// English.lng

TEST(EnglishFile, IsTheEnglishColumnInWindows1252WithCrLf) {
  const std::string bytes = EnglishLanguageFile();
  size_t lines = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == '\r' && bytes[i + 1] == '\n') ++lines;
  EXPECT_EQ(lines, 173u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  // No bare CR or LF: every line break inside a text became 0xA7.
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      EXPECT_EQ(bytes[i + 1], '\n') << i;
    }
    if (bytes[i] == '\n') {
      EXPECT_EQ(bytes[i - 1], '\r') << i;
    }
  }
  // Line 13 (row 12) holds two 0xA7 bytes.
  std::vector<std::string> split;
  for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    split.push_back(bytes.substr(start, end - start));
  ASSERT_EQ(split.size(), 173u);
  EXPECT_EQ(std::count(split[12].begin(), split[12].end(), '\xA7'), 2);
  EXPECT_EQ(split[12],
            "Games opened of this database.\xA7If you close it, the games must append to this or "
            "another database later.\xA7"
            "Close this database?");
  EXPECT_EQ(split[8], "Create new file \"");
  EXPECT_EQ(split[13], "");
  EXPECT_EQ(split[172], "Analyze openings");
}

TEST(EnglishFile, WrittenAndReadBackGivesTheTable) {
  TempDir dir;
  const std::string path = dir.File("English.lng");
  { std::ofstream(path) << "old contents\n"; }
  ASSERT_TRUE(WriteEnglishLanguageFile(path));
  EXPECT_EQ(ReadAll(path), EnglishLanguageFile());
  std::vector<std::string> texts;
  ASSERT_TRUE(ReadLanguageFile(path, texts));
  EXPECT_EQ(texts, BuiltInEnglish());
  LanguageTable t;
  t.SetSecondColumn(std::vector<std::string>(173, "z"));
  t.SetSecondColumn(texts);
  for (int row = 0; row < LanguageRowCount; ++row) EXPECT_EQ(t.Text(row, 1), BuiltInText(row, 1));
}

TEST(EnglishFile, UnwritableDirectoryIsReported) {
  std::string error;
  EXPECT_FALSE(WriteEnglishLanguageFile("/nonexistent-dir/English.lng", &error));
  EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------
// Reading language files

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> texts;
};

class DecodeLanguage : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeLanguage, GivesTheTexts) {
  EXPECT_EQ(DecodeLanguageFile(GetParam().bytes), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeLanguage,
    testing::Values(DecodeCase{"Empty", "", {}}, DecodeCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    DecodeCase{"Lf", "a\nb\n", {"a", "b"}},
                    DecodeCase{"CrOnly", "a\rb\r", {"a", "b"}},
                    DecodeCase{"MixedAndNoLastEnd", "a\r\n\nb\rc", {"a", "", "b", "c"}},
                    DecodeCase{"EmptyLines", "\r\n\r\n", {"", ""}},
                    DecodeCase{"Windows1252", "Wei\xDF\xA7z\xFCge \x80\r\n", {"Weiß\rzüge €"}},
                    DecodeCase{"Utf8", "Weiß§züge €\n", {"Weiß\rzüge €"}},
                    DecodeCase{"Utf8Bom", "\xEF\xBB\xBFOui\n", {"Oui"}},
                    // One invalid byte anywhere makes the whole file Windows-1252.
                    DecodeCase{"MixedEncodingIsWindows1252", "Weiß\n\xE4\n", {"WeiÃŸ", "ä"}},
                    DecodeCase{"NulKept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}}),
    [](const testing::TestParamInfo<DecodeCase>& p) { return std::string(p.param.name); });

TEST(LanguageFile, LinesBeyondRow172AreIgnored) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) bytes += "line " + std::to_string(i) + "\n";
  const std::vector<std::string> texts = DecodeLanguageFile(bytes);
  ASSERT_EQ(texts.size(), 173u);
  EXPECT_EQ(texts[172], "line 172");
}

TEST(LanguageFile, ReadsAHandMadeWindows1252Translation) {
  std::vector<std::string> texts;
  ASSERT_TRUE(ReadLanguageFile(BREVARO_TEST_DATA "/lang_francais_1252.lng", texts));
  ASSERT_EQ(texts.size(), 30u);
  EXPECT_EQ(texts[4], "Règle des 50 coups.");
  EXPECT_EQ(texts[12],
            "Des parties de cette base sont ouvertes.\rSi vous la fermez, il faudra les ajouter "
            "plus tard à une base.\rFermer cette base ?");
  EXPECT_EQ(texts[27], "Fe&nêtre");
  EXPECT_EQ(texts[29], "&Info – €");
  LanguageTable t;
  t.SetSecondColumn(texts);
  EXPECT_EQ(t.Text(8, 1), "Créer le nouveau fichier \"");
  EXPECT_EQ(t.Text(30, 1), "");
  EXPECT_EQ(t.Text(31, 1), "&Open");
}

TEST(LanguageFile, UnreadableFilesAreReportedNotRead) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("Dir.lng"));
  for (const std::string& path : {dir.File("Missing.lng"), dir.File("Dir.lng")}) {
    std::vector<std::string> texts = {"kept"};
    std::string error;
    EXPECT_FALSE(ReadLanguageFile(path, texts, &error)) << path;
    EXPECT_FALSE(error.empty()) << path;
    EXPECT_EQ(texts, std::vector<std::string>{"kept"}) << path;
  }
}

// Random bytes never crash the reader and never give more than 173 texts,
// each valid UTF-8.
TEST(LanguageFile, ArbitraryBytesAreReadSafely) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 5000, '\0');
    for (char& c : bytes) {
      const unsigned r = rng() % 16;
      c = r == 0 ? '\r' : r == 1 ? '\n' : r == 2 ? '\xA7' : static_cast<char>(rng());
    }
    const std::vector<std::string> texts = DecodeLanguageFile(bytes);
    EXPECT_LE(texts.size(), 173u);
    for (const std::string& text : texts) {
      EXPECT_TRUE(IstUtf8(text));
      EXPECT_EQ(text.find('\n'), std::string::npos);
    }
  }
}

// ---------------------------------------------------------------------------
// Encodings

TEST(Encoding, Utf8Validity) {
  EXPECT_TRUE(IstUtf8(""));
  EXPECT_TRUE(IstUtf8("Wei\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IstUtf8("Wei\xDF"));           // Windows-1252
  EXPECT_FALSE(IstUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IstUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IstUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IstUtf8("\xE2\x82"));          // cut short
}

TEST(Encoding, Windows1252RoundTripsItsOwnCharacters) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ZuWindows1252(Windows1252ZuUtf8(all)), all);
  EXPECT_EQ(Utf8ZuWindows1252("Ω and \xFF"), "? and ?");
}

TEST(LanguageFile, OnlyTheFirstBytesOfAHugeFileAreRead) {
  TempDir dir;
  const std::string path = dir.File("Huge.lng");
  {
    std::ofstream out(path, std::ios::binary);
    out << "first\r\n" << std::string(MaxLanguageFileBytes, 'x');
  }
  std::vector<std::string> texts;
  ASSERT_TRUE(ReadLanguageFile(path, texts));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "first");
  EXPECT_EQ(texts[1].size(), MaxLanguageFileBytes - 7);
}
