#include "languages/language_table.h"
#include "collections/encoding.h"
#include "languages/language_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

using namespace brevaro;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TempDir {
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brevaro-lang-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string File(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

}  // namespace

// ---------------------------------------------------------------------------
// The table

TEST(LanguageTable, HasTheDescribedTextsInBothColumns) {
  struct Row {
    int row;
    const char* german;
    const char* english;
  };
  const Row rows[] = {
      {0,
       "Handelt es sich bei der neuen Stellung um eine Fischer-Random-Chess-Ausgangsstellung?\r"
       "(Wenn nicht, müssen alle Rochaderechte zurückgesetzt werden)",
       "Is this the first position of a Fischer-Random-Chess game?\rIf you choose \"No\", there "
       "will be reseted castling possibilities."},
      {8, "Soll die PGN-Datei \"", "Create new file \""},
      {9, "\" neu angelegt werden?", "\"?"},
      {12,
       "Aus dieser Datenbank sind noch Partien geöffnet.\rWird sie geschlossen, müssen Sie diese "
       "Partien an diese oder eine andere Datenbank anhängen.\rSoll sie trotzdem geschlossen "
       "werden?",
       "Games opened of this database.\rIf you close it, the games must append to this or another "
       "database later.\rClose this database?"},
      {13, "", ""},
      {17, "Markierte Partien werden an die Datei \"", "Selected games will be appended to \""},
      {18, "\" angehängt.\rFortfahren?", "\".\rContinue?"},
      {31, "", "&Open"},
      {132, "", "PGN-files|*.pgn|All files (*.*)|*.*"},
      {171, "Allen Partien aus dieser Datenbank wird der ECO-Code zugeordnet.\rWeitermachen?",
       "Now the ECO-code will be assigned to all games of this database.\rContinue?"},
      {173, "Ja", "Yes"},
      {176, "Abbrechen", "Cancel"},
      {178, "|Öffnet diese PGN-Datei", "|Opens this PGN file"},
      {190,
       "Die Einstellungen können nicht gespeichert werden: kein Ordner für brevaro.ini ist "
       "beschreibbar.\rBrevaro läuft ohne zu speichern.",
       "The settings cannot be saved: no folder for brevaro.ini can be written.\rBrevaro runs "
       "without saving them."},
      {211, "Die Partie wurde geändert.\rÄnderungen verwerfen?",
       "The game has been changed.\rDiscard the changes?"},
      {215, "Die Datei ist keine PGN-Datei.", "The file is not a PGN file."}};
  LanguageTable t;
  EXPECT_EQ(LanguageRowCount, 240);
  for (const Row& r : rows) {
    EXPECT_EQ(t.Text(r.row, 0), r.german) << r.row;
    EXPECT_EQ(t.Text(r.row, 1), r.english) << r.row;
  }
}

TEST(LanguageTable, LanguageTextFollowsTheIndexAndAnswersErrorOutOfRange) {
  LanguageTable t;
  EXPECT_EQ(t.Text(240, 1), "Error");
  EXPECT_EQ(t.LanguageText(1), "Speichern");
  t.SetLanguageIndex(1);
  EXPECT_EQ(t.LanguageText(1), "Save");
  for (int row : {-1, 240, 100000}) EXPECT_EQ(t.LanguageText(row), "Error") << row;
  for (int index : {-1, 2}) {
    t.SetLanguageIndex(index);
    EXPECT_EQ(t.LanguageText(1), "Error") << index;
  }
  t.SetText(240, 0, "x");  // ignored
  t.SetText(5, 2, "x");    // ignored
  EXPECT_EQ(t.Text(5, 0), "Weiter");
}

// Every row is exactly one of: built-in German, recorded from a window, or
// empty in German.
TEST(LanguageTable, EveryRowHasOneSourceOfItsGermanText) {
  std::set<int> recorded;
  std::map<LanguageWindowKind, int> per_kind, first;
  for (const RecordedRow& r : RecordedRows()) {
    EXPECT_TRUE(recorded.insert(r.row).second) << "row twice: " << r.row;
    ++per_kind[r.kind];
    first.emplace(r.kind, r.row);
  }
  using K = LanguageWindowKind;
  const std::tuple<K, int, int> kinds[] = {{K::Frame, 31, 23},
                                           {K::DatabaseWindow, 2, 60},
                                           {K::GameList, 21, 62},
                                           {K::GameWindow, 25, 84}};
  for (auto [kind, count, first_row] : kinds) {
    EXPECT_EQ(per_kind[kind], count);
    EXPECT_EQ(first[kind], first_row);
  }
  const std::vector<std::pair<int, int>> empty_german = {
      {22, 22},   {33, 36},   {41, 46},   {80, 83},   {100, 110}, {112, 115},
      {118, 124}, {129, 130}, {133, 162}, {165, 170}, {172, 172}, {231, 239}};
  LanguageTable t;
  for (int row = 0; row < LanguageRowCount; ++row) {
    const bool built_in = row <= 21 || row == 171 || (row >= 173 && row <= 224) || row == 230;
    bool empty = false;
    for (auto [a, b] : empty_german) empty = empty || (row >= a && row <= b);
    EXPECT_EQ(int(built_in) + int(empty) + int(recorded.count(row)), 1) << "row " << row;
    if (!built_in) {
      EXPECT_EQ(t.Text(row, 0), "") << "row " << row;
    }
  }
}

TEST(LanguageTable, LayoutGermanHoldsTheWindowsTexts) {
  const std::pair<int, const char*> rows[] = {
      {31, "Ö&ffnen"}, {37, "Fenster &schließen"},
      {70, "Weiß"},    {132, "PGN-Dateien|*.pgn|Alle Dateien (*.*)|*.*"},
      {30, ""},        {1, ""}};  // not recorded
  for (auto [row, text] : rows) EXPECT_EQ(LayoutGerman(row), text) << row;
}

TEST(LanguageTable, ShorterColumnChangesOnlyItsRows) {
  LanguageTable t;
  t.SetSecondColumn(std::vector<std::string>(50, "x"));
  for (int row = 0; row < LanguageRowCount; ++row)
    EXPECT_EQ(t.Text(row, 1), row < 50 ? "x" : BuiltInText(row, 1));
  t.SetSecondColumn(std::vector<std::string>(300, "y"));
  EXPECT_EQ(t.Text(LanguageRowCount - 1, 1), "y");
  for (int row = 0; row < LanguageRowCount; ++row) EXPECT_EQ(t.Text(row, 0), BuiltInText(row, 0));
}

// ---------------------------------------------------------------------------
// English.lng

TEST(EnglishFile, IsTheEnglishColumnInWindows1252WithCrLf) {
  const std::string bytes = EnglishLanguageFile();
  // One line per row ending in CR LF, no bare CR or LF: line breaks in texts became 0xA7.
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), LanguageRowCount);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), LanguageRowCount);
  std::vector<std::string> split;
  for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    split.push_back(bytes.substr(start, end - start));
  ASSERT_EQ(split.size(), size_t(LanguageRowCount));
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(split[12],
            "Games opened of this database.\xA7If you close it, the games must append to this or "
            "another database later.\xA7"
            "Close this database?");
  EXPECT_EQ(split[13], "");
}

