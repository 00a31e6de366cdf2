// GCC 12 warns falsely (-Wrestrict) about std::string code it inlines in
// optimised builds of these tests.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
#include "languages/language_file.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <map>
#include <memory>

using namespace brevaro;

namespace {

// A stand-in for a real window of one kind: one action per recorded row of
// that kind, built with the German layout text; rows whose text has a "|"
// are hints. The game list's first five rows are header sections.
class FakeWindow : public QWidget {
 public:
  FakeWindow(LanguageSwitcher& switcher, LanguageWindowKind kind) {
    std::vector<TextBinding> bindings;
    for (const RecordedRow& r : RecordedRows()) {
      if (r.kind != kind) continue;
      const QString german = QString::fromUtf8(r.german.data(), qsizetype(r.german.size()));
      if (kind == LanguageWindowKind::GameList && r.row <= 66) {
        model.setHeaderData(r.row - 62, Qt::Horizontal, german);
        bindings.push_back(HeaderText(r.row, &model, r.row - 62));
        continue;
      }
      auto* action = new QAction(this);
      actions[r.row] = action;
      if (german.contains(QLatin1Char('|'))) {
        SetHint(action, german);
        bindings.push_back(HintOf(r.row, action));
      } else {
        action->setText(german);
        bindings.push_back(PropertyText(r.row, action));
      }
    }
    switcher.RegisterWindow(this, kind, std::move(bindings),
                            [this](bool english) { switches.push_back(english); });
  }
  QString Text(int row) const { return actions.at(row)->text(); }

  QStandardItemModel model{0, 5};
  std::map<int, QAction*> actions;
  std::vector<bool> switches;
};

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

void WriteLines(const QString& path, const QString& prefix, int count) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  for (int i = 0; i < count; ++i) f.write((prefix + QString::number(i) + "\r\n").toLatin1());
}

}  // namespace

class LanguageSwitcherTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<LanguageTable> table_;
  std::unique_ptr<LanguageSwitcher> switcher_;
  std::unique_ptr<QTemporaryDir> settings_dir_, program_dir_;
  std::unique_ptr<QMenu> menu_;
  QStringList errors_;

  QAction* Entry(const QString& name) {
    for (QAction* a : switcher_->MenuEntries())
      if (a->text() == name) return a;
    return nullptr;
  }

 private slots:
  void init() {
    table_ = std::make_unique<LanguageTable>();
    switcher_ = std::make_unique<LanguageSwitcher>(*table_);
    switcher_->OnError = [this](const QString& m) { errors_ << m; };
    errors_.clear();
    settings_dir_ = std::make_unique<QTemporaryDir>();
    program_dir_ = std::make_unique<QTemporaryDir>();
    switcher_->SetDirectories(settings_dir_->path(), program_dir_->path());
    menu_ = std::make_unique<QMenu>();
  }
  void cleanup() { menu_.reset(), switcher_.reset(); }

  // Message box buttons speak the chosen language (ButtonTexts uses the
  // program's table, as every message box does).
  void messageBoxButtonsFollowTheLanguage() {
    const int vorher = Languages().LanguageIndex();
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    for (auto [index, texte] : {std::pair{0, QStringList{"Ja", "Nein", "OK", "Abbrechen"}},
                                {1, QStringList{"Yes", "No", "OK", "Cancel"}}}) {
      Languages().SetLanguageIndex(index);
      ButtonTexts(box);
      QCOMPARE((QStringList{
                   box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
                   box.button(QMessageBox::Ok)->text(), box.button(QMessageBox::Cancel)->text()}),
               texte);
    }
    Languages().SetLanguageIndex(vorher);
  }

  void hintsKeepBothParts() {
    QAction a;
    const char* hints[][3] = {
        {"Datei öffnen|Öffnet eine PGN-Datei", "Datei öffnen", "Öffnet eine PGN-Datei"},
        {"|Zug vor", "", "Zug vor"},
        {"Abbrechen", "Abbrechen", "Abbrechen"}};
    for (auto [hint, tip, status] : hints) {
      SetHint(&a, hint);
      QCOMPARE(a.toolTip(), QString(tip));
      QCOMPARE(a.statusTip(), QString(status));
    }
    SetHint(&a, hints[0][0]);
    QCOMPARE(Hint(&a), QString(hints[0][0]));
    QWidget plain;
    plain.setToolTip("tip");
    plain.setStatusTip("status");
    QCOMPARE(Hint(&plain), QString("tip|status"));
    QCOMPARE(QtText("a\rb"), QString("a\nb"));
    QCOMPARE(TableText("Weiß\nx"), std::string("Weiß\rx"));
  }

  void fileFiltersBecomeQtFilters() {
    const std::pair<QString, QString> cases[] = {
        {Q(LayoutGerman(132)), "PGN-Dateien (*.pgn);;Alle Dateien (*)"},
        {Q(BuiltInText(132, 1)), "PGN-files (*.pgn);;All files (*)"},
        {"Partien|*.pgn;*.PGN", "Partien (*.pgn *.PGN)"},
        {"Partien|*.pgn|Rest", "Partien (*.pgn)"},  // odd count
        {"", ""}};
    for (const auto& [table, qt] : cases) QCOMPARE(QtFileFilter(table), qt);
  }

  void recordsGermanFromTheFirstWindowOfAKindOnly() {
    QCOMPARE(table_->Text(31, 0), std::string());
    FakeWindow frame(*switcher_, LanguageWindowKind::Frame);
    QCOMPARE(table_->Text(31, 0), std::string("Ö&ffnen"));
    QCOMPARE(table_->Text(32, 0), std::string(LayoutGerman(32)));
    QCOMPARE(table_->Text(62, 0), std::string());  // game list not yet recorded
    frame.actions[31]->setText("changed");
    FakeWindow second(*switcher_, LanguageWindowKind::Frame);
    QCOMPARE(table_->Text(31, 0), std::string("Ö&ffnen"));
    FakeWindow list(*switcher_, LanguageWindowKind::GameList);
    QCOMPARE(table_->Text(63, 0), std::string("Spieler"));
    QCOMPARE(table_->Text(70, 0), std::string("Weiß"));
    QVERIFY(frame.switches.empty());  // German at start: nothing applied
  }

  void menuOffersDeutschThenTheFilesWithShortcuts() {
    QVERIFY(switcher_->WriteEnglishFile());
    QFile::copy(settings_dir_->filePath("English.lng"), settings_dir_->filePath("Francais.lng"));
    WriteLines(program_dir_->filePath("Zulu.lng"), "z", 3);
    WriteLines(program_dir_->filePath("English.lng"), "stale", 3);  // the settings dir's wins
    QFile::copy(BREVARO_TEST_DATA "/lang_README.md", settings_dir_->filePath("notes.txt"));
    switcher_->BuildLanguageMenu(menu_.get());
    const QList<QAction*> entries = switcher_->MenuEntries();
    QCOMPARE(entries.size(), 4);
    for (int i = 0; i < entries.size(); ++i) {
      QCOMPARE(entries[i]->text(), QStringList({"Deutsch", "English", "Francais", "Zulu"})[i]);
      QCOMPARE(entries[i]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)));
      QVERIFY(entries[i]->isCheckable());
    }
    QCOMPARE(menu_->actions().size(), 4);
    QVERIFY(Entry("Deutsch")->isChecked());
    switcher_->LanguageClick(Entry("English"));
    QCOMPARE(table_->Text(23, 1), std::string("&Games"));  // not the stale file
    // Built again, the menu holds each entry once and keeps the choice.
    switcher_->BuildLanguageMenu(menu_.get());
    QCOMPARE(menu_->actions().size(), 4);
    QVERIFY(Entry("English")->isChecked() && !Entry("Deutsch")->isChecked());
  }

  void switchingLanguagesSetsEveryWindowAndGermanRestoresRecordedTexts() {
    QVERIFY(switcher_->WriteEnglishFile());
    switcher_->BuildLanguageMenu(menu_.get());
    FakeWindow frame(*switcher_, LanguageWindowKind::Frame);
    FakeWindow list(*switcher_, LanguageWindowKind::GameList);

    Entry("English")->trigger();
    QCOMPARE(switcher_->LanguageName(), QString("English"));
    QCOMPARE(frame.Text(31), QString("&Open"));
    QCOMPARE(frame.actions[32]->statusTip(), QString("Open PGN-file or create a new one"));
    QCOMPARE(list.model.headerData(1, Qt::Horizontal).toString(), QString("Players"));
    QCOMPARE(list.actions[78]->toolTip(), QString("Open"));
    QCOMPARE(list.switches, std::vector<bool>{true});

    // A game window opened while English is active: recorded, then English.
    FakeWindow game(*switcher_, LanguageWindowKind::GameWindow);
    QCOMPARE(table_->Text(84, 0), std::string("Diagramm kopieren"));
    QCOMPARE(game.Text(84), QString("Copy diagram"));
    QCOMPARE(game.actions[126]->statusTip(), QString("Previous move"));
    {
      FakeWindow closed_soon(*switcher_, LanguageWindowKind::DatabaseWindow);
      QCOMPARE(closed_soon.Text(60), QString("Last PGN-files"));
    }

    Entry("Deutsch")->trigger();
    QCOMPARE(switcher_->LanguageName(), QString("English"));  // kept for the settings
    QVERIFY(Entry("Deutsch")->isChecked() && !Entry("English")->isChecked());
    QCOMPARE(frame.Text(31), QString("Ö&ffnen"));
    QCOMPARE(Hint(frame.actions[32]), Q(LayoutGerman(32)));
    QCOMPARE(list.model.headerData(1, Qt::Horizontal).toString(), QString("Spieler"));
    QCOMPARE(game.Text(84), QString("Diagramm kopieren"));
    QCOMPARE(Hint(game.actions[127]), QString("|Zug vor"));
    QCOMPARE(list.switches, (std::vector<bool>{true, false}));
    QVERIFY(errors_.isEmpty());
  }

  void shortFileChangesOnlyItsRows() {
    WriteLines(settings_dir_->filePath("Voll.lng"), "v", LanguageRowCount);
    WriteLines(settings_dir_->filePath("Kurz.lng"), "k", 50);
    switcher_->BuildLanguageMenu(menu_.get());
    QVERIFY(switcher_->LanguageClick(Entry("Voll")));
    QVERIFY(switcher_->LanguageClick(Entry("Kurz")));
    for (int row = 0; row < LanguageRowCount; ++row)
      QCOMPARE(table_->Text(row, 1), (row < 50 ? "k" : "v") + std::to_string(row));
    QCOMPARE(switcher_->LanguageName(), QString("Kurz"));
  }

  void unreadableFileChangesNothing() {
    QVERIFY(switcher_->WriteEnglishFile());
    WriteLines(settings_dir_->filePath("Weg.lng"), "w", 173);
    switcher_->BuildLanguageMenu(menu_.get());
    FakeWindow frame(*switcher_, LanguageWindowKind::Frame);
    QVERIFY(switcher_->LanguageClick(Entry("English")));
    QFile::remove(settings_dir_->filePath("Weg.lng"));
    Entry("Weg")->trigger();  // as from the menu: Qt checks the entry first
    QVERIFY(errors_.size() == 1 && !errors_[0].isEmpty());
    QCOMPARE(table_->LanguageIndex(), 1);
    QCOMPARE(switcher_->LanguageName(), QString("English"));
    QCOMPARE(frame.Text(31), QString("&Open"));
    QVERIFY(Entry("English")->isChecked() && !Entry("Weg")->isChecked());
  }

  void selectLanguageFallsBackToGerman() {
    QVERIFY(switcher_->WriteEnglishFile());
    QVERIFY(QFile::copy(BREVARO_TEST_DATA "/lang_francais_1252.lng",
                        program_dir_->filePath("Francais.lng")));
    WriteLines(settings_dir_->filePath("Weg.lng"), "w", 173);
    switcher_->BuildLanguageMenu(menu_.get());
    QFile::remove(settings_dir_->filePath("Weg.lng"));
    FakeWindow frame(*switcher_, LanguageWindowKind::Frame);
    struct Case {
      int index;
      QString name;
      int expectedIndex;
      QString checked;
      int errors;
    };
    const Case cases[] = {{1, "francais", 1, "Francais", 0},  // names ignore case
                          {1, "Latein", 0, "Deutsch", 0},     // no such file
                          {1, "Weg", 0, "Deutsch", 1},        // file gone
                          {1, "Francais", 1, "Francais", 0}, {0, "English", 0, "Deutsch", 0},
                          {1, "Deutsch", 0, "Deutsch", 0}};
    for (const Case& c : cases) {
      errors_.clear();
      table_->SetLanguageIndex(c.index);
      switcher_->SelectLanguage(c.name);
      QCOMPARE(table_->LanguageIndex(), c.expectedIndex);
      QVERIFY(Entry(c.checked)->isChecked());
      QCOMPARE(errors_.size(), c.errors);
      QCOMPARE(frame.Text(31), c.expectedIndex ? QString("&Open") : QString("Ö&ffnen"));
      if (c.expectedIndex) QCOMPARE(frame.Text(27), QString("Fe&nêtre"));
    }
  }

  void englishIsOfferedWhenItsFileCannotBeWritten() {
    switcher_->SetDirectories(settings_dir_->filePath("missing"), program_dir_->path());
    QString error;
    QVERIFY(!switcher_->WriteEnglishFile(&error) && !error.isEmpty());
    switcher_->BuildLanguageMenu(menu_.get());
    QCOMPARE(switcher_->MenuEntries().size(), 2);
    FakeWindow frame(*switcher_, LanguageWindowKind::Frame);
    QVERIFY(switcher_->LanguageClick(Entry("English")));
    QCOMPARE(frame.Text(31), QString("&Open"));
  }

  void manyLanguagesAndOddNames() {
    for (int i = 0; i < 11; ++i)
      WriteLines(settings_dir_->filePath(QString("L%1.lng").arg(i, 2, 10, QChar('0'))), "x", 1);
    WriteLines(settings_dir_->filePath("A&B.lng"), "ab", 1);
    WriteLines(settings_dir_->filePath(".lng"), "none", 1);
    switcher_->BuildLanguageMenu(menu_.get());
    const QList<QAction*> entries = switcher_->MenuEntries();
    QCOMPARE(entries.size(), 1 + 1 + 1 + 11);  // Deutsch, A&B, English, L00..L10
    QCOMPARE(entries[1]->text(), QString("A&&B"));
    QCOMPARE(entries[8]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_9));
    QVERIFY(entries[9]->shortcut().isEmpty());
    QVERIFY(switcher_->LanguageClick(entries[1]));
    QCOMPARE(switcher_->LanguageName(), QString("A&B"));
    QCOMPARE(table_->Text(0, 1), std::string("ab0"));
  }
};

QTEST_MAIN(LanguageSwitcherTest)
#include "language_switcher_qtest.moc"
