// Short pieces of text (a move number, a move's text) gathered in a fixed
// buffer and appended to their string in one piece.
// Invariant: the string has received every piece given, in order, once the
// buffer is flushed (at the latest when it goes out of scope).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevaro {

class TTextpuffer {
 public:
  explicit TTextpuffer(std::string& ziel) : ziel_(ziel) {}
  ~TTextpuffer() { Leeren(); }
  TTextpuffer(const TTextpuffer&) = delete;
  TTextpuffer& operator=(const TTextpuffer&) = delete;

  TTextpuffer& operator+=(char c) {
    if (laenge_ == sizeof zeichen_) Leeren();
    zeichen_[laenge_++] = c;
    return *this;
  }
  TTextpuffer& operator+=(std::string_view s) {
    if (s.size() == 1) return *this += s[0];  // a piece letter, a "!"
    if (s.size() > sizeof zeichen_ - laenge_) {
      Leeren();
      if (s.size() > sizeof zeichen_) {
        ziel_ += s;
        return *this;
      }
    }
    for (const char c : s) zeichen_[laenge_++] = c;
    return *this;
  }
  // A number in decimal, as std::to_string writes it.
  void Zahl(int64_t zahl) {
    char ziffern[20];
    size_t n = 0;
    uint64_t rest = zahl < 0 ? 0 - static_cast<uint64_t>(zahl) : static_cast<uint64_t>(zahl);
    do {
      ziffern[n++] = static_cast<char>('0' + rest % 10);
      rest /= 10;
    } while (rest != 0);
    if (zahl < 0) *this += '-';
    if (n > sizeof zeichen_ - laenge_) Leeren();
    while (n > 0) zeichen_[laenge_++] = ziffern[--n];
  }
  // Room for `n` more bytes (n at most 128): write them at the pointer
  // returned, then call Geschrieben with the number written.
  char* Platz(size_t n) {
    if (n > sizeof zeichen_ - laenge_) Leeren();
    return zeichen_ + laenge_;
  }
  void Geschrieben(size_t n) { laenge_ += n; }
  // Bytes given but not yet appended to the string.
  size_t Offen() const { return laenge_; }
  void Leeren() {
    ziel_.append(zeichen_, laenge_);
    laenge_ = 0;
  }

 private:
  std::string& ziel_;
  char zeichen_[128];
  size_t laenge_ = 0;
};

}  // namespace brevaro
