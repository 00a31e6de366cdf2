// The two file-level operations on PGN files: the check that a file is one,
// and appending games to it. Invariant: existing bytes of a PGN file are never
// changed; a failed append leaves the file as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevaro {

// True when the file can be read and one of its first 1000 lines is a tag
// line (see TagZeilenName) or contains "[Event ", or it begins with a game
// without tags (see TaglosePartieAmAnfang), or it has no line at all, or
// every line read is empty (blank). Lines end at CR, LF or CR LF. At most
// IstPGNDateiGrenze bytes are read, and no line is held in memory. When the
// file cannot be opened or read (a directory included), `grund` receives the
// system's reason; it is empty after true and for a file that is no PGN file.
bool IstPGNDatei(const std::string& pfad, std::string* grund = nullptr);
inline constexpr int64_t IstPGNDateiGrenze = int64_t{16} << 20;

// The line end that games appended to `pfad` are separated with: LF when the
// file's last line end is a LF without CR before it, otherwise (CR LF, a lone
// CR, no line end, an empty or unreadable file) CR LF. Reads the file
// backwards from its end only as far as its last line end.
std::string_view Zeilenende(const std::string& pfad);

// Appends `text` to the PGN file `pfad`, preceded by two line ends of the
// file's kind (see Zeilenende) unless it begins with a line end. False, with nothing written, when
// the target is not a PGN file or `text` is empty; false, with the file cut back to its old length,
// when a write fails or stays short or flushing fails. `fehler` receives the reason (the system's
// text where there is one). A program that appends ignores SIGXFSZ, so that a write beyond a
// file-size limit fails here instead of killing it half-way.
bool AnPGNDateiAnhaengen(const std::string& pfad, std::string_view text,
                         std::string* fehler = nullptr);

}  // namespace brevaro
