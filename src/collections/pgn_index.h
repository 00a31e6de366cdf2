// The index of one PGN file: a single scan finds where every game starts (see
// TagZeilenName for the rule) and keeps only byte ranges; game texts and
// headers are read from the file again on demand. Rows are the games
// shown (after a filter) in their display order (after a sort).
// Invariant: every index entry lies inside the bytes scanned; the file is
// opened read-only and only ever read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/header.h"

namespace brevaro {

// The answer to a progress report.
enum TCancelMode : uint8_t { cmNone = 0, cmContinue = 1, cmCancel = 2 };

// The byte range of one game: from the "[" of its first tag line to where the
// next game starts (for the last game, the end of the file).
struct TGameIndexEntry {
  int64_t GameID = -1;  // number in file order, from 0
  int64_t StartPos = 0;
  int64_t EndPos = 0;
};

// The integer part of a * 100 / b; 0 when b is 0.
int Prozent(int64_t a, int64_t b);

// Size of the blocks the scan counts its progress in.
inline constexpr int64_t ScanBlock = 16384;

// Lines end at CR, LF or CR LF. A blank is any byte up to and including the
// space other than CR and LF.
//
// A tag line is a line whose first byte other than a blank is "[", followed at
// once by a tag name (ASCII letters, digits and "_"), blanks and a double
// quote that stands among the first TagZeilenKopf bytes of the line; so
// "[%clk 0:03:00]" is none. At the start of the file a UTF-8 byte order mark
// counts as blanks. A game starts
// - at the first tag line of the file,
// - at the first tag line after a line of movetext (a line that is neither a
//   tag line, nor empty (only blanks), nor has "%" as its first byte other
//   than a blank), and
// - at a tag line whose tag name (case-sensitive) an earlier tag line of the
//   same game's tag section has, and
// - at the start of a game without tags that begins the file, as a player
//   writes one who pastes moves into a file: see TaglosePartieAmAnfang, and
// - outside a tag section, at a line that begins (with no blank before it)
//   with "1." and a move as there, when the last bytes before the line other
//   than blanks, line ends and comments ("1-0 {on time}") are a result ("1-0",
//   "0-1", "1/2-1/2" or "*") with a blank or line end before it: the next game
//   without tags of such a file. Only TagZeilenKopf bytes are looked at on
//   either side of the line start.
inline constexpr size_t TagZeilenKopf = 256;
// The tag name when `zeile` (one line, without its line end) is a tag line;
// empty otherwise.
std::string_view TagZeilenName(std::string_view zeile);

// Where a game without tags starts in `anfang`, the first bytes of a file (at
// most TaglosGrenze of them are looked at). Past blanks, line ends, "%" lines
// and comments ("{...}", and ";" to the line end), the text must go on with
// the move number 1 and a move ("1. e4", "1.Nf3", "1. O-O"): "1.", blanks, and
// a file letter followed by a rank or "x", a piece letter (English or German)
// followed by a file, a rank or "x", or "O-" / "0-". The game starts at the
// first of those comments, so that they stay part of it, else at the "1.".
// npos otherwise, a tag line included.
size_t TaglosePartieAmAnfang(std::string_view anfang);
inline constexpr size_t TaglosGrenze = 64 * 1024;

// A game whose tag section gives no result (no Result tag, or "*") shows the
// result its text ends with, looked for in at most this many last bytes.
inline constexpr size_t ErgebnisFenster = 512;

// The list reads at most this much of a game for its header.
inline constexpr int64_t KopfGrenze = 64 * 1024;
// The window headers are read through (see ReadGameHeader): a few KopfGrenze
// long, so that the bytes read are still in the core's cache when the header
// is read from them.
inline constexpr int64_t KopfFenster = 4 * KopfGrenze;

// Sort keys of SortBy.
enum TSortKey : uint8_t {
  skNumber = 0,
  skWhite,
  skBlack,
  skEvent,
  skAnnotator,
  skSite,
  skResult,
  skEco,
  skYear,
  skWhiteElo,
  skBlackElo,
  skMoveCount,
};

// A window of the file that GameTextView (and ReadGameHeader with a window)
// reads games through, and its copy of a game too long for the window. Threads that read games of
// one index at the same time each use their own.
struct TTextFenster {
  std::vector<char> Daten;
  int64_t Start = 0;
  std::string Kopie;
};

class TPGNIndex {
 public:
  // Progress of a scan, filter or sort; setting cmCancel stops it. A final
  // call with percent 0 ends each operation. Percent may exceed 100.
  std::function<void(int percent, TCancelMode& cancelMode)> OnPGNTrace;
  // A game is about to become a row; showThisGame enters as true. Not called
  // during a scan (every game becomes a row).
  std::function<void(const TEventData& gameHeader, bool& showThisGame)> OnFilterRequest;
  // The file name set does not exist; createNewPGNFile enters as true.
  std::function<void(const std::string& fileName, bool& createNewPGNFile)> BeforeCreatePGNFile;

