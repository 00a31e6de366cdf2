#include "languages/language_table.h"

#include <algorithm>

namespace brevaro {

namespace {

// Built-in English column, one entry per row.
constexpr std::array<std::string_view, LanguageRowCount> kEnglish = {
    // 0
    "Is this the first position of a Fischer-Random-Chess game?\rIf you choose \"No\", there "
    "will be reseted castling possibilities.",
    "Save",
    "Please open a database first.",
    "Same position has been occurred three times.",
    "50-moves-rule.",
    "Resume",
    "RIGHT MOUSE BUTTOM TO RESUME",
    "Please choose a database first.",
    "Create new file \"",
    "\"?",
    // 10
    "Delete game. Are you sure?",
    "Delete this database. Are you sure??",
    "Games opened of this database.\rIf you close it, the games must append to this or another "
    "database later.\rClose this database?",
    "",
    "",
    "The database \"",
    "\" is already opened.",
    "Selected games will be appended to \"",
    "\".\rContinue?",
    "An error occured when saving.",
    // 20
    "An error occured when loading.",
    "Game was changed.\rSave?",
    "",
    "&Games",
    "",
    "&Options",
    "",
    "&Window",
    "",
    "&Info",
    // 30
    "",
    "&Open",
    "|Open PGN-file or create a new one",
    "&History",
    "Last 8 PGN-files",
    "&New game",
    "Create a new game",
    "&Close window",
    "Close actual window",
    "&Exit",
    // 40
    "Close application",
    "&Fischer-Random-Chess",
    "Activate or deactivate Fischer-Random-Chess option",
    "&English",
    "Activate or deactivate english language",
    "&Beep",
    "Activate or deactivate beep",
    "&Animation",
    "Activate or deactivate move animation",
    "&Coordinates",
    // 50
    "Coordinates visible or invisible",
    "Cascade",
    "Cascade",
    "Tile",
    "Tile",
    "Arrange",
    "Arrange",
    "Minimize",
    "Minimize",
    "Cancel",
    // 60
    "Last PGN-files",
    "|This list accepts Drag and Drop",
    "Nr.",
    "Players",
    "Event",
    "Date",
    "Result",
    "|Sort...",
    "Player:",
    "Event:",
    // 70
    "White",
    "Black",
    "Both",
    "Date:",
    "First position",
    "Setup",
    "Clear",
    "Filter",
    "Open|Open a PGN-file or create a new one",
    "Filter|Activate or deactivate filter",
    // 80
    "Drag and Drop|Down = Games will be inserted at mouse position",
    "Print|Print game with containing diagrams",
    "Delete game",
    "Delete database",
    "Copy diagram",
    "Copy diagram as BMP to clipboard",
    "Copy FEN",
    "Copy position as FEN to clipboard",
    "Print diagramm",
    "",
    // 90
    "Setup",
    "Setup a new position",
    "Insert FEN",
    "Insert position as FEN from clipboard",
    "Rotate",
    "Rotate board",
    "Messages",
    "Activate or deactivate messages about 50-moves-rule etc.",
    "Blind",
    "Play with or without view of pieces",
    // 100
    "",
    "Nothing",
    "",
    "Copy game",
    "Copy game as PGN to clipboard",
    "Insert game",
    "Insert game as PGN from clipboard",
    "Font of moves",
    "Font of moves",
    "Font of commentary",
    // 110
    "Font of commentary",
    "|Right mouse button for context menu",
    "Append game|Choose database and append game",
    "Save game",
    "Game info|Show game info and change it",
    "New game",
    "Previous game",
    "Next game",
    "Undo|Undo last delete action",
    "Cut moves",
    // 120
    "Delete variant",
    "Revalorize variant",
    "Commentary|Insert commentary",
    "Analysis|Activate or deactivate analysis (Space to force move)",
    "Play / Analysis|Down = Computer reply after inserting move",
    "Go to previous variant",
    "|Previous move",
    "|Next move",
    "Go to next variant",
    "Max. depth",
    // 130
    "Max. depth",
    "Please choose PGN-file",
    "PGN-files|*.pgn|All files (*.*)|*.*",
    "Light square color",
    "Dark square color",
    "Created w.",
    "Pictures of pieces are distributed under",
    "",  // credit line of an analysis module this program does not have
    "Fischer-Random-Chess-rules",
    "( Do \"Fischer-castling\" with pressed <Strg>-button )",
    // 140
    "Printing is only possible with installed font",
    "Optionally parameters:\r\"brevaro.exe c:\\xxx.pgn 0\"\r( = Load first game from file "
    "xxx.pgn )",
    "Insert commentary",
    "Insert diagram",
    "Cancel",
    "Cut moves",
    "Cancel",
    "Cut next moves",
    "Cut previous moves",
    "Game information",
    // 150
    "White:",
    "Black:",
    "Event:",
    "Site:",
    "Year:",
    "Month:",
    "Day:",
    "Round:",
    "Commentary:",
    "Result:",
    // 160
    "No result",
    "Save to",
    "Cancel",
    "Language",
    "Other",
    "Names of pieces...",
    "Letters for names of pieces",
    "Letters for names of pieces",
    "Cancel",
    "OK",
    // 170
    "Clear all",
    "Now the ECO-code will be assigned to all games of this database.\rContinue?",
    "Analyze openings",
    // Message box buttons
    "Yes",
    "No",
    "OK",
    "Cancel",
    // Games menu: the database window and the recent files
    "|Shows the recently opened PGN files; drag marked games onto one to append them",
    "|Opens this PGN file",
    // 179..189: free
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    // Start-up
    "The settings cannot be saved: no folder for brevaro.ini can be written.\r"
    "Brevaro runs without saving them.",
    // 191..194: kept free
    "",
    "",
    "",
    "",
    // Game window: move entry, keeping the game, the notation's popup menu
    "Enter moves",
    "|Enter moves on the board and build variations (Ctrl+E)",
    "Copy PGN",
    "|Copies the game as PGN to the clipboard (Ctrl+C)",
    "Append game to...",
    "|Appends the game to a PGN file",
    "Delete rest of line",
    "Delete variation",
    "Promote variation",
    "Move annotation",
    "Position evaluation",
    "None",
    "Edit comment...",
    "Undo",
    "Comment",
    "Comment after the move (without \"}\"):",
    "The game has been changed.\rDiscard the changes?",
    "Append game to",
    "The game will be appended to the file \"",
    "\".\rContinue?",
    "The file is not a PGN file.",
    // 216..224: free
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    // Game list: the position filter
    "start position",
    "reached in the main line",
    "reached in main line or variations",
    // Game window popup
    "Games with this position",
    "Lists the games of this game's list that reach the board's position",
    // Database window: games dropped from a file another program changed
    "The file of the marked games has been changed since it was read.\r"
    "Open it again to append its games.",
    // 231..239: free
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
};

struct BuiltInGerman {
  int row;
  std::string_view text;
};

// Rows 0..21, 171, 173..178, 190, 195..215 and 230 carry built-in German; every other German cell
// starts empty and is filled, for the recorded rows, from the windows.
constexpr BuiltInGerman kGerman[] = {
    {0,
     "Handelt es sich bei der neuen Stellung um eine Fischer-Random-Chess-Ausgangsstellung?\r"
     "(Wenn nicht, müssen alle Rochaderechte zurückgesetzt werden)"},
    {1, "Speichern"},
    {2, "Bitte öffnen Sie zuerst eine Datenbank, in der diese Partie gespeichert werden soll."},
    {3, "3-fache Stellungswiederholung."},
    {4, "50-Züge-Regel."},
    {5, "Weiter"},
    {6, "RECHTE MAUSTASTE ZUM WEITERRECHNEN"},
    {7, "Bitte wählen Sie eine Datenbank, in der diese Partie gespeichert werden soll."},
    {8, "Soll die PGN-Datei \""},
    {9, "\" neu angelegt werden?"},
    {10, "Wirklich löschen?"},
    {11, "Soll die gesamte Datenbank wirklich gelöscht werden?"},
    {12,
     "Aus dieser Datenbank sind noch Partien geöffnet.\rWird sie geschlossen, müssen Sie diese "
     "Partien an diese oder eine andere Datenbank anhängen.\rSoll sie trotzdem geschlossen "
     "werden?"},
    {13, ""},
    {14, ""},
    {15, "Die Datenbank \""},
    {16, "\" ist bereits geöffnet."},
    {17, "Markierte Partien werden an die Datei \""},
    {18, "\" angehängt.\rFortfahren?"},
    {19, "Beim Speichern ist ein Fehler aufgetreten."},
    {20, "Beim Laden der Partie ist ein Fehler aufgetreten."},
    {21, "Partie wurde geändert.\rSpeichern?"},
    {171, "Allen Partien aus dieser Datenbank wird der ECO-Code zugeordnet.\rWeitermachen?"},
    {173, "Ja"},
    {174, "Nein"},
    {175, "OK"},
    {176, "Abbrechen"},
    {177,
     "|Zeigt die zuletzt geöffneten PGN-Dateien; markierte Partien dorthin ziehen, um sie "
     "anzuhängen"},
    {178, "|Öffnet diese PGN-Datei"},
    {190,
     "Die Einstellungen können nicht gespeichert werden: kein Ordner für brevaro.ini ist "
     "beschreibbar.\rBrevaro läuft ohne zu speichern."},
    {195, "Züge eingeben"},
    {196, "|Züge auf dem Brett eingeben und Varianten anlegen (Strg+E)"},
    {197, "PGN kopieren"},
    {198, "|Kopiert die Partie als PGN in die Zwischenablage (Strg+C)"},
    {199, "Partie anhängen an..."},
    {200, "|Hängt die Partie an eine PGN-Datei an"},
    {201, "Rest der Linie löschen"},
    {202, "Variante löschen"},
    {203, "Variante heraufstufen"},
    {204, "Zugbewertung"},
    {205, "Stellungsbewertung"},
    {206, "Keine"},
    {207, "Kommentar bearbeiten..."},
    {208, "Rückgängig"},
    {209, "Kommentar"},
    {210, "Kommentar nach dem Zug (ohne \"}\"):"},
    {211, "Die Partie wurde geändert.\rÄnderungen verwerfen?"},
    {212, "Partie anhängen an"},
    {213, "Die Partie wird an die Datei \""},
    {214, "\" angehängt.\rFortfahren?"},
    {215, "Die Datei ist keine PGN-Datei."},
    {230,
     "Die Datei der markierten Partien wurde geändert, seit sie gelesen wurde.\r"
     "Öffnen Sie sie erneut, um ihre Partien anzuhängen."},
};

using K = LanguageWindowKind;

constexpr RecordedRow kRecorded[] = {
    // Frame
    {23, K::Frame, "&Partien"},
    {24, K::Frame, "Dateibefehle"},
    {25, K::Frame, "&Optionen"},
    {26, K::Frame, "Optionen"},
    {27, K::Frame, "&Fenster"},
    {28, K::Frame, "Befehle zum Anordnen von Fenstern"},
    {29, K::Frame, "&Info"},
    {30, K::Frame, ""},
    {31, K::Frame, "Ö&ffnen"},
    {32, K::Frame, "|PGN-Datei öffnen bzw. eine neue anlegen (neuen Dateinamen angeben)"},
    {37, K::Frame, "Fenster &schließen"},
    {38, K::Frame, "Aktuelles Fenster schließen"},
    {39, K::Frame, "&Beenden"},
    {40, K::Frame, "Anwendung beenden"},
    {47, K::Frame, "&Animation"},
    {48, K::Frame, "Zuganimation"},
    {49, K::Frame, "&Koordinaten"},
    {50, K::Frame, "Koordinatenanzeige ein- bzw. ausschalten"},
    {51, K::Frame, "Ü&berlappend"},
    {52, K::Frame, "Fenster überlappend anordnen"},
    {53, K::Frame, "&Nebeneinander"},
    {54, K::Frame, "Fenster nicht überlappend anordnen"},
    {55, K::Frame, "&Symbole anordnen"},
    {56, K::Frame, "Fenstersymbole am unteren Rand des Hauptfensters anordnen"},
    {57, K::Frame, "&Alle verkleinern"},
    {58, K::Frame, "Alle Fenster verkleinern"},
    {59, K::Frame, "Abbrechen"},
    {131, K::Frame, "PGN-Datei öffnen bzw. eine neue angeben"},
    {132, K::Frame, "PGN-Dateien|*.pgn|Alle Dateien (*.*)|*.*"},
    {163, K::Frame, "Sprache"},
    {164, K::Frame, "Diverses"},
    // Database window
    {60, K::DatabaseWindow, "Zuletzt geöffnete Datenbanken"},
    {61, K::DatabaseWindow, "|Diese Liste akzeptiert Drag and Drop"},
    // Game list
    {62, K::GameList, "Nr."},
    {63, K::GameList, "Spieler"},
    {64, K::GameList, "Quelle"},
    {65, K::GameList, "Jahr"},
    {66, K::GameList, "Ergebnis"},
    {67, K::GameList, "|Sortieren nach..."},
    {68, K::GameList, "Spieler:"},
    {69, K::GameList, "Quelle:"},
    {70, K::GameList, "Weiß"},
    {71, K::GameList, "Schwarz"},
    {72, K::GameList, "Beide"},
    {73, K::GameList, "Zeitraum:"},
    {74, K::GameList, "Anfangsstellung"},
    {75, K::GameList, "Aufbauen"},
    {76, K::GameList, "Alles Leer"},
    {77, K::GameList, "Filtern"},
    {78, K::GameList,
     "Datei öffnen|Öffnet eine PGN-Datei oder legt eine neue an (wenn neuer Name eingetragen "
     "wird)"},
    {79, K::GameList, "Filter|Filter ein- und ausschalten"},
    // Game window
    {84, K::GameWindow, "Diagramm kopieren"},
    {85, K::GameWindow, "Diagramm als BMP in Zwischenablage"},
    {86, K::GameWindow, "FEN kopieren"},
    {87, K::GameWindow, "Kopiert die Stellung als FEN in die Zwischenablage"},
    {88, K::GameWindow, "Diagramm drucken"},
    {89, K::GameWindow, ""},
    {90, K::GameWindow, "Aufbauen"},
    {91, K::GameWindow, "Neue Stellung eingeben"},
    {92, K::GameWindow, "FEN einfügen"},
    {93, K::GameWindow, "Fügt eine Stellung als FEN aus der Zwischenablage ein"},
    {94, K::GameWindow, "Drehen"},
    {95, K::GameWindow, "Brett drehen"},
    {96, K::GameWindow, "Meldungen"},
    {97, K::GameWindow,
     "Aktiviert = 3-fache Stellungswiederholung u. Überschreiten der 50-Züge-Regel melden"},
    {98, K::GameWindow, "Blind"},
    {99, K::GameWindow, "Ohne Ansicht des Brettes spielen"},
    {111, K::GameWindow, "|Rechte Maustaste für Kontextmenu"},
    {116, K::GameWindow, "Vorherige Partie"},
    {117, K::GameWindow, "Nächste Partie"},
    {125, K::GameWindow, "Zum vorherigen Variantenbeginn"},
    {126, K::GameWindow, "|Zug zurück"},
    {127, K::GameWindow, "|Zug vor"},
    {128, K::GameWindow, "Zum nächsten Variantenbeginn"},
    // Position search
    {225, K::GameList, "Anfangsstellung"},
    {226, K::GameList, "in der Hauptvariante erreicht"},
    {227, K::GameList, "in Haupt- oder Nebenvarianten erreicht"},
    {228, K::GameWindow, "Partien mit dieser Stellung"},
    {229, K::GameWindow,
     "Zeigt die Partien der Liste dieser Partie, die die Stellung des Brettes erreichen"},
};

}  // namespace

std::span<const RecordedRow> RecordedRows() {
  return kRecorded;
}

std::string_view LayoutGerman(int row) {
  for (const RecordedRow& r : kRecorded)
    if (r.row == row) return r.german;
  return {};
}

std::string_view BuiltInText(int row, int column) {
  if (row < 0 || row >= LanguageRowCount) return {};
  if (column == 1) return kEnglish[row];
  if (column != 0) return {};
  for (const BuiltInGerman& g : kGerman)
    if (g.row == row) return g.text;
  return {};
}

LanguageTable::LanguageTable() {
  for (int row = 0; row < LanguageRowCount; ++row) {
    cells_[row][0] = std::string(BuiltInText(row, 0));
    cells_[row][1] = std::string(BuiltInText(row, 1));
  }
}

std::string LanguageTable::LanguageText(int row) const {
  return Text(row, language_index_);
}

std::string LanguageTable::Text(int row, int column) const {
  if (row < 0 || row >= LanguageRowCount || column < 0 || column > 1)
    return std::string(LanguageErrorText);
  return cells_[row][column];
}

void LanguageTable::SetText(int row, int column, std::string_view text) {
  if (row < 0 || row >= LanguageRowCount || column < 0 || column > 1) return;
  cells_[row][column] = std::string(text);
}

void LanguageTable::SetSecondColumn(std::span<const std::string> lines) {
  const size_t n = std::min<size_t>(lines.size(), LanguageRowCount);
  for (size_t row = 0; row < n; ++row) cells_[row][1] = lines[row];
}

LanguageTable& Languages() {
  static LanguageTable table;
  return table;
}

}  // namespace brevaro
