#include "lists/window_host.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <algorithm>

#include "collections/encoding.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"

namespace brevaro {

void TDefaultCollectionHost::Progress(int percent, TCancelMode& cancelMode) {
  LastPercent = std::clamp(percent, 0, 100);
  if (!progressRunning_) {  // a report from inside a report runs no second loop
    progressRunning_ = true;
    QCoreApplication::processEvents();
    progressRunning_ = false;
  }
  if (stopFlag_) cancelMode = cmCancel;
}

QString TDefaultCollectionHost::OpenFileDialog(QWidget* parent) {
  // A name that does not exist yet is accepted: the list offers to create it.
  QFileDialog dialog(parent, QString(), QString(), QtFileFilter(RowText(132)));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void TDefaultCollectionHost::AddHistory(const QString& path) {
  History.removeAll(path);
  History.prepend(path);
  while (History.size() > 8) History.removeLast();
}

void TDefaultCollectionHost::OpenPGNFile(const QString& path) {
  if (OnOpenPGNFile) OnOpenPGNFile(path);
}

void TDefaultCollectionHost::OpenGame(TMDIPGN* list, const std::string& pgnGame, int64_t gameId) {
  if (OnOpenGame) OnOpenGame(list, pgnGame, gameId);
}

QStringList TDefaultCollectionHost::ChildWindowTitles() const {
  QStringList titles;
  if (!area_) return titles;
  for (const QMdiSubWindow* w : area_->subWindowList()) {
    titles << (w->widget() ? w->widget()->windowTitle() : w->windowTitle());
  }
  return titles;
}

void TDefaultCollectionHost::StorePGNSize(int height, int width) {
  PGNHeight = height;
  PGNWidth = width;
}

void TDefaultCollectionHost::StoreDatabaseSize(int height, int width) {
  DatabaseHeight = height;
  DatabaseWidth = width;
}

bool TDefaultCollectionHost::Question(QWidget* parent, const QString& text, bool warning) {
  const auto knoepfe = QMessageBox::Yes | QMessageBox::No;
  const auto antwort = MessageBox(parent, warning ? QMessageBox::Warning : QMessageBox::Question,
                                  QStringLiteral("Brevaro"), text, knoepfe,
                                  warning ? QMessageBox::No : QMessageBox::Yes);
  return antwort == QMessageBox::Yes;
}

void TDefaultCollectionHost::Error(QWidget* parent, const QString& text) {
  MessageBox(parent, QMessageBox::Critical, QStringLiteral("Brevaro"), text);
}

std::string PfadBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString PfadText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

QString PGNText(const std::string& bytes) {
  return QString::fromStdString(AlsUtf8(bytes));
}

QString RowText(int row) {
  return QtText(Languages().LanguageText(row));
}

}  // namespace brevaro
