// The model of the notation view: a game's header, start position and move
// tree, the current move, the movetext reader and the notation text with its
// line starts and comment ranges. The view only paints and measures.
// Invariant: Arbeitsbrett() shows the position after Aktuell, and
// AktuellerZug() is Aktuell's move (StartZug when Aktuell is nullptr).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/moves.h"
#include "core/position.h"
#include "game/header.h"
#include "game/move_text.h"
#include "game/tree.h"

namespace brevaro {

class TTextpuffer;

// The fonts of the notation, as roles; the view maps them to real fonts.
enum class TSchrift : uint8_t {
  Kopf,       // heading and result line (FontHeadLine)
  Kommentar,  // comments (FontComment)
  Haupt,      // main line (Font0Var)
  HauptFett,  // main line drawn bold when it has variations (FettFont)
  Variante1,  // first-level variations (Font1Var)
  Variante2,  // second level and deeper (Font2Var)
};

// Width of one byte of the notation text drawn in a font, in pixels.
class TZeichenbreite {
 public:
  virtual ~TZeichenbreite() = default;
  virtual int Breite(TSchrift schrift, unsigned char zeichen) const = 0;
};

// Plain text on the clipboard.
class TTextAblage {
 public:
  virtual ~TTextAblage() = default;
  virtual std::optional<std::string> TextLesen() = 0;  // nullopt: no text there
  virtual void TextSchreiben(const std::string& text) = 0;
};

struct TZeilenanfang {
  int32_t Pos;  // 1-based position of the line's first character
  TSchrift Schrift;
};

struct TKommentarbereich {
  int32_t Pos;     // 1-based position of the opening brace
  int32_t Laenge;  // both braces included
};

// The reading error message in German or English.
inline constexpr std::string_view LesefehlerDeutsch =
    "Beim Einlesen der Z\xC3\xBCge ist ein Fehler aufgetreten.";
inline constexpr std::string_view LesefehlerEnglisch = "Error reading moves.";
inline constexpr std::string_view NichtSpeichernHinweis =
    "Diese Partie sollte nicht gespeichert werden.";

// How LadePartie treats the notation text.
enum class TLadeart : uint8_t {
  MitNotationstext,   // lays the game out, as the view needs it
  OhneNotationstext,  // batch use: the tree only, no notation text
};

// Longest clipboard text PGNEinfuegen reads.
inline constexpr size_t MaxEinfuegeLaenge = 9999;

class TNotationModell {
 public:
  TNotationModell();
  ~TNotationModell();
  TNotationModell(const TNotationModell&) = delete;
  TNotationModell& operator=(const TNotationModell&) = delete;

  // ---- Events ---------------------------------------------------------------
  std::function<void(const TZug& zug, const TSchachbrett& stellung, bool nextMove)> OnMoveChange;
  std::function<void(const std::string& fehlermeldung)> OnError;
  std::function<void(const TFischerInfo& fischerInfo)> OnFischerInfo;
  std::function<void()> OnGameChanged;
  // Raised for entered moves by TBaumbearbeitung (game/tree_edit.h), never by the model.
  std::function<void()> On50MovesRule;
  std::function<void()> On3Repetition;

  // ---- Game data and tree -----------------------------------------------------
  TPartiedaten Partiedaten;
  TTagListe AndereTags;  // attached to Partiedaten.Kopf.OtherTags
  TVariante* Wurzel = nullptr;
  TBaum* Aktuell = nullptr;
  TVariante* AktuelleLinie = nullptr;
  bool Lesefehler = false;
  // For a search that needs only positions with at least this many pieces:
  // reading of the main line ends after the move that leaves fewer (none at
  // all when the start has fewer). 0 reads the whole game.
  int32_t MindestFiguren = 0;
  // For a search of the main line alone: variations are passed over unread
  // (their nodes are missing), unless one holds a result or an unclosed
  // comment, which the reader must see. The main line reads as it would.
  bool OhneVarianten = false;
  // For a search as well: asked after a main-line move that takes a piece or
  // promotes, with the board after it; false ends the reading of the main
  // line within a move. Unset, the reading goes on.
  std::function<bool(const TSchachbrett&)> Weiterlesen;

  TSchachbrett& Arbeitsbrett() { return Zustand.Arbeitsbrett; }
  const TSchachbrett& Arbeitsbrett() const { return Zustand.Arbeitsbrett; }
  TZug& AktuellerZug() { return Zustand.AktuellerZug; }
  const TZug& AktuellerZug() const { return Zustand.AktuellerZug; }
  TKandidaten& Kandidaten() { return Zustand.Kandidaten; }
  // Set by the owner (from OnFischerInfo); never owned. nullptr: standard chess.
  const TFischerInfo* FischerInfo() const { return Zustand.FischerInfo; }
  void SetFischerInfo(const TFischerInfo* info) { Zustand.FischerInfo = info; }

  bool GameChanged() const { return GameChanged_; }
  void SetGameChanged(bool wert);

  bool English() const { return English_; }
  void SetEnglish(bool wert);

  // ---- Building and disposing of the tree ----------------------------------------
  TBaum* NeuerKnoten(const TZug& zug);  // remembered as the last created node
  void Anhaengen();                     // links it into AktuelleLinie behind Aktuell
  void NeueVariante();                  // opens a variation on Aktuell
  void NeuePartie();                    // empty game in the initial position
  void Zuruecksetzen();                 // NeuePartie, tree disposed of, empty layout

