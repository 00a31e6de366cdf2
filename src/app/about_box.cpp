#include "app/about_box.h"

#include "languages/language_switcher.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace brevaro {

bool DesktopLinkOpener::OpenLink(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, Qt::blue);
  setPalette(pal);
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
    OnClick();
}

TAboutBox::TAboutBox(LinkOpener* opener, QWidget* parent)
    : QDialog(parent), opener_(opener ? opener : &desktop_) {
  setWindowTitle(QStringLiteral("Info"));
  setModal(true);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  ProgramIcon = new QLabel(panel);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_DesktopIcon);
  ProgramIcon->setPixmap(icon.pixmap(32, 32));

  ProductName = new QLabel(QStringLiteral("Brevaro"), panel);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  QFont big = ProductName->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  ProductName->setFont(big);

  Version = new QLabel(QStringLiteral("Version %1, die Brevaro-Entwickler\n"
                                      "Oberfläche: Qt %2")
                           .arg(QCoreApplication::applicationVersion().isEmpty()
                                    ? QStringLiteral("0.1.0")
                                    : QCoreApplication::applicationVersion(),
                                QString::fromLatin1(qVersion())),
                       panel);
  Version->setObjectName(QStringLiteral("Version"));

  lCreatedWith = new QLabel(QStringLiteral("Erstellt mit"), panel);
  lLibrary = new LinkLabel(QStringLiteral("Qt"), panel);
  lLibrary->setObjectName(QStringLiteral("lLibrary"));
  lLibrary->OnClick = [this] { LibraryClick(); };

  Label1 = new QLabel(QStringLiteral("Figurenbilder: Colin M. L. Burnett und\n"
                                     "Merida (A. H. Marroquin), frei unter"),
                      panel);
  Label1->setObjectName(QStringLiteral("Label1"));
  lGnu = new LinkLabel(QStringLiteral("GNU GPL."), panel);
  lGnu->setObjectName(QStringLiteral("lGnu"));
  lGnu->OnClick = [this] { lGnuClick(); };

  auto* separator = new QFrame(panel);
  separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);

  Label4 = new QLabel(QStringLiteral("Optionale Startparameter:\n"
                                     "brevaro games.pgn 0\n"
                                     "( Datei games.pgn wird geladen)"),
                      panel);
  Label4->setObjectName(QStringLiteral("Label4"));

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* head = new QHBoxLayout;
  head->addWidget(ProgramIcon, 0, Qt::AlignTop);
  auto* names = new QVBoxLayout;
  names->addWidget(ProductName);
  names->addWidget(Version);
  head->addLayout(names, 1);

  auto* created = new QHBoxLayout;
  created->addWidget(lCreatedWith);
  created->addWidget(lLibrary);
  created->addStretch(1);

  auto* credit = new QHBoxLayout;
  credit->setSpacing(4);
  credit->addWidget(Label1, 0, Qt::AlignBottom);
  credit->addWidget(lGnu, 0, Qt::AlignBottom);
  credit->addStretch(1);

  auto* inner = new QVBoxLayout(panel);
  inner->setContentsMargins(8, 6, 8, 6);
  inner->setSpacing(4);
  inner->addLayout(head);
  inner->addLayout(created);
  inner->addLayout(credit);
  inner->addWidget(separator);
  inner->addWidget(Label4);
  inner->addStretch(1);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);
  outer->addWidget(panel, 1);
  outer->addWidget(OKButton, 0, Qt::AlignHCenter);

  setFixedSize(320, 236);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  FormCreate();
}

void TAboutBox::FormCreate() {
  SetHint(lLibrary, QLatin1Char('|') + LibraryAddress);
  SetHint(lGnu, QLatin1Char('|') + GnuAddress);
}

bool TAboutBox::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip && parentWidget()) {
    QCoreApplication::sendEvent(parentWidget()->window(), event);
    return true;
  }
  return QDialog::event(event);
}

void TAboutBox::LibraryClick() {
  opener_->OpenLink(QUrl(LibraryAddress));
}

void TAboutBox::lGnuClick() {
  opener_->OpenLink(QUrl(GnuAddress));
}

}  // namespace brevaro