  TPGNIndex();
  ~TPGNIndex();
  TPGNIndex(const TPGNIndex&) = delete;
  TPGNIndex& operator=(const TPGNIndex&) = delete;

  // Opens and indexes a file; an empty name closes it. Ignored while Busy. A
  // file that fails IstPGNDatei, or a new file the handler declines, leaves the
  // previous file listed. A missing name without the extension ".pgn" gets it.
  // The file is scanned by StandardThreads() threads (at most 8); OnPGNTrace
  // and the rows' growth happen on the calling thread.
  void SetFileName(const std::string& pfad);
  const std::string& FileName() const { return fileName_; }
  // The platform's text for the last file that could not be opened, read or
  // created, empty after a success and for a file that is no PGN file.
  const std::string& LastError() const { return lastError_; }
  // True when the last SetFileName left an existing file unlisted because it
  // is no PGN file.
  bool RefusedNotPGN() const { return refusedNotPGN_; }

  bool IsOpen() const { return fd_ >= 0; }
  // Whether the games listed may no longer be what the file holds, as when
  // another program rewrote it: since the scan the file became shorter than
  // they reach, or it was written and kept its length, or it grew and the
  // last bytes listed changed. A file that only grew, as by appending, has not
  // changed; nor has one replaced by another under its name, as the open file
  // is still read.
  bool FileChanged() const;
  // The file now under FileName() against the one listed as its scan found
  // it: unchanged; grown only (the same file, its games listed unchanged, as
  // when games were appended, so that their numbers keep their meaning); or
  // renewed (another file took the name, or the file was written otherwise).
  // Setting the same name again scans it anew unless it is unchanged. A name
  // that no longer names a file counts as unchanged: the file open is listed.
  enum class TDateiStand { Unveraendert, Gewachsen, Erneuert };
  TDateiStand FileState() const;
  bool IndexComplete() const { return indexComplete_; }
  bool Busy() const { return busy_; }
  // Set while sorting: rows are not to be painted.
  bool NoPaint() const { return noPaint_; }
  uint8_t SortKey() const { return sortKey_; }

  int64_t GameCount() const;
  TGameIndexEntry Entry(int64_t gameId) const;

  int64_t RowCount() const { return static_cast<int64_t>(order_.size()); }
  // The GameID shown in display row `row`; -1 outside 0..RowCount()-1.
  int64_t GameOfRow(int64_t row) const;

