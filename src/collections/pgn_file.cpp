#include "collections/pgn_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

bool IstPGNDatei(const std::string& pfad) {
  // Non-blocking, so that a named pipe cannot hold the check up; only
  // regular files are PGN files.
  Datei d(::open(pfad.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (d.fd() < 0) return false;
  struct stat st {};
  if (::fstat(d.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

  constexpr std::string_view muster = "[Event ";
  std::vector<char> puffer(64 * 1024);
  int64_t gelesen = 0;
  int zeilen = 0;           // complete lines seen
  bool zeileLeer = true;    // the current line holds only blanks so far
  bool zeileOffen = false;  // some byte of the current line was read
  bool alleLeer = true;
  size_t treffer = 0;  // bytes of the pattern matched so far
  bool crDavor = false;
  while (gelesen < IstPGNDateiGrenze) {
    const ssize_t n = ::read(d.fd(), puffer.data(), puffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    gelesen += n;
    for (ssize_t i = 0; i < n; ++i) {
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
        continue;
      }
      crDavor = false;
      zeileOffen = true;
      if (static_cast<unsigned char>(c) > ' ') zeileLeer = false;
      if (c == muster[treffer]) {
        if (++treffer == muster.size()) return true;
      } else {
        treffer = c == '[' ? 1 : 0;
      }
    }
  }
  if (gelesen >= IstPGNDateiGrenze) return false;
  if (zeileOffen && !zeileLeer) alleLeer = false;
  return alleLeer;
}

bool AnPGNDateiAnhaengen(const std::string& pfad, std::string_view text, std::string* fehler) {
  if (text.empty()) {
    Melden(fehler, "nothing to append");
    return false;
  }
  if (!IstPGNDatei(pfad)) {
    Melden(fehler, "not a PGN file");
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
  std::string daten;
  if (text[0] != '\r') daten = "\r\n\r\n";
  daten.append(text);

  int fehlerNr = 0;
  size_t geschrieben = 0;
  while (geschrieben < daten.size()) {
    const ssize_t n = ::pwrite(d.fd(), daten.data() + geschrieben, daten.size() - geschrieben,
                               alt + static_cast<off_t>(geschrieben));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fehlerNr = n < 0 ? errno : ENOSPC;
      break;
    }
    geschrieben += static_cast<size_t>(n);
  }
  if (fehlerNr == 0 && ::fsync(d.fd()) != 0) fehlerNr = errno;
  if (fehlerNr != 0) {
    // Never leave half a game behind.
    if (::ftruncate(d.fd(), alt) == 0) ::fsync(d.fd());
    Melden(fehler, std::strerror(fehlerNr));
    return false;
  }
  // The bytes are on the disk: a failing close changes nothing about that.
  d.Schliessen();
  return true;
}

}  // namespace brevaro
