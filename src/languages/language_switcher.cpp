#include "languages/language_switcher.h"

#include "languages/language_file.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace brevaro {

namespace {

constexpr const char* kHintProperty = "brevaroHint";
constexpr const char* kGerman = "Deutsch";
constexpr const char* kEnglish = "English";
constexpr const char* kChosen = "brevaroChosen";

}  // namespace

QString QtText(const std::string& text) {
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

std::string TableText(const QString& text) {
  QString s = text;
  s.replace(QLatin1Char('\n'), QLatin1Char('\r'));
  return s.toStdString();
}

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    if (description.endsWith(QLatin1Char(')'))) {
      const qsizetype open = description.lastIndexOf(QLatin1Char('('));
      if (open >= 0) description = description.left(open).trimmed();
    }
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    filters << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters.join(QLatin1String(";;"));
}

void SetHint(QObject* object, const QString& hint) {
  if (!object) return;
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  const QString tip = bar < 0 ? hint : hint.left(bar);
  const QString status = bar < 0 ? hint : hint.mid(bar + 1);
  object->setProperty(kHintProperty, hint);
  object->setProperty("toolTip", tip);
  object->setProperty("statusTip", status);
}

QString Hint(const QObject* object) {
  if (!object) return {};
  const QVariant stored = object->property(kHintProperty);
  if (stored.isValid()) return stored.toString();
  const QString tip = object->property("toolTip").toString();
  const QString status = object->property("statusTip").toString();
  if (tip == status || status.isEmpty()) return tip;
  return tip + QLatin1Char('|') + status;
}

TextBinding PropertyText(int row, QObject* object, const char* property) {
  QPointer<QObject> p(object);
  return {row, [p, property] { return p ? p->property(property).toString() : QString(); },
          [p, property](const QString& text) {
            if (p) p->setProperty(property, text);
          }};
}

TextBinding HintOf(int row, QObject* object) {
  QPointer<QObject> p(object);
  return {row, [p] { return Hint(p); }, [p](const QString& text) { SetHint(p, text); }};
}

TextBinding HeaderText(int row, QAbstractItemModel* model, int section) {
  QPointer<QAbstractItemModel> p(model);
  return {
      row,
      [p, section] { return p ? p->headerData(section, Qt::Horizontal).toString() : QString(); },
      [p, section](const QString& text) {
        if (p) p->setHeaderData(section, Qt::Horizontal, text);
      }};
}

// ---------------------------------------------------------------------------

LanguageSwitcher::LanguageSwitcher(LanguageTable& table) : table_(table) {
  OnError = [](const QString& message) {
    MessageBox(QApplication::activeWindow(), QMessageBox::Warning, QStringLiteral("Brevaro"),
               message);
  };
}

void ButtonTexts(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, int> rows[] = {{QMessageBox::Yes, RowYes},
                                                              {QMessageBox::No, RowNo},
                                                              {QMessageBox::Ok, RowOk},
                                                              {QMessageBox::Cancel, RowCancel}};
  for (auto [which, row] : rows) {
    if (QAbstractButton* b = box.button(which)) b->setText(QtText(Languages().LanguageText(row)));
  }
}

QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                       const QString& title, const QString& text,
                                       QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton standard) {
  QMessageBox box(icon, title, text, buttons, parent);
  if (standard != QMessageBox::NoButton) box.setDefaultButton(standard);
  ButtonTexts(box);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

LanguageSwitcher::~LanguageSwitcher() {
  for (const QMetaObject::Connection& c : connections_) QObject::disconnect(c);
}

void LanguageSwitcher::SetDirectories(const QString& settings_dir, const QString& program_dir) {
  settings_dir_ = settings_dir;
  program_dir_ = program_dir;
}

bool LanguageSwitcher::WriteEnglishFile(QString* error) {
  if (settings_dir_.isEmpty()) {
    if (error) *error = QStringLiteral("No directory for language files");
    return false;
  }
  const QString path = QDir(settings_dir_).filePath(QStringLiteral("English.lng"));
  std::string err;
  const bool ok = WriteEnglishLanguageFile(QFile::encodeName(path).toStdString(), &err);
  if (!ok && error) *error = QString::fromLocal8Bit(err.c_str());
  return ok;
}

void LanguageSwitcher::BuildLanguageMenu(QMenu* mSprache) {
  for (const QMetaObject::Connection& c : connections_) QObject::disconnect(c);
  connections_.clear();
  for (const Entry& e : entries_) delete e.action;
  entries_.clear();
  delete group_;
  menu_ = mSprache;
  if (!mSprache) return;

  // Files of the settings directory first: its name wins over the same
  // name beside the program.
  std::vector<Entry> files;
  auto scan = [&files](const QString& dir) {
    if (dir.isEmpty()) return;
    const QFileInfoList found =
        QDir(dir).entryInfoList({QStringLiteral("*.lng")}, QDir::Files | QDir::Readable);
    for (const QFileInfo& f : found) {
      const QString name = f.fileName().left(f.fileName().size() - 4);
      if (name.isEmpty()) continue;
      const bool known = std::any_of(files.begin(), files.end(),
                                     [&name](const Entry& e) { return e.name == name; });
      if (!known) files.push_back({nullptr, name, f.absoluteFilePath()});
    }
  };
  scan(settings_dir_);
  if (QDir(program_dir_) != QDir(settings_dir_)) scan(program_dir_);
  const bool has_english = std::any_of(files.begin(), files.end(), [](const Entry& e) {
    return e.name.compare(QLatin1String(kEnglish), Qt::CaseInsensitive) == 0;
  });
  if (!has_english) files.push_back({nullptr, QString::fromLatin1(kEnglish), QString()});
  std::stable_sort(files.begin(), files.end(), [](const Entry& a, const Entry& b) {
    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
  });
  files.insert(files.begin(), Entry{nullptr, QString::fromLatin1(kGerman), QString()});

  auto* group = new QActionGroup(mSprache);
  group_ = group;
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (size_t i = 0; i < files.size(); ++i) {
    Entry& e = files[i];
    QString caption = e.name;
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto* action = new QAction(caption, mSprache);
    action->setCheckable(true);
    action->setActionGroup(group);
    const int number = static_cast<int>(i) + 1;
    if (number <= 9) action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + number)));
    mSprache->addAction(action);
    e.action = action;
    connections_.append(
        QObject::connect(action, &QAction::triggered, [this, action] { LanguageClick(action); }));
  }
  entries_ = std::move(files);
  // The language in use keeps its check mark in the new menu.
  for (Entry& e : entries_) {
    const bool chosen = table_.LanguageIndex() == 0
                            ? e.path.isEmpty() && e.name == QLatin1String(kGerman)
                            : e.name == language_name_;
    e.action->setChecked(chosen);
    e.action->setProperty(kChosen, chosen);
  }
}

