// Writing a whole file so that it never ends up half-written: the bytes go to
// a temporary file in the same directory, which is then renamed over the
// target. Invariant: after the call the target holds its old bytes or the new.
#pragma once

#include <string>
#include <string_view>

namespace brevaro {

// Writes bytes to path (when path is a symbolic link, to its target). On failure returns false,
// leaves path as it was, removes the temporary file and, when error is given, stores the system's
// error text there.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// Removes the temporary files that an interrupted WriteFileAtomically of path
// left behind (path's name plus ".tmp-" and six characters, beside path or
// beside its link target) when they are older than max_age_seconds; younger
// ones may belong to a save still running. Returns how many it removed.
int RemoveStaleTemporaryFiles(const std::string& path, int max_age_seconds = 60);

// Reads a whole file, at most max_bytes of it. False (with the system's error
// text) when it cannot be opened or read, or is no regular file.
bool ReadFileBytes(const std::string& path, std::string& bytes, size_t max_bytes,
                   std::string* error = nullptr);

}  // namespace brevaro
