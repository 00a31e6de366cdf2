// Equality of a game read, written and read again: the same tree shape and
// moves, the same annotations per move, comments equal after collapsing white
// space, the same text kept after a reading error, the same header fields (the
// start position compared as a position) and the same other tag lines. Used
// by the writer's round-trip tests and the round-trip fuzz target; plain C++.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/position.h"
#include "game/notation_model.h"

namespace brevaro {

// The text with every run of blanks, tabs and line ends made one blank.
inline std::string WeissraumZusammengefasst(const std::string& text) {
  std::string aus;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blank = true;
      continue;
    }
    if (blank && !aus.empty()) aus += ' ';
    blank = false;
    aus += c;
  }
  return aus;
}

// A comment compared: white space collapsed, also at the braces, and an empty
// comment ("{}", which the writer leaves out) as none.
inline std::string KommentarText(const std::string& kommentar) {
  std::string text = WeissraumZusammengefasst(kommentar);
  // White space at the braces is white space too.
  if (text.size() >= 2 && text.front() == '{' && text.back() == '}') {
    const size_t a = text.find_first_not_of(' ', 1);
    const size_t e = text.find_last_not_of(' ', text.size() - 2);
    text = a > e ? std::string() : "{" + text.substr(a, e - a + 1) + "}";
  }
  return text == "{}" ? std::string() : text;
}

// The first difference of two trees, walked with a stack; empty when equal.
inline std::string BaumUnterschied(const TVariante* a, const TVariante* b) {
  if ((a == nullptr || a->Erster == nullptr) != (b == nullptr || b->Erster == nullptr))
    return "one game has no moves";
  if ((a ? a->Rest.str() : "") != (b ? b->Rest.str() : "")) return "text kept before the moves";
  std::vector<std::pair<const TBaum*, const TBaum*>> offen;
  if (a && a->Erster) offen.emplace_back(a->Erster, b->Erster);
  size_t knoten = 0;
  while (!offen.empty()) {
    auto [x, y] = offen.back();
    offen.pop_back();
    for (; x || y; x = x->Naechster, y = y->Naechster) {
      if (!x || !y) return "lines differ in length";
      ++knoten;
      if (std::memcmp(&x->Zug, &y->Zug, sizeof(TZug)) != 0)
        return "move " + std::to_string(knoten) + " differs";
      if (KommentarText(x->Kommentar) != KommentarText(y->Kommentar))
        return "comment " + x->Kommentar + " != " + y->Kommentar;
      if (x->Rest != y->Rest) return "kept text " + x->Rest.str() + " != " + y->Rest.str();
      if (x->WeitereNags != y->WeitereNags) return "further NAGs of move " + std::to_string(knoten);
      const TVariante* v = x->Varianten;
      const TVariante* w = y->Varianten;
      for (; v || w; v = v->Naechste, w = w->Naechste) {
        if (!v || !w) return "variation count differs at move " + std::to_string(knoten);
        if (!v->Erster != !w->Erster || v->Rest != w->Rest) return "empty variation";
        if (KommentarText(v->Kommentar) != KommentarText(w->Kommentar))
          return "comment " + v->Kommentar + " != " + w->Kommentar + " before a variation";
        if (v->Erster) offen.emplace_back(v->Erster, w->Erster);
      }
    }
  }
  return {};
}

// The first difference of two games; empty when equal.
inline std::string SpielUnterschied(const TNotationModell& a, const TNotationModell& b) {
  if (std::string d = BaumUnterschied(a.Wurzel, b.Wurzel); !d.empty()) return d;
  const TPartiedaten& p = a.Partiedaten;
  const TPartiedaten& q = b.Partiedaten;
  if (KommentarText(p.Vorkommentar) != KommentarText(q.Vorkommentar))
    return "comment before the moves";
  if (p.StartBrett != q.StartBrett || StellungToFEN(p.StartBrett, p.StartZug, 1, false) !=
                                          StellungToFEN(q.StartBrett, q.StartZug, 1, false))
    return "start position";
  const TEventData& x = p.Kopf;
  const TEventData& y = q.Kopf;
  // The seven-tag roster writes an unknown (empty) value as "?".
  auto wert = [](const std::string& v) { return v.empty() ? std::string("?") : v; };
  const std::pair<const char*, bool> felder[] = {
      {"White", wert(x.White) == wert(y.White)},
      {"Black", wert(x.Black) == wert(y.Black)},
      {"Event", wert(x.Event) == wert(y.Event)},
      {"Site", wert(x.Site) == wert(y.Site)},
      {"Result", x.Result == y.Result},
      {"ECO", x.ECO == y.ECO},
      {"Annotator", x.Annotator == y.Annotator},
      {"Round", x.RoundText == y.RoundText && x.Round == y.Round},
      {"PlyCount", x.MoveCount == y.MoveCount},
      {"Date", x.Year == y.Year && x.Month == y.Month && x.Day == y.Day},
      {"Elo", x.WhiteElo == y.WhiteElo && x.BlackElo == y.BlackElo},
      {"EventDate",
       x.EventYear == y.EventYear && x.EventMonth == y.EventMonth && x.EventDay == y.EventDay},
      {"Meta", x.MetaDescription == y.MetaDescription && x.MetaKeywords == y.MetaKeywords}};
  for (const auto& [name, gleich] : felder)
    if (!gleich) return std::string("header field ") + name;
  if (a.AndereTags != b.AndereTags) return "other tag lines";
  return {};
}

}  // namespace brevaro
