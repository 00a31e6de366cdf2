// A frame stand-in for the collection windows' tests: it records the
// questions and errors it is shown and answers them as told, and lets a test
// act inside the progress procedure (where events run).
#pragma once

#include <QFile>
#include <QMdiArea>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <string>

#include "lists/window_host.h"

namespace brevaro::test {

class FakeHost : public TDefaultCollectionHost {
 public:
  explicit FakeHost(QMdiArea* area = nullptr) : TDefaultCollectionHost(area) {}

  bool Question(QWidget*, const QString& text, bool warning) override {
    questions << text;
    lastWarning = warning;
    return answer;
  }
  void Error(QWidget*, const QString& text) override { errors << text; }
  QString OpenFileDialog(QWidget*) override { return dialogPath; }
  void Progress(int percent, TCancelMode& cancelMode) override {
    ++reports;
    if (onProgress) onProgress(percent);
    TDefaultCollectionHost::Progress(percent, cancelMode);
  }

  bool answer = true;
  bool lastWarning = false;
  QStringList questions;
  QStringList errors;
  QString dialogPath;
  int reports = 0;
  std::function<void(int percent)> onProgress;
};

// Writes bytes into a file of `dir` and returns its path.
inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes) {
  const QString path = dir.filePath(name);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

inline std::string ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

// A game with the given tags (each a complete tag line) and moves.
inline std::string Game(const std::string& tags, const std::string& moves = "1. e4 e5 *") {
  return tags + "\n" + moves + "\n\n";
}

}  // namespace brevaro::test