  // Rebuilds the rows from all games through OnFilterRequest; file order.
  void ApplyFilter();
  // Makes these games the rows, in file order (ascending numbers; others are
  // dropped), as a filter decided elsewhere would. Ignored while Busy.
  void SetRows(const std::vector<int64_t>& gameIds);
  // Orders the rows by a header field (1..11), restores file order (0), or
  // reverses the rows when `key` is the current key. The texts SortKeyText
  // gives are compared as bytes; the keys (unless the scan read them, see
  // SetScanSortKey) are read by StandardThreads() threads while the calling
  // thread reports the progress. A stop while the
  // keys are read leaves the rows in file order.
  void SortBy(uint8_t key);
  // The sort key (1..11) whose keys the following scans on one thread (see
  // StandardThreads) read on a thread of their own while they run, so that
  // the first SortBy(key) after a complete scan need not read them; skNumber
  // (the default) for none.
  void SetScanSortKey(uint8_t key) { scanSortKey_ = key; }
  // The bytes each thread scans at a time (at least 1; tests use few).
  void SetScanPart(int64_t bytes) { scanTeil_ = std::max<int64_t>(1, bytes); }

  // gameId := -1 and pgnGame := "" unless 0 <= gameIndex < GameCount() and
  // the game's text is not empty.
  void GetGame(int64_t gameIndex, int64_t& gameId, std::string& pgnGame) const;
  // The game's bytes, cut at the first zero byte, without leading and
  // trailing blanks and control characters. A range the file no longer has
  // gives what is left of it, or "". The file is read in pieces of 1 MiB,
  // and no piece after the one with the first zero byte.
  std::string ReadGameText(int64_t gameIndex) const;
  // The same text, read through a window of the file that the index keeps for
  // this use, so that games read one after another in file order cost one
  // read per window rather than one per game. The view holds until the next
  // call or until the index is closed; the window shows the file as it was
  // when the window was read.
  std::string_view GameTextView(int64_t gameIndex);
  // The same through the caller's window; the view holds until the next call
  // with that window. Safe in several threads at once, each with its window,
  // while the index itself is not changed.
  std::string_view GameTextView(int64_t gameIndex, TTextFenster& fenster) const;
  // Reads the tag section of a game into GameHeader() and returns it: tag
  // lines, with empty lines and lines beginning with "%" between them, up to
  // the first other line, from at most the first KopfGrenze bytes of the
  // game. Text fields longer than ListenWertGrenze bytes are cut (see
  // ListenWert) and marked in HeaderCut(). A game without any text reads as
  // "Error" against "...". Without a result in the tag section, the result
  // the game's text ends with ("1. e4 e5 1-0", also with comments after it).
  const TEventData& ReadGameHeader(int64_t gameIndex);
  const TEventData& GameHeader() const { return header_; }
  // The fields of GameHeader() that were cut, as TGekuerzt bits.
  uint32_t HeaderCut() const { return headerCut_; }
  // The same into `kopf` through the caller's window (see GameTextView);
  // returns the fields cut as TGekuerzt bits. `einzeln`: the game lies far
  // from the next one asked for, so unless the window already holds it, only
  // its tag section is read (into the window's copy) rather than a window. `nurListe`: only the
  // fields a list row shows (White, Black, Event, Site, Year, Result) are read, the others are left
  // as they are. Safe in several threads at once, each with its window and record, while the index
  // itself is not changed.
  uint32_t ReadGameHeader(int64_t gameIndex, TEventData& kopf, TTextFenster& fenster,
                          bool einzeln = false, bool nurListe = false) const;

  // The text a sort key compares for a header (numbers in decimal, texts by
  // their ListenWert).
  static std::string SortKeyText(const TEventData& kopf, uint8_t key);

