// The desktop program: the frame window over the command line
// "[--screenshot FILE.png] [--config-dir DIR] [file.pgn [row]] ...".
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/frame_window.h"
#include "app/program_icon.h"
#include "settings/settings.h"

using namespace brevaro;

namespace {

// A screenshot run asks nobody: questions are answered No, messages go to the
// error output, so a missing or broken file never leaves a dialog waiting.
class TUnattendedDialogs : public TFrameDialogs {
 public:
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
  bool Question(QWidget*, const QString& text, bool) override {
    Print(text + QStringLiteral(" - No"));
    return false;
  }
  void Error(QWidget*, const QString& text) override { Print(text); }
  void About(QWidget*) override {}
  void Notice(QWidget*, const QString& text) override { Print(text); }
  void Beep() override {}

  static void Print(const QString& text) {
    std::fprintf(stderr, "brevaro: %s\n", text.toLocal8Bit().constData());
  }
};

// Renders the frame after start-up into `file`; the exit code tells whether
// it was written.
void ScreenshotLater(QApplication& app, TMainForm& frame, const QString& file) {
  QTimer::singleShot(0, &frame, [&app, &frame, file] {
    // Let layouts, child windows and their first paints settle.
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QPixmap shot = frame.grab();
    const bool ok = !shot.isNull() && shot.save(file, "PNG");
    if (!ok)
      std::fprintf(stderr, "brevaro: cannot write %s\n", QFile::encodeName(file).constData());
    app.exit(ok ? 0 : 1);
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  // A write beyond the file-size limit then fails with an error, so an append
  // is cut back, instead of the signal ending the program mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication::setApplicationName(QStringLiteral("Brevaro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Brevaro"));
  QApplication app(argc, argv);
  QApplication::setWindowIcon(ProgramIcon());

  // Qt has taken its own options out of the arguments.
  std::vector<std::string> args;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i)
    args.push_back(QFile::encodeName(arguments[i]).toStdString());
  const std::optional<std::string> screenshot = TakeScreenshotOption(args);
  const std::string configDir = TakeConfigDirOption(args);
  if (screenshot && screenshot->empty()) {
    std::fprintf(stderr, "brevaro: --screenshot needs a file name\n");
    return 2;
  }

  QString programDir = QDir(QCoreApplication::applicationDirPath()).absolutePath();
  if (!programDir.endsWith(QLatin1Char('/'))) programDir += QLatin1Char('/');
  const std::string settingsDir =
      ChooseSettingsDirectory(QFile::encodeName(programDir).toStdString(), configDir);

  TUnattendedDialogs unattended;

  TMainFormOptions options;
  options.ProgramDir = programDir;
  options.SettingsDir = QFile::decodeName(QByteArray::fromStdString(settingsDir));
  options.Parameters = args;
  if (screenshot) options.Dialogs = &unattended;
  TMainForm frame(options);
  frame.show();
  if (screenshot)
    ScreenshotLater(app, frame, QFile::decodeName(QByteArray::fromStdString(*screenshot)));
  return app.exec();
}
