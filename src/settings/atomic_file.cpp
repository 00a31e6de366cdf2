#include "settings/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace brevaro {

namespace {

void SetError(std::string* error, const std::string& what, int err) {
  if (error) *error = what + ": " + std::strerror(err);
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string ResolvedPath(const std::string& link_path) {
  std::string path = link_path;
  if (char* real = ::realpath(link_path.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  return path;
}

}  // namespace

bool WriteFileAtomically(const std::string& link_path, std::string_view bytes, std::string* error) {
  // A symbolic link stays a link: its target is replaced.
  const std::string path = ResolvedPath(link_path);
  std::vector<char> tmp(path.begin(), path.end());
  const char suffix[] = ".tmp-XXXXXX";
  tmp.insert(tmp.end(), suffix, suffix + sizeof suffix);  // includes the NUL
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    SetError(error, path, errno);
    return false;
  }
  // Keep the mode of an existing file; a new one gets the usual 0666 & ~umask.
  struct stat st;
  mode_t mode;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(tmp.data(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(tmp.data());
    SetError(error, path, err);
  }
  return ok;
}

int RemoveStaleTemporaryFiles(const std::string& link_path, int max_age_seconds) {
  namespace fs = std::filesystem;
  const fs::path path(ResolvedPath(link_path));
  const std::string prefix = path.filename().string() + ".tmp-";
  const auto now = fs::file_time_type::clock::now();
  std::error_code ec;
  int removed = 0;
  for (fs::directory_iterator it(path.parent_path().empty() ? "." : path.parent_path(), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::error_code e;
    if (!it->is_regular_file(e) || it->is_symlink(e)) continue;
    const auto written = it->last_write_time(e);
    if (e || now - written < std::chrono::seconds(max_age_seconds)) continue;
    if (fs::remove(it->path(), e)) ++removed;
  }
  return removed;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, size_t max_bytes,
                   std::string* error) {
  bytes.clear();
  // Non-blocking, so that a named pipe in its place cannot hang the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetError(error, path, errno);
    return false;
  }
  struct stat st;
  int err = 0;
  if (::fstat(fd, &st) != 0)
    err = errno;
  else if (!S_ISREG(st.st_mode))
    err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (err != 0) {
    SetError(error, path, err);
    ::close(fd);
    return false;
  }
  char buffer[16384];
  bool ok = true;
  while (bytes.size() < max_bytes) {
    const size_t want = std::min(sizeof buffer, max_bytes - bytes.size());
    const ssize_t n = ::read(fd, buffer, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetError(error, path, errno);  // a directory fails here with EISDIR
      ok = false;
      break;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

}  // namespace brevaro
