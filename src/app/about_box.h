// TAboutBox: the modal information dialog of the frame's "&Info" entry. It
// names the program, credits the library and the piece drawings, links to two
// web pages and shows the command-line form. Its texts are German in every
// language. Links open through a LinkOpener, so tests never start a browser.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>
#include <functional>

class QPushButton;

namespace brevaro {

// Opens a web address with the desktop's default handler.
class LinkOpener {
 public:
  virtual ~LinkOpener() = default;
  virtual bool OpenLink(const QUrl& url) = 0;
};

// The desktop's handler (QDesktopServices).
class DesktopLinkOpener : public LinkOpener {
 public:
  bool OpenLink(const QUrl& url) override;
};

// A label that looks like a link (blue, underlined, hand cursor) and calls
// OnClick when clicked with the left button.
class LinkLabel : public QLabel {
 public:
  explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
 public:
  inline static const QString LibraryAddress = QStringLiteral("https://www.qt.io/");
  inline static const QString GnuAddress =
      QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html");

  // opener: where links go; null uses the desktop's handler.
  explicit TAboutBox(LinkOpener* opener = nullptr, QWidget* parent = nullptr);

  // The two links.
  void LibraryClick();
  void lGnuClick();

  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* lCreatedWith = nullptr;
  LinkLabel* lLibrary = nullptr;
  QLabel* Label1 = nullptr;
  LinkLabel* lGnu = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  // Status texts (the links' addresses) go on to the window that opened the
  // box, whose status line shows them.
  bool event(QEvent* event) override;

 private:
  void FormCreate();

  DesktopLinkOpener desktop_;
  LinkOpener* opener_;
};

}  // namespace brevaro