QList<QAction*> LanguageSwitcher::MenuEntries() const {
  QList<QAction*> list;
  for (const Entry& e : entries_)
    if (e.action) list.append(e.action);
  return list;
}

void LanguageSwitcher::RegisterWindow(QWidget* window, LanguageWindowKind kind,
                                      std::vector<TextBinding> bindings,
                                      std::function<void(bool)> english_switch) {
  if (!window) return;
  Prune();
  if (!bindings.empty() && table_.Text(bindings.front().row, 0).empty()) {
    for (const TextBinding& b : bindings)
      if (b.get) table_.SetText(b.row, 0, TableText(b.get()));
  }
  windows_.push_back({window, kind, std::move(bindings), std::move(english_switch)});
  if (table_.LanguageIndex() != 0) Apply(windows_.back());
}

void LanguageSwitcher::Apply(const Window& window) const {
  if (!window.widget) return;
  for (const TextBinding& b : window.bindings)
    if (b.set) b.set(QtText(table_.LanguageText(b.row)));
  if (window.english_switch) window.english_switch(table_.LanguageIndex() != 0);
}

void LanguageSwitcher::Prune() {
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [](const Window& w) { return w.widget.isNull(); }),
                 windows_.end());
}

void LanguageSwitcher::ApplyToAll() {
  Prune();
  // A binding may create or close windows; work on a copy.
  const std::vector<Window> windows = windows_;
  for (const Window& w : windows)
    if (w.kind == LanguageWindowKind::Frame) Apply(w);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (it->kind != LanguageWindowKind::Frame) Apply(*it);
}

bool LanguageSwitcher::LanguageClick(QAction* entry) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [entry](const Entry& e) { return entry && e.action == entry; });
  if (it == entries_.end()) return false;
  if (it->name.toUpper() == QLatin1String("DEUTSCH")) {
    table_.SetLanguageIndex(0);
  } else {
    std::vector<std::string> texts;
    if (it->path.isEmpty()) {
      for (int row = 0; row < LanguageRowCount; ++row) texts.emplace_back(BuiltInText(row, 1));
    } else {
      std::string err;
      if (!ReadLanguageFile(QFile::encodeName(it->path).toStdString(), texts, &err)) {
        if (OnError) OnError(QString::fromLocal8Bit(err.c_str()));
        // The old choice keeps its check mark.
        for (const Entry& e : entries_)
          if (e.action) e.action->setChecked(e.action->property(kChosen).toBool());
        return false;
      }
    }
    table_.SetSecondColumn(texts);
    table_.SetLanguageIndex(1);
    language_name_ = it->name;
  }
  for (const Entry& e : entries_) {
    if (!e.action) continue;
    e.action->setProperty(kChosen, e.action == entry);
    e.action->setChecked(e.action == entry);
  }
  ApplyToAll();
  return true;
}

void LanguageSwitcher::SelectLanguage(const QString& name) {
  if (entries_.empty()) {
    table_.SetLanguageIndex(0);
    ApplyToAll();
    return;
  }
  language_name_ = name;
  size_t candidate = 0;
  if (table_.LanguageIndex() != 0) {
    for (size_t i = 1; i < entries_.size(); ++i) {
      if (entries_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
        candidate = i;
        break;
      }
    }
  }
  if (!LanguageClick(entries_[candidate].action) && candidate != 0)
    LanguageClick(entries_[0].action);
}

LanguageSwitcher& Localization() {
  static LanguageSwitcher switcher(Languages());
  return switcher;
}

}  // namespace brevaro
