// The rule where games start in a PGN file, applied line by line over the
// whole text: the simple reference the index's block scan is checked against
// (by its test and by the fuzz target of the scan).
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "collections/pgn_index.h"

namespace brevaro {

inline std::vector<int64_t> Referenz(const std::string& text) {
  std::vector<int64_t> starts;
  std::set<std::string> namen;
  bool kopf = false;  // in a tag section
  // Before the first move of a game without tags that begins the file: still
  // looking for it, in a "{" comment, and the first comment passed.
  bool vorn = true, offen = false;
  size_t kommentar = std::string::npos;
  for (size_t s = 0; s < text.size();) {
    size_t e = text.find_first_of("\r\n", s);
    if (e == std::string::npos) e = text.size();
    size_t k = s;
    if (s == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) k = 3;
    const size_t zeile = k;
    while (k < e && static_cast<unsigned char>(text[k]) <= ' ') ++k;
    size_t i = k + 1;
    while (i < e && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
    const std::string name = k < e ? text.substr(k + 1, i - k - 1) : "";
    while (i < e && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    const bool quote =
        i < e && (text[i] == '"' || text.compare(i, 3, "\u201C") == 0 ||
                  text.compare(i, 3, "\u201D") == 0 || text.compare(i, 3, "\u201E") == 0);
    const bool tagZeile =
        k < e && text[k] == '[' && !name.empty() && quote && i - zeile < TagZeilenKopf;
    // "1.", blanks, and the start of a move, all before `grenze`.
    const auto ersterZug = [&](size_t grenze, size_t j) {
      if (text.compare(j, 2, "1.") != 0) return false;
      size_t z = j + 2;
      while (z < e && (static_cast<unsigned char>(text[z]) <= ' ' || text[z] == '\xA0' ||
                       text.compare(z, 2, "\xC2\xA0") == 0))
        z += text[z] == '\xC2' ? 2 : 1;
      const auto in = [](char c, const char* menge) { return c != 0 && std::strchr(menge, c); };
      const bool figurine = text.compare(z, 2, "\xE2\x99") == 0 && z + 4 <= e &&
                            static_cast<unsigned char>(text[z + 2]) >= 0x94 &&
                            static_cast<unsigned char>(text[z + 2]) <= 0x9F;
      if (figurine) return z + 4 <= grenze && in(text[z + 3], "abcdefgh12345678x");
      return z + 2 <= e && z + 2 <= grenze &&
             ((in(text[z], "abcdefgh") && in(text[z + 1], "12345678x")) ||
              (in(text[z], "KQRBNDTLS") && in(text[z + 1], "abcdefgh12345678x")) ||
              (in(text[z], "O0") && text[z + 1] == '-'));
    };
    // A game without tags begins the file, or follows a result (outside a tag
    // section, at the very line start).
    bool taglos = false;
    for (size_t j = k; vorn && j < e;) {
      if (offen) {
        const size_t zu = text.find('}', j);
        offen = zu >= e;
        j = offen ? e : zu + 1;
        while (j < e && static_cast<unsigned char>(text[j]) <= ' ') ++j;
      } else if (text[j] == '{' || text[j] == ';' || (text[j] == '%' && j == k)) {
        if (text[j] != '%') kommentar = std::min(kommentar, j);
        offen = text[j] == '{';
        j = offen ? j + 1 : e;
      } else {
        vorn = false;
        if (j < TaglosGrenze && ersterZug(TaglosGrenze, j))
          starts.push_back(static_cast<int64_t>(std::min(kommentar, j)));
      }
    }
    if (!kopf && k == s && s > 0 && ersterZug(s + TagZeilenKopf, k)) {
      const size_t anfang = s > TagZeilenKopf ? s - TagZeilenKopf : 0;
      size_t r = s;
      while (r > anfang && static_cast<unsigned char>(text[r - 1]) <= ' ') --r;
      while (r > anfang && text[r - 1] == '}') {  // comments after the result
        const size_t auf = text.rfind('{', r - 1);
        r = auf == std::string::npos || auf < anfang ? anfang : auf;
        while (r > anfang && static_cast<unsigned char>(text[r - 1]) <= ' ') --r;
      }
      for (const std::string ergebnis : {"1-0", "0-1", "1/2-1/2", "*"}) {
        if (taglos || r - anfang <= ergebnis.size() ||
            text.compare(r - ergebnis.size(), ergebnis.size(), ergebnis) != 0 ||
            static_cast<unsigned char>(text[r - ergebnis.size() - 1]) > ' ')
          continue;
        // Not a result inside a comment: the nearest brace before it is a "}",
        // and no ";" stands before it on its line.
        const size_t vor = r - ergebnis.size();
        const size_t klammer = text.find_last_of("{}", vor);
        const size_t zeilenAnfang = text.find_last_of("\r\n", vor);
        const size_t semikolon = text.rfind(';', vor);
        const bool inKlammer =
            klammer != std::string::npos && klammer >= anfang && text[klammer] == '{';
        const bool nachSemikolon =
            semikolon != std::string::npos && semikolon >= anfang &&
            (zeilenAnfang == std::string::npos || semikolon > zeilenAnfang) &&
            (klammer == std::string::npos || semikolon > klammer);
        taglos = !inKlammer && !nachSemikolon;
      }
    }
    if (taglos) starts.push_back(static_cast<int64_t>(k));
    if (tagZeile) {
      if (!kopf || namen.count(name)) {
        starts.push_back(static_cast<int64_t>(k));
        namen.clear();
        kopf = true;
      }
      namen.insert(name);
    } else if (k < e && text[k] != '%') {
      kopf = false;
    }
    s = e + (e + 1 < text.size() && text[e] == '\r' && text[e + 1] == '\n' ? 2 : 1);
  }
  // A comment before the first move may hold a tag line; the first move may
  // follow a result as well.
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  return starts;
}

}  // namespace brevaro
