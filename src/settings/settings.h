// The settings of brevaro.ini: the recent PGN files (History), the options,
// the window sizes, the square colours and the piece letters, with their
// defaults; how they are read from and written to the ini file; and where the
// settings and language files live. Plain C++.
// Invariant: History holds at most HistoryMax entries, newest first.
#pragma once

#include "settings/ini_file.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brevaro {

inline constexpr int HistoryMax = 8;
inline constexpr std::string_view SettingsFileName = "brevaro.ini";
// Window sizes beyond this (or negative) are read as missing; the windows
// clamp the others to the room they have.
inline constexpr int32_t MaxStoredSize = 32767;

// Section and key names; the members of TSettings carry the key names.
struct TSettings {
  // [History]
  std::vector<std::string> History;  // raw entries (see HistoryEntry), newest first
  std::string SaveDataBase;          // kept and written back unchanged
  // [Options]
  bool Koordinaten = true;
  bool FontBold = false;   // read, not used, written as 0
  bool CFontBold = false;  // read, not used, written as 0
  int32_t English = 0;     // language index: 0 German, otherwise the language otherLang
  std::string otherLang = "English";
  bool Animation = true;
  int32_t BrettHeight = 0, BrettWidth = 0;        // game window size, applied above 100
  int32_t BrettSize = 0;                          // board panel width, applied above 50
  int32_t PGNHeight = 0, PGNWidth = 0;            // game-list window size, applied above 100
  int32_t DatabaseHeight = 0, DatabaseWidth = 0;  // database window, applied above 50
  int32_t MainHeight = 0, MainWidth = 0;          // frame size, applied above 100
  int32_t BlackSquare = 0, WhiteSquare = 0;       // square colours, applied when not 0
  bool DatabaseWinEnabled = true;  // read only: false opens the database window at start
  // Letters for king, queen, rook, bishop, knight and pawn (figK .. figP).
  std::array<std::string, 6> fig;
  bool MoveEntry = false;  // new game windows take moves on the board
};

// The keys of the piece letters, in the order of TSettings::fig.
inline constexpr std::array<std::string_view, 6> PieceLetterKeys = {"figK", "figQ", "figR",
                                                                    "figB", "figN", "figP"};

// Reads every key, with its default when missing or not of its type. A
// non-empty History entry enters the list only when accept_history_path
// (given the entry's path) agrees; without it every entry enters.
TSettings ReadSettings(const IniFile& ini,
                       const std::function<bool(const std::string&)>& accept_history_path = {});

// Writes every key except DatabaseWinEnabled, in the order of the settings
// table; File0..File7 beyond the list's length are written empty, FontBold
// and CFontBold as 0.
void WriteSettings(const TSettings& settings, IniFile& ini);

// Loads path (a missing file gives the defaults) / rewrites it, keeping keys
// and sections it does not know. Saving goes through a temporary file, so a
// failed write leaves the old file intact. False with the error text on
// failure; LoadSettings then still fills settings with the defaults.
bool LoadSettings(const std::string& path, TSettings& settings,
                  const std::function<bool(const std::string&)>& accept_history_path = {},
                  std::string* error = nullptr);
bool SaveSettings(const std::string& path, const TSettings& settings, std::string* error = nullptr);

// ---------------------------------------------------------------------------
// History entries: the file name, three blanks, the full path in double
// quotes, e.g.  games.pgn   "/home/anna/pgn/games.pgn"

std::string HistoryEntry(const std::string& path);
// The path of an entry: the quoted text after the file name and three blanks
// (file names may hold double quotes themselves), else the text after the
// first double quote without the closing one. An entry without quotes (edited
// by hand) is its own path.
std::string HistoryPath(const std::string& entry);
// Two paths name the same file. File names are case-sensitive here, so the
// comparison is exact.
bool SamePath(const std::string& a, const std::string& b);
// Inserts the entry for path at the top unless an equal entry is present
// (which keeps its place); drops the oldest beyond HistoryMax. Ignores an
// empty path. True when the list changed.
bool AddHistory(std::vector<std::string>& history, const std::string& path);
// Removes the entry for path; true when there was one.
bool RemoveFromHistory(std::vector<std::string>& history, const std::string& path);

// ---------------------------------------------------------------------------
// Where brevaro.ini and the language files live.

// Environment variable naming the settings directory (as the option does).
inline constexpr std::string_view ConfigDirVariable = "BREVARO_CONFIG_DIR";
// $XDG_CONFIG_HOME/brevaro, or $HOME/.config/brevaro when XDG_CONFIG_HOME is
// unset or not absolute; empty when neither can be found.
std::string UserConfigDirectory();

// A directory a file can be created in (tried by creating one).
bool IsWritableDirectory(const std::string& dir);

// The directory for brevaro.ini and English.lng: the explicit directory when
// given (the option), else $BREVARO_CONFIG_DIR when set, else the program
// directory when writable; when that one cannot hold the file (it cannot be
// made, is no directory, or is not writable), UserConfigDirectory() instead.
// A chosen directory other than the program directory is created when
// missing. Empty when none can be had: the program then runs without saving
// its settings and says so.
std::string ChooseSettingsDirectory(const std::string& program_dir,
                                    const std::string& explicit_dir = {});

}  // namespace brevaro
