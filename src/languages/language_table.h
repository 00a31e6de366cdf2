// The LanguageTable: every window text and shell message by row, German in
// column 0 and a second language (English at start) in column 1. Plain C++;
// texts are held as UTF-8, a line break inside a text is a single "\r".
// Invariant: the table always has exactly LanguageRowCount rows, and column 1
// starts as the built-in English texts.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace brevaro {

inline constexpr int LanguageRowCount = 240;

// Rows added after the first 173 (older .lng files end before them).
inline constexpr int RowYes = 173;
inline constexpr int RowNo = 174;
inline constexpr int RowOk = 175;
inline constexpr int RowCancel = 176;
inline constexpr int RowDatabaseEntryHint = 177;  // Games menu, database window entry
inline constexpr int RowRecentFileHint = 178;     // Games menu, a recent file
// Rows 179..189 are kept free for the windows' texts.
inline constexpr int RowNoSettingsFolder = 190;  // at start: settings cannot be saved
// Rows 191..194 are kept free.
// Game window: move entry and keeping the game (entries with their hints),
// the notation's popup menu, the comment dialog, the questions.
inline constexpr int RowMoveEntry = 195;   // 196 its hint
inline constexpr int RowCopyPGN = 197;     // 198 its hint
inline constexpr int RowAppendGame = 199;  // 200 its hint
inline constexpr int RowDeleteRest = 201;
inline constexpr int RowDeleteVariation = 202;
inline constexpr int RowPromoteVariation = 203;
inline constexpr int RowMoveAnnotation = 204;
inline constexpr int RowPositionEvaluation = 205;
inline constexpr int RowNone = 206;
inline constexpr int RowEditComment = 207;
inline constexpr int RowUndo = 208;
inline constexpr int RowComment = 209;
inline constexpr int RowCommentLabel = 210;
inline constexpr int RowDiscardChanges = 211;
inline constexpr int RowAppendTitle = 212;
inline constexpr int RowAppendQuestion = 213;  // file name, then row 214
inline constexpr int RowNoPGNFile = 215;
// Rows 216..224 are kept free.
inline constexpr int RowPositionModes = 225;      // game list: 225..227, the three position filters
inline constexpr int RowGamesWithPosition = 228;  // game window popup entry, 229 its hint
inline constexpr int RowSourceChanged = 230;      // games dropped from a file changed since

// The text returned for a row or language index out of range.
inline constexpr std::string_view LanguageErrorText = "Error";

// The window kinds whose control texts are recorded into the table.
enum class LanguageWindowKind { Frame, DatabaseWindow, GameList, GameWindow };

// A row whose German text is recorded from a window's controls, with the
// German text that control carries in the window layout. Windows build their
// controls with LayoutGerman(row) so that the layouts and the table agree.
struct RecordedRow {
  int row;
  LanguageWindowKind kind;
  std::string_view german;
};

// The recorded rows, grouped by window kind; within a kind the first entry
// is the row that tells whether that kind has been recorded already.
std::span<const RecordedRow> RecordedRows();

// German layout text of a recorded row; empty for any other row.
std::string_view LayoutGerman(int row);

// The built-in texts of a column (0 German, 1 English); empty out of range.
std::string_view BuiltInText(int row, int column);

class LanguageTable {
 public:
  // Built-in texts: German of rows 0..21, 171, 173..178, 190, 195..215 and 230, the English
  // column.
  LanguageTable();

  // 0 selects column 0 (German), 1 column 1; any other value makes
  // LanguageText answer "Error".
  int LanguageIndex() const { return language_index_; }
  void SetLanguageIndex(int index) { language_index_ = index; }

  // Text of Row in column LanguageIndex; "Error" when Row is out of range
  // or LanguageIndex is not 0 or 1.
  std::string LanguageText(int row) const;

  // Text of a cell; "Error" out of range.
  std::string Text(int row, int column) const;
  // Sets a cell; ignored out of range.
  void SetText(int row, int column, std::string_view text);

  // Replaces column 1 of rows 0 .. min(LanguageRowCount, lines.size()) - 1;
  // the other rows keep their texts. Lines beyond the last row are ignored.
  void SetSecondColumn(std::span<const std::string> lines);

 private:
  std::array<std::array<std::string, 2>, LanguageRowCount> cells_;
  int language_index_ = 0;
};

// The process-wide table the windows read their texts from (the program
// runs on one user-interface thread).
LanguageTable& Languages();

}  // namespace brevaro