  // ---- Reading ----------------------------------------------------------------
  // Loads one game (tag lines and movetext, up to a first zero byte): 0 read,
  // -1 not all moves read.
  // OhneNotationstext is for reading many games where nothing is shown: the
  // game is not laid out, neither the empty one of the reset nor the loaded
  // one. The tree (moves, comments, NAGs, variations), Partiedaten, Wurzel,
  // Aktuell and AktuelleLinie (nullptr), Arbeitsbrett and AktuellerZug (the
  // start position), Lesefehler, the result and the events raised are exactly
  // those of the normal load. Notationstext, Zeilenanfaenge(),
  // Kommentarbereiche() and Kopflaenge are left empty and the nodes' display
  // fields (TextPos, TextLaenge, Zugnummer) zero; a later NotationAufbauen()
  // builds them as it would after the normal load.
  int32_t LadePartie(std::string_view text, TLadeart art = TLadeart::MitNotationstext);
  // Reads up to MaxEinfuegeLaenge bytes of clipboard text; false without text.
  bool PGNEinfuegen(TTextAblage& ablage);

  // ---- Writing and editing ------------------------------------------------------
  // The game as PGN text (tag section and movetext, CR LF line ends), converted
  // from the notation text.
  std::string PGNSchreiben();
  void PGNKopieren(TTextAblage& ablage);  // PGNSchreiben onto the clipboard
  // A new start position with an empty move list; header and leading comment stay.
  void NeueStellung(const TSchachbrett& stellung, const TZug& zug, int32_t zugnummer);

  // ---- Move text --------------------------------------------------------------
  // Text of `zug` with Arbeitsbrett in the position before it. Reports a move
  // from an empty square once (see Lesefehler).
  std::string ZugText(const TZug& zug);
  bool PGNModus = false;  // writer running: language letters, no wrapping
  void FigurenBuchstaben(const TEigeneBuchstaben& buchstaben);
  bool EigeneBuchstaben() const { return EigeneBuchstaben_; }

  // ---- Notation text ----------------------------------------------------------
  std::string Notationstext;
  int32_t Kopflaenge = 0;
  const std::vector<TZeilenanfang>& Zeilenanfaenge() const { return ZeilenListe; }
  const std::vector<TKommentarbereich>& Kommentarbereiche() const { return Kommentare; }
  int32_t Zeilenanfang(int64_t zeile) const;  // -1 past the last line
  TSchrift Hauptschrift() const { return Hauptschrift_; }

  // Display properties the layout reads.
  bool Ueberschrift = false;
  bool AutoBold = true;
  uint16_t Indent0Var = 2;
  uint16_t Indent1Var = 10;
  uint16_t Indent2Var = 18;
  int32_t Breite = 0;                             // wrapping width in pixels
  const TZeichenbreite* Zeichenbreite = nullptr;  // no wrapping without it
  uint16_t Einzug(TSchrift schrift) const;

  // Rebuilds the notation text, line starts, comment ranges and the display
  // fields of every node from the game; keeps Arbeitsbrett after Aktuell.
  void NotationAufbauen();

 private:
  bool ZuegeLesen();
  void BaumZuruecksetzen();         // Zuruecksetzen without the layout
  void OhneNotationAbschliessen();  // what NotationAufbauen leaves beside the text
  void ZuegeSchreiben(TBaum* erster);
  void Umbrechen();
  void NeueZeile(TSchrift schrift);
  void ZeileMerken(int32_t pos, TSchrift schrift);
  void LesefehlerMelden();
  void ZugTextAnhaengen(const TZug& zug, TTextpuffer& text);  // ZugText appended to `text`
  std::string_view Buchstabe(int art) const;

  TZugzustand Zustand;
  TBaum* LetzterKnoten = nullptr;
  bool GameChanged_ = false;
  bool English_ = false;
  bool EigeneBuchstaben_ = false;
  TEigeneBuchstaben Eigene;
  TSchrift Hauptschrift_ = TSchrift::Haupt;
  // LadePartie without notation text: the reader trims each comment as the
  // layout would.
  bool OhneNotation_ = false;
  bool AtomVariante_ = false;  // the game being loaded is one of atomic chess
  // Layout state while the moves are written.
  int64_t Halbzug_ = 0;
  int32_t Tiefe_ = 0;
  bool VarianteBeendet_ = false;
  bool VarianteBegonnen_ = false;
  bool ErsterZug_ = false;
  TSchachbrett BrettBeiAktuell_{};
  TZug ZugBeiAktuell_;
  std::vector<TZeilenanfang> ZeilenListe;  // sorted by position
  std::vector<TKommentarbereich> Kommentare;
  // Text kept as read after a reading error (also among Kommentare, so it is
  // shown as a comment); the writer writes it unchanged.
  std::vector<TKommentarbereich> Rohtexte_;
  // Working storage of the reader and the layout, kept from game to game so a
  // game allocates none once the first games have been read. Each use starts
  // by emptying it (and by freeing it after a deeply nested game).
  struct TGesichert {  // the reader's state at an open variation
    size_t Brett;      // index into LeseBretter_
    TZug Zug;
    TVariante* Linie;
    TBaum* Knoten;
    uint8_t EPVorher;  // en-passant square before Knoten's move
  };
  template <class T>
  static void Arbeitsspeicher(std::vector<T>& speicher) {  // emptied for a use
    constexpr size_t MaxBehalten = 256;                    // entries kept for the next game
    if (speicher.capacity() > MaxBehalten) {
      std::vector<T>().swap(speicher);
    } else {
      speicher.clear();
    }
  }
  std::vector<TGesichert> LeseStapel_;
  std::vector<TSchachbrett> LeseBretter_;
  std::vector<TBelegung> LeseBelegungen_;  // the sets of LeseBretter_'s boards
  std::vector<TSchachbrett> SchreibBretter_;
};

}  // namespace brevaro