TEST(EnglishFile, WrittenAndReadBackGivesTheTableOrReportsTheError) {
  TempDir dir;
  const std::string path = dir.File("English.lng");
  { std::ofstream(path) << "old contents\n"; }
  ASSERT_TRUE(WriteEnglishLanguageFile(path));
  EXPECT_EQ(ReadAll(path), EnglishLanguageFile());
  std::vector<std::string> texts;
  ASSERT_TRUE(ReadLanguageFile(path, texts));
  LanguageTable t;
  t.SetSecondColumn(std::vector<std::string>(173, "z"));
  t.SetSecondColumn(texts);
  for (int row = 0; row < LanguageRowCount; ++row) EXPECT_EQ(t.Text(row, 1), BuiltInText(row, 1));
  std::string error;
  EXPECT_FALSE(WriteEnglishLanguageFile("/nonexistent-dir/English.lng", &error));
  EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------
// Reading language files

TEST(LanguageFile, DecodesLineEndsAndEncodings) {
  using Texts = std::vector<std::string>;
  const std::pair<std::string, Texts> cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\nb\rc", {"a", "", "b", "c"}},  // mixed, no last line end
      {"\r\n\r\n", {"", ""}},
      {"Wei\xDF\xA7z\xFCge \x80\r\n", {"Weiß\rzüge €"}},  // Windows-1252
      {"Weiß§züge €\n", {"Weiß\rzüge €"}},                // UTF-8
      {"\xEF\xBB\xBFOui\n", {"Oui"}},                     // UTF-8 with BOM
      {"Weiß\n\xE4\n", {"WeiÃŸ", "ä"}},  // one invalid byte makes the whole file Windows-1252
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}}};
  for (const auto& [bytes, texts] : cases) EXPECT_EQ(DecodeLanguageFile(bytes), texts) << bytes;
}

TEST(LanguageFile, LinesBeyondTheLastRowAreIgnored) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) bytes += "line " + std::to_string(i) + "\n";
  const std::vector<std::string> texts = DecodeLanguageFile(bytes);
  ASSERT_EQ(texts.size(), size_t(LanguageRowCount));
  EXPECT_EQ(texts[LanguageRowCount - 1], "line " + std::to_string(LanguageRowCount - 1));
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

TEST(LanguageFile, OnlyTheFirstBytesOfAHugeFileAreRead) {
  TempDir dir;
  const std::string path = dir.File("Huge.lng");
  std::ofstream(path, std::ios::binary) << "first\r\n" << std::string(MaxLanguageFileBytes, 'x');
  std::vector<std::string> texts;
  ASSERT_TRUE(ReadLanguageFile(path, texts));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "first");
  EXPECT_EQ(texts[1].size(), MaxLanguageFileBytes - 7);
}

TEST(Encoding, Windows1252RoundTripsItsOwnCharacters) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ZuWindows1252(Windows1252ZuUtf8(all)), all);
  EXPECT_EQ(Utf8ZuWindows1252("Ω and \xFF"), "? and ?");
}