 private:
  bool Scan(const std::string& pfad);
  void CloseFile();
  void DateiEndeMerken();  // for FileChanged, after a scan
  // FileChanged for the file open, now of size `groesse`, changed at `zeit`
  // (nanoseconds).
  bool Geaendert(int64_t groesse, int64_t zeit) const;
  void AddRow(int64_t gameId);
  void Trace(int percent, TCancelMode& mode);
  int64_t ReadAt(int64_t pos, char* ziel, int64_t laenge) const;
  // The first line start from `pos` on (after a CR or LF; `pos` > 0), or
  // Unbegrenzt when there is none before the end of the file or `pos` is at
  // least `groesse`.
  int64_t ZeilenanfangAb(int64_t pos, int64_t groesse) const;
  // The first bytes of a game that ReadGameHeader reads (at most KopfGrenze),
  // through `fenster`.
  std::string_view KopfText(int64_t gameIndex, TTextFenster& fenster) const;
  std::string_view KopfText(const TGameIndexEntry& e, TTextFenster& fenster) const;
  // The result the text of game `e` ends with, for a game whose tag section
  // gives none (see ReadGameHeader): from `anfang` when it holds the whole
  // game, otherwise read from the file. Empty for none.
  std::string_view EndErgebnis(const TGameIndexEntry& e, std::string_view anfang) const;
  void ErgebnisErgaenzen(const TGameIndexEntry& e, std::string_view anfang, TEventData& kopf) const;
  // Whether `fenster` holds the first `laenge` bytes of the game `e` (or all
  // the file has of them).
  static bool ImFenster(const TGameIndexEntry& e, int64_t laenge, const TTextFenster& fenster);
  // The key of every row in display order (which must be file order) as the
  // rank of its SortKeyText among all of them, read by several threads.
  // `fortschritt` gets the rows read so far now and then; false stops, and
  // then so does this (false).
  bool SortKeysLesen(uint8_t key, std::vector<uint32_t>& keys,
                     const std::function<bool(int64_t gelesen)>& fortschritt);

  std::string fileName_;
  std::string lastError_;
  bool refusedNotPGN_ = false;
  int fd_ = -1;
  // The file as the scan found it, for FileChanged and FileState: its size,
  // time of change and identity when opened, where its games listed end, and
  // the bytes before that end (at most 4 KiB).
  int64_t scanGroesse_ = 0;
  int64_t scanZeit_ = 0;
  uint64_t scanGeraet_ = 0, scanKnoten_ = 0;  // device and inode
  int64_t scanBis_ = 0;
  std::string scanEnde_;
  // Game starts in file order plus one closing offset: game i spans
  // starts_[i] .. starts_[i + 1]. Empty when no game was found.
  std::vector<int64_t> starts_;
  std::vector<int64_t> rows_;   // GameIDs of the rows, in the order they were added
  std::vector<int64_t> order_;  // display position -> position in rows_
  uint8_t sortKey_ = 0;
  bool indexComplete_ = false;
  bool busy_ = false;
  bool noPaint_ = false;
  TCancelMode scanCancel_ = cmContinue;
  TTextFenster textFenster_;  // GameTextView's own
  // The keys of scanSortKey_ read during the last scan, until SortBy takes them.
  struct TScanSchluessel;
  struct TScanTeil;
  class TScanTeile;
  int64_t scanTeil_ = int64_t{4} << 20;
  uint8_t scanSortKey_ = skNumber;
  std::unique_ptr<TScanSchluessel> scanSchluessel_;
  TTagListe otherTags_;
  TEventData header_;
  uint32_t headerCut_ = 0;
};

// The text appended for these games of `index`, in this order: each game that
// has text as AnhangHinzu appends it.
std::string AppendText(const TPGNIndex& index, const std::vector<int64_t>& gameIds,
                       std::string_view zeilenende = "\r\n");

// Appends a game's stored text `spiel` to `text`: two line ends (`zeilenende`:
// the target's kind, see Zeilenende) and the text. A game without tags gets
// the tag line [Event "?"] and an empty line before it, so that it is a game
// of its own wherever it lands.
void AnhangHinzu(std::string& text, std::string_view spiel, std::string_view zeilenende);

// Reads the header of a game text the way the list does (see ReadGameHeader,
// without its byte limit); each tag line is trimmed and handed to
// TagZeileLesen. Returns the fields cut as TGekuerzt bits.
uint32_t KopfAusText(std::string_view text, TEventData& kopf);

}  // namespace brevaro
