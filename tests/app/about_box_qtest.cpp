#include "app/about_box.h"
#include "languages/language_table.h"

#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>

using namespace brevaro;

namespace {

class StatusLine : public QWidget {
 public:
  QStringList shown;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::StatusTip) shown << static_cast<QStatusTipEvent*>(e)->tip();
    return QWidget::event(e);
  }
};

class FakeOpener : public LinkOpener {
 public:
  bool OpenLink(const QUrl& url) override {
    opened.append(url);
    return true;
  }
  QList<QUrl> opened;
};

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  // The box is German in every language (it is built while English is on).
  void linksShowTheirAddressInTheStatusLineAndOpenThroughTheOpener() {
    StatusLine frame;
    FakeOpener opener;
    Languages().SetLanguageIndex(1);
    TAboutBox box(&opener, &frame);
    Languages().SetLanguageIndex(0);
    QCOMPARE(box.lCreatedWith->text(), QString("Erstellt mit"));
    QVERIFY(box.OKButton->isDefault());
    QCOMPARE(box.minimumSize(), box.maximumSize());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.lLibrary->statusTip(), TAboutBox::LibraryAddress);
    QCOMPARE(box.lGnu->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(box.lGnu->font().underline());
    QStatusTipEvent tip(box.lGnu->statusTip());
    QCoreApplication::sendEvent(box.lGnu, &tip);
    QCOMPARE(frame.shown, QStringList{TAboutBox::GnuAddress});

    QTest::mouseClick(box.lGnu, Qt::RightButton);
    QVERIFY(opener.opened.isEmpty());
    QTest::mouseClick(box.lGnu, Qt::LeftButton);
    QTest::mouseClick(box.lLibrary, Qt::LeftButton);
    QCOMPARE(opener.opened,
             QList<QUrl>({QUrl(TAboutBox::GnuAddress), QUrl(TAboutBox::LibraryAddress)}));
    QTest::mouseClick(box.OKButton, Qt::LeftButton);  // OK closes
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_qtest.moc"
