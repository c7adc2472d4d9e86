#include "accessories/About.h"
#include "accessories/Version.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace quillo::accessories;

namespace {

void ClickAt(QWidget* widget, QPoint pos = QPoint(5, 5)) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

TEST(AboutBox, LayoutTextsAndFonts) {
    QMainWindow owner;
    TAboutBox box(&owner);
    EXPECT_EQ(box.windowTitle(), "バージョン情報");
    EXPECT_EQ(box.size(), QSize(241, 144));
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box.font().family(), "ＭＳ Ｐゴシック");

    const QString version = QStringLiteral(QUILLO_TEST_PROJECT_VERSION);
    const TVersion v = ParseVersion(version);
    EXPECT_EQ(box.Version->text(), QStringLiteral("バージョン %1.%2").arg(v.Major).arg(v.Minor));
    EXPECT_EQ(box.BuildNo1->text(), "Build " + version);
    EXPECT_EQ(box.ProductName->text(), "quillo");
    EXPECT_EQ(box.Label1->text(), "quillo");
    EXPECT_FALSE(box.copy->text().isEmpty());

    EXPECT_EQ(box.Panel1->geometry(), QRect(0, 1, 241, 144));
    EXPECT_EQ(box.ProgramIcon->geometry(), QRect(1, -76, 241, 218));
    EXPECT_EQ(box.ProductName->geometry(), QRect(9, 16, 162, 38));
    EXPECT_EQ(box.Label1->geometry(), QRect(7, 14, 162, 38));
    EXPECT_EQ(box.Version->geometry(), QRect(7, 45, 226, 24));
    EXPECT_EQ(box.copy->geometry(), QRect(7, 75, 218, 22));
    EXPECT_EQ(box.BuildNo1->geometry(), QRect(32, 120, 193, 12));
    EXPECT_TRUE(box.BuildNo1->alignment().testFlag(Qt::AlignRight));

    EXPECT_EQ(box.Label1->font().family(), "Arial Black");
    EXPECT_EQ(box.Label1->font().pixelSize(), 27);
    EXPECT_EQ(box.Version->font().family(), "Tahoma");
    EXPECT_EQ(box.Version->font().pixelSize(), 20);
    EXPECT_TRUE(box.Version->font().bold());
    EXPECT_TRUE(box.Version->font().italic());
    EXPECT_TRUE(box.copy->font().bold());
    EXPECT_EQ(box.BuildNo1->font().pixelSize(), 12);

    // Back to front: the shadow title lies under the clickable one.
    const QObjectList order = box.Panel1->children();
    EXPECT_LT(order.indexOf(box.ProgramIcon), order.indexOf(box.ProductName));
    EXPECT_LT(order.indexOf(box.ProductName), order.indexOf(box.Label1));
    EXPECT_EQ(box.Panel1->childAt(box.Label1->geometry().center()), box.Label1);

    EXPECT_FALSE(box.Timer1->isActive());
    EXPECT_EQ(box.Timer1->interval(), 3000);
}

TEST(AboutBox, PictureIsTheDecodedJpeg) {
    TAboutBox box(nullptr);
    const QPixmap picture = box.ProgramIcon->pixmap();
    ASSERT_EQ(picture.size(), QSize(238, 238));
    const QImage image = picture.toImage();
    int green = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            green += c.green() > 120 && c.red() < 110 && c.blue() < 110;
        }
    }
    EXPECT_GT(green, 500); // the pencil
}

TEST(AboutBox, ClicksCloseTheModalBox) {
    QMainWindow owner;
    for (int which = 0; which < 5; ++which) {
        TAboutBox box(&owner);
        QLabel* target = std::array<QLabel*, 5>{box.ProgramIcon, box.Version, box.copy, box.Label1,
                                                box.BuildNo1}[which];
        // The picture's visible part starts below the panel's top edge.
        const QPoint pos = target == box.ProgramIcon ? QPoint(200, 200) : QPoint(3, 3);
        QTimer::singleShot(0, target, [target, pos] { ClickAt(target, pos); });
        QTimer::singleShot(2000, &box, [&box] { box.reject(); }); // a guard, never reached
        EXPECT_EQ(box.exec(), QDialog::Accepted) << which;
    }
}

TEST(AboutBox, CentredOnTheOwner) {
    QMainWindow owner;
    owner.setGeometry(100, 100, 820, 465);
    TAboutBox box(&owner);
    box.show();
    EXPECT_LE((box.geometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
}

TEST(Splash, ShownWithoutWaitingAndClosedThroughAQueuedCallAfterThreeSeconds) {
    QMainWindow owner;
    auto* splash = new TAboutBox(&owner);
    bool tickFinished = false;
    bool timerStoppedFirst = false;
    int calls = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 closedAfter = 0;
    splash->StartSplash(&owner, [&] {
        ++calls;
        timerStoppedFirst = !splash->Timer1->isActive();
        closedAfter = clock.elapsed();
        splash->close();
        delete splash;
        splash = nullptr;
    });
    // Runs after the box's own tick handler: set before the queued call arrives.
    QObject::connect(splash->Timer1, &QTimer::timeout, [&] { tickFinished = calls == 0; });
    ASSERT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->Timer1->isActive());
    // A click on the splash leaves it open.
    ClickAt(splash->Label1);
    EXPECT_TRUE(splash->isVisible());

    QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000);
    EXPECT_EQ(splash, nullptr);
    EXPECT_TRUE(tickFinished);
    EXPECT_TRUE(timerStoppedFirst);
    EXPECT_GE(closedAfter, 2950);
    QTest::qWait(100);
    EXPECT_EQ(calls, 1);
}

TEST(Splash, DashQAnywhereSuppressesIt) {
    EXPECT_TRUE(SplashWanted({}));
    EXPECT_TRUE(SplashWanted({QStringLiteral("/tmp/a.txt")}));
    EXPECT_TRUE(SplashWanted({QStringLiteral("-Q"), QStringLiteral("q")}));
    EXPECT_FALSE(SplashWanted({QStringLiteral("-q")}));
    EXPECT_FALSE(SplashWanted({QStringLiteral("a.txt"), QStringLiteral("\"-q\"")}));
    EXPECT_TRUE(SplashWanted({QStringLiteral("\"-q")}));
}

} // namespace
