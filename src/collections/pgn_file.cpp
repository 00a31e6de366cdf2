#include "collections/pgn_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "collections/pgn_index.h"
#include "game/header.h"

namespace brevaro {

namespace {

class Datei {
 public:
  explicit Datei(int fd) : fd_(fd) {}
  ~Datei() {
    if (fd_ >= 0) ::close(fd_);
  }
  Datei(const Datei&) = delete;
  Datei& operator=(const Datei&) = delete;
  int fd() const { return fd_; }
  int Schliessen() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

void Melden(std::string* fehler, const std::string& text) {
  if (fehler) *fehler = text;
}

}  // namespace

bool IstPGNDatei(const std::string& pfad, std::string* grund) {
  Melden(grund, "");
  // Non-blocking, so that a named pipe cannot hold the check up; only
  // regular files are PGN files.
  Datei d(::open(pfad.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (d.fd() < 0) {
    Melden(grund, std::strerror(errno));
    return false;
  }
  struct stat st {};
  if (::fstat(d.fd(), &st) != 0) {
    Melden(grund, std::strerror(errno));
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    Melden(grund, std::strerror(EISDIR));
    return false;
  }
  if (!S_ISREG(st.st_mode)) return false;

  constexpr std::string_view muster = "[Event ";
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  std::vector<char> puffer(TaglosGrenze);  // the first read holds what TaglosePartieAmAnfang reads
  int64_t gelesen = 0;
  int zeilen = 0;           // complete lines seen
  bool zeileLeer = true;    // the current line holds only blanks so far
  bool zeileOffen = false;  // some byte of the current line was read
  bool alleLeer = true;
  size_t treffer = 0;  // bytes of "[Event " matched so far
  bool crDavor = false;
  // How far the current line is a tag line (see TagZeilenName): before its
  // "[", right after it, in the tag name, in the blanks after it, after the
  // first or second byte of a typographic quote, or not one.
  enum class Tag { Vorn, Erst, Name, Luecke, Typo1, Typo2, Nein } tag = Tag::Vorn;
  size_t spalte = 0;  // bytes of the current line so far
  while (gelesen < IstPGNDateiGrenze) {
    const ssize_t n = ::read(d.fd(), puffer.data(), puffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Melden(grund, std::strerror(errno));
      return false;
    }
    if (n == 0) break;
    if (gelesen == 0 && TaglosePartieAmAnfang(std::string_view(
                            puffer.data(), static_cast<size_t>(n))) != std::string_view::npos)
      return true;  // a game without tags
    ssize_t i = 0;
    if (gelesen == 0 && std::string_view(puffer.data(), static_cast<size_t>(n)).substr(0, 3) == bom)
      i = 3;  // a byte order mark counts as blanks
    for (; i < n; ++i) {
      const char c = puffer[i];
      if (c == '\n' || c == '\r') {
        if (c == '\n' && crDavor) {  // the LF of a CR LF
          crDavor = false;
          continue;
        }
        crDavor = c == '\r';
        if (!zeileLeer) alleLeer = false;
        if (++zeilen >= 1000) return alleLeer;
        zeileLeer = true;
        zeileOffen = false;
        treffer = 0;
        tag = Tag::Vorn;
        spalte = 0;
        continue;
      }
      crDavor = false;
      zeileOffen = true;
      const bool blank = static_cast<unsigned char>(c) <= ' ';
      if (!blank) zeileLeer = false;
      if (c == muster[treffer]) {
        if (++treffer == muster.size()) return true;
      } else {
        treffer = c == '[' ? 1 : 0;
      }
      if (tag != Tag::Nein && spalte++ >= TagZeilenKopf) tag = Tag::Nein;
      const bool name = IstTagNamenZeichen(c);
      switch (tag) {
        case Tag::Vorn:
          tag = c == '[' ? Tag::Erst : blank ? Tag::Vorn : Tag::Nein;
          break;
        case Tag::Erst:
          tag = name ? Tag::Name : Tag::Nein;
          break;
        case Tag::Name:
        case Tag::Luecke:
          if (c == '"') return true;
          tag = name && tag == Tag::Name ? Tag::Name
                : blank                  ? Tag::Luecke
                : c == '\xE2'            ? Tag::Typo1
                                         : Tag::Nein;
          break;
        case Tag::Typo1:
          tag = c == '\x80' ? Tag::Typo2 : Tag::Nein;
          break;
        case Tag::Typo2: {
          const char anfuehrung[] = {'\xE2', '\x80', c};
          if (TypoAnfuehrung(std::string_view(anfuehrung, 3), 0) != 0) return true;
          tag = Tag::Nein;
          break;
        }
        case Tag::Nein:
          break;
      }
    }
    gelesen += n;
  }
  if (gelesen >= IstPGNDateiGrenze) return false;
  if (zeileOffen && !zeileLeer) alleLeer = false;
  return alleLeer;
}

std::string_view Zeilenende(const std::string& pfad) {
  Datei d(::open(pfad.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (d.fd() < 0 || ::fstat(d.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return "\r\n";
  char puffer[65536];
  // The byte after the last line end found so far: a CR before a LF makes CR LF.
  bool lfGefunden = false;
  for (off_t ende = st.st_size; ende > 0;) {
    const off_t start = ende > static_cast<off_t>(sizeof puffer) ? ende - sizeof puffer : 0;
    const ssize_t n = ::pread(d.fd(), puffer, static_cast<size_t>(ende - start), start);
    if (n <= 0) break;
    for (ssize_t i = n; i-- > 0;) {
      if (lfGefunden) return puffer[i] == '\r' ? "\r\n" : "\n";
      if (puffer[i] == '\r') return "\r\n";
      if (puffer[i] == '\n') lfGefunden = true;
    }
    ende = start;
  }
  return lfGefunden ? "\n" : "\r\n";  // a LF as the file's first byte
}

bool AnPGNDateiAnhaengen(const std::string& pfad, std::string_view text, std::string* fehler) {
  if (text.empty()) {
    Melden(fehler, "nothing to append");
    return false;
  }
  if (!IstPGNDatei(pfad, fehler)) {
    if (fehler && fehler->empty()) *fehler = "not a PGN file";
    return false;
  }
  Datei d(::open(pfad.c_str(), O_WRONLY | O_CLOEXEC));
  if (d.fd() < 0) {
    Melden(fehler, std::strerror(errno));
    return false;
  }
  const off_t alt = ::lseek(d.fd(), 0, SEEK_END);
  if (alt < 0) {
    Melden(fehler, std::strerror(errno));
    return false;
  }
  const std::string_view vorspann = text[0] == '\r' || text[0] == '\n' ? ""
                                    : Zeilenende(pfad) == "\n"         ? "\n\n"
                                                                       : "\r\n\r\n";

  int fehlerNr = 0;
  off_t ende = alt;
  for (std::string_view teil : {vorspann, text}) {
    while (fehlerNr == 0 && !teil.empty()) {
      const ssize_t n = ::pwrite(d.fd(), teil.data(), teil.size(), ende);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        fehlerNr = n < 0 ? errno : ENOSPC;  // nothing written: the disk is full
        break;
      }
      ende += n;
      teil.remove_prefix(static_cast<size_t>(n));
    }
  }
  if (fehlerNr == 0 && ::fsync(d.fd()) != 0) fehlerNr = errno;
  if (fehlerNr != 0) {
    // Never leave half a game behind.
    std::string grund = std::strerror(fehlerNr);
    if (::ftruncate(d.fd(), alt) == 0) {
      ::fsync(d.fd());
    } else {
      grund += "; the file could not be cut back to its old length: ";
      grund += std::strerror(errno);
    }
    Melden(fehler, grund);
    return false;
  }
  // The bytes are on the disk: a failing close changes nothing about that.
  d.Schliessen();
  return true;
}

}  // namespace brevaro
