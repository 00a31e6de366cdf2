// The language machinery of the windows: recording the German texts of each
// window kind's controls into the LanguageTable, applying the chosen language
// to every registered window, and the language menu ("Deutsch", then one entry
// per language file). Invariant: every registered window that is still alive
// shows the texts of LanguageIndex, applied in the order frame first, then the
// other windows from the last registered to the first.
//
// How a window takes part (frame, database window, game list, game window):
//  1. Build the controls with their German layout texts: LayoutGerman(row)
//     for captions, SetHint(control, LayoutGerman(row)) for hints (a hint is
//     "tooltip|status text"; SetHint keeps both parts).
//  2. Once the controls exist (in the constructor), register:
//       Localization().RegisterWindow(this, LanguageWindowKind::GameList,
//           {PropertyText(62, ...), ..., HintOf(79, sbFilter)},
//           [this](bool english) { SearchBrett->SetEnglish(english); });
//     listing one binding per recorded row of the kind, in the order of
//     RecordedRows(); the first binding's row tells whether the kind has been
//     recorded. RegisterWindow records the German texts when that row's German
//     cell is still empty (the first window of the kind) and applies the
//     language at once when LanguageIndex is not 0.
//  3. That is all: languages chosen later are applied to the window for as
//     long as it lives (a destroyed window is forgotten). The english switch,
//     when given, runs at every apply with LanguageIndex != 0 (the chess
//     components' own English switch; a game window also copies the notation's
//     hint to its board there).
// Messages take their texts from Languages().LanguageText(row) through QtText.
//
// The frame, in addition: at creation SetDirectories(settings directory,
// program directory), WriteEnglishFile(), BuildLanguageMenu(mSprache), then
// its own RegisterWindow; after reading the settings
// Table().SetLanguageIndex(English) and SelectLanguage(otherLang); when
// writing them, English := Table().LanguageIndex(), otherLang := LanguageName().
#pragma once

#include "languages/language_table.h"

#include <QList>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QAbstractItemModel;
class QAction;
class QActionGroup;
class QMenu;
class QObject;
class QWidget;

namespace brevaro {

// A modal message box whose Yes, No, OK and Cancel buttons carry the texts
// of rows 173..176 in the current language; returns the button chosen.
QMessageBox::StandardButton MessageBox(
    QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton standard = QMessageBox::NoButton);
// Sets the button texts of a message box from the table (as MessageBox does).
void ButtonTexts(QMessageBox& box);

// Table texts (UTF-8, "\r" line breaks) to Qt ("\n") and back.
QString QtText(const std::string& text);
std::string TableText(const QString& text);

// A file dialog filter of the table ("PGN-Dateien|*.pgn|Alle Dateien
// (*.*)|*.*": description and pattern alternating, row 132) as a Qt name
// filter list ("PGN-Dateien (*.pgn);;Alle Dateien (*)"). A pattern already
// in parentheses at the end of a description is replaced; "*.*" means every
// file, as it does on Windows.
QString QtFileFilter(const QString& filter);

// A hint is "tooltip|status text" (no "|": both are the whole text). SetHint
// sets the object's toolTip and statusTip and remembers the whole hint, which
// Hint returns (rebuilt from toolTip and statusTip for other objects).
void SetHint(QObject* object, const QString& hint);
QString Hint(const QObject* object);

// One control text bound to a table row: read for recording the German text,
// set when a language is applied.
struct TextBinding {
  int row = -1;
  std::function<QString()> get;
  std::function<void(const QString&)> set;
};

// A string property of an object: "text" of an action, button or label,
// "windowTitle" of a window, "title" of a menu or group box.
TextBinding PropertyText(int row, QObject* object, const char* property = "text");
// The hint of an action or widget (through SetHint / Hint).
TextBinding HintOf(int row, QObject* object);
// A header section's text of an item model.
TextBinding HeaderText(int row, QAbstractItemModel* model, int section);

class LanguageSwitcher {
 public:
  explicit LanguageSwitcher(LanguageTable& table);
  ~LanguageSwitcher();
  LanguageSwitcher(const LanguageSwitcher&) = delete;
  LanguageSwitcher& operator=(const LanguageSwitcher&) = delete;

  LanguageTable& Table() { return table_; }

  // settings_dir receives English.lng; language files are offered from it and
  // from program_dir (which may be the same).
  void SetDirectories(const QString& settings_dir, const QString& program_dir);

  // Writes English.lng (the built-in English texts) into the settings
  // directory; false with the error text when it cannot. The language menu
  // then still offers English from the built-in texts.
  bool WriteEnglishFile(QString* error = nullptr);

  // Fills mSprache: "Deutsch" (Ctrl+1), then one entry per *.lng found,
  // sorted by name, numbered from 2 (Ctrl+2 .. Ctrl+9; later entries have
  // no shortcut). The entries are checkable, in one exclusive group, and run
  // LanguageClick. Called again, it replaces the entries it made before.
  void BuildLanguageMenu(QMenu* mSprache);
  QList<QAction*> MenuEntries() const;

  // See the contract above.
  void RegisterWindow(QWidget* window, LanguageWindowKind kind, std::vector<TextBinding> bindings,
                      std::function<void(bool english)> english_switch = {});
  // Sets every registered window's texts to the current language.
  void ApplyToAll();

  // The handler of a language menu entry. "Deutsch" selects column 0; any
  // other entry reads its file into column 1 and selects it. When the file
  // cannot be read, OnError gets the system's error text and nothing changes
  // (language, table, check marks, window texts); the result is then false.
  bool LanguageClick(QAction* entry);
  // Selects the entry named name (ignoring case) when LanguageIndex is not 0,
  // otherwise "Deutsch"; a name without an entry, or whose file cannot be
  // read, falls back to "Deutsch".
  void SelectLanguage(const QString& name);
  // The caption of the language last chosen other than German (settings key
  // otherLang).
  QString LanguageName() const { return language_name_; }

  // Shows an error text; by default a warning message box.
  std::function<void(const QString& message)> OnError;

 private:
  struct Entry {
    QPointer<QAction> action;
    QString name;
    QString path;  // empty: the built-in English texts
  };
  struct Window {
    QPointer<QWidget> widget;
    LanguageWindowKind kind;
    std::vector<TextBinding> bindings;
    std::function<void(bool)> english_switch;
  };
  void Apply(const Window& window) const;
  void Prune();

  LanguageTable& table_;
  QString settings_dir_;
  QString program_dir_;
  QString language_name_ = QStringLiteral("English");
  QPointer<QMenu> menu_;
  QPointer<QActionGroup> group_;
  std::vector<Entry> entries_;
  QList<QMetaObject::Connection> connections_;
  std::vector<Window> windows_;
};

// The process-wide switcher over Languages(), used by the windows.
LanguageSwitcher& Localization();

}  // namespace brevaro
