// The window's own chrome: dragging by the mascot, the resize grip, full screen, hiding
// and the tray icon. The offscreen platform has no notification area, which is the case
// where hiding must fall back to minimising.
#include "windowfixture.h"

#include "referencesession.h"

#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QSystemTrayIcon>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

void writeSettings(int windowState, double left, double top, double width, double height)
{
    core::SettingsData data;
    data.windowState = windowState;
    data.normalLeft = left;
    data.normalTop = top;
    data.normalWidth = width;
    data.normalHeight = height;
    data.recent = std::vector<std::string>(5, "\\none");
    data.paragraphText = U"　　一段文字^";
    data.font.name = "DejaVu Sans";
    QVERIFY(core::writeFileAtomically(settingsPath().toStdString(),
                                      core::test::writeSettingsFile(data)));
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage();
}

// Full screen on or off by the menu's full-screen picture.
void switchFullScreen(ReaderWindow &w)
{
    openMenu(&w);
    QTest::mouseClick(part(&w, "fullScreenPicture"), Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace

class ChromeTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void mascotDrag_movesWindowByPointerDistance()
    {
        auto w = startWindow(numberedBook(QStringLiteral("drag.txt"), 50, 60));
        QWidget *mascot = part(w.get(), "mascot");
        const QPoint start = w->pos();
        const QPoint pointer = mascot->mapToGlobal(QPoint(10, 20));
        // 10 px from the mascot's left edge, 100 px to the right.
        drag(mascot, QPoint(10, 20), QPoint(100, 0));
        QCOMPARE(w->pos(), start + QPoint(100, 0));
        QCOMPARE(w->state().normalLeft, (start.x() + 100) * 15.0);
        QCOMPARE(w->state().normalTop, start.y() * 15.0);
        // The pointer is still 10 px from the mascot's left edge.
        QCOMPARE(mascot->mapFromGlobal(pointer + QPoint(100, 0)), QPoint(10, 20));
        drag(mascot, QPoint(10, 20), QPoint(-30, 45));
        QCOMPARE(w->pos(), start + QPoint(70, 45));
        QCOMPARE(w->state().normalTop, (start.y() + 45) * 15.0);
        QCOMPARE(w->size(), QSize(794, 488));
    }

    void mascotMove_dragsOnlyWithLeftButton()
    {
        auto w = startWindow();
        QWidget *mascot = part(w.get(), "mascot");
        const QPoint start = w->pos();
        sendMouse(mascot, QEvent::MouseButtonPress, QPoint(10, 20), Qt::LeftButton, Qt::LeftButton);
        // The pointer 100 px right and 10 px down of the grab point.
        sendMouse(mascot, QEvent::MouseMove, QPoint(110, 30), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(w->pos(), start + QPoint(100, 10));
        // Moves without the left button are hovering, not dragging.
        sendMouse(mascot, QEvent::MouseMove, QPoint(200, 20), Qt::NoButton, Qt::RightButton);
        sendMouse(mascot, QEvent::MouseMove, QPoint(200, 20), Qt::NoButton, Qt::NoButton);
        QCOMPARE(w->pos(), start + QPoint(100, 10));
    }

    void grip_followsPointerAndStopsAtMinimum()
    {
        auto w = startWindow(numberedBook(QStringLiteral("grip.txt"), 200, 60));
        QWidget *grip = part(w.get(), "grip");
        const QSize start = w->size();
        const int64_t linesBefore = w->state().lineCount();
        drag(grip, QPoint(16, 16), QPoint(60, 40));
        QCOMPARE(w->size(), start + QSize(60, 40));
        QCOMPARE(w->state().normalWidth, (start.width() + 60) * 15.0);
        QCOMPARE(w->state().normalHeight, (start.height() + 40) * 15.0);
        // Far inwards: held at 447 x 306 pixels, and that is the stored normal size.
        drag(grip, QPoint(16, 16), QPoint(-2000, -2000));
        QCOMPARE(w->size(), QSize(447, 306));
        QCOMPARE(w->state().normalWidth, 6705.0);
        QCOMPARE(w->state().normalHeight, 4590.0);
        // The release re-flowed the book for the small window.
        QTRY_VERIFY(w->isIdle());
        QVERIFY(w->state().lineCount() > linesBefore);
        QCOMPARE(w->state().lineEnds[1], w->state().charsPerLine);
        QCOMPARE(grip->pos(), QPoint(447 - 32 + 8, 306 - 32 - 24));
    }

    void fullScreenAndBack_restoresNormalGeometry()
    {
        auto w = startWindow(numberedBook(QStringLiteral("full.txt"), 100, 60));
        QWidget *mascot = part(w.get(), "mascot");
        QWidget *grip = part(w.get(), "grip");
        auto *pageNumber = part<QLabel>(w.get(), "leftPageNumber");
        // Smaller and moved, still wholly on the screen: the way back puts it there exactly.
        drag(grip, QPoint(16, 16), QPoint(-100, -50));
        drag(mascot, QPoint(10, 20), QPoint(40, 30));
        QTRY_VERIFY(w->isIdle());
        const QRect normal = w->geometry();
        QVERIFY(w->screen()->availableGeometry().contains(normal));
        openMenu(w.get());
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("放大到全屏幕"));

        QTest::mouseClick(part(w.get(), "fullScreenCaption"), Qt::LeftButton);
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("恢复到一般大小"));
        // The window system reports the new state through the event loop.
        QTRY_VERIFY(w->windowState() & Qt::WindowFullScreen);
        QTRY_VERIFY(w->isIdle());
        QVERIFY(!w->state().menuShown);
        // Full screen: the mascot does not drag, the grip neither resizes nor re-flows.
        const QRect full = w->geometry();
        drag(mascot, QPoint(10, 20), QPoint(50, 50));
        pageNumber->setText(QStringLiteral("unchanged"));
        drag(grip, QPoint(16, 16), QPoint(-50, -50));
        QCOMPARE(w->geometry(), full);
        QCOMPARE(pageNumber->text(), QStringLiteral("unchanged"));
        QCOMPARE(w->state().normalWidth, normal.width() * 15.0);

        switchFullScreen(*w);
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("放大到全屏幕"));
        QVERIFY(!(w->windowState() & Qt::WindowFullScreen));
        QCOMPARE(w->geometry(), normal);
        QTRY_VERIFY(w->isIdle());
        QVERIFY(!w->state().menuShown);
        QCOMPARE(pageNumber->text(), QStringLiteral("第1页"));
    }

    void savedFullScreen_leavesToGeometryFromFile()
    {
        writeSettings(2, 1500, 1200, 9000, 6000);
        auto w = startWindow();
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("恢复到一般大小"));
        QVERIFY(w->windowState() & Qt::WindowFullScreen);
        switchFullScreen(*w);
        QCOMPARE(w->geometry(), QRect(100, 80, 600, 400));
    }

    void savedMinimised_withoutNotificationArea_startsMinimisedNotHidden()
    {
        writeSettings(1, 1500, 1200, 9000, 6000);
        auto w = startWindow();
        QVERIFY(w->isMinimized());
        QVERIFY(w->isVisible());
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("放大到全屏幕"));
    }

    void mascotRightClick_closesMenuOrHides_data()
    {
        QTest::addColumn<bool>("firstStart");
        QTest::addColumn<bool>("openMenu");
        QTest::addColumn<bool>("closesMenuOnly");
        QTest::newRow("menu open: closes it") << false << true << true;
        QTest::newRow("menu closed: hides") << false << false << false;
        // The welcome panel belongs to the open menu; the click still hides the window.
        QTest::newRow("welcome panel up: hides") << true << true << false;
    }

    void mascotRightClick_closesMenuOrHides()
    {
        QFETCH(bool, firstStart);
        QFETCH(bool, openMenu);
        QFETCH(bool, closesMenuOnly);
        auto w =
            firstStart ? startWindow() : startWindow(numberedBook(QStringLiteral("r.txt"), 50, 60));
        QCOMPARE(part(w.get(), "welcomePanel")->isVisible(), firstStart);
        if (openMenu && !firstStart)
            test::openMenu(w.get());
        QCOMPARE(w->state().menuShown, openMenu);
        // Below the bubble: its panels cover the mascot's top left corner.
        QTest::mouseClick(part(w.get(), "mascot"), Qt::RightButton, {}, QPoint(30, 40));
        if (closesMenuOnly) {
            QVERIFY(!w->state().menuShown);
            QVERIFY(!w->isMinimized());
        } else {
            // No notification area here: minimised, never hidden out of reach, also
            // after the layout pass that runs for the minimised window.
            QVERIFY(w->isMinimized());
            QResizeEvent resize(w->size(), w->size());
            QCoreApplication::sendEvent(w.get(), &resize);
            QVERIFY(w->isVisible());
            QVERIFY(w->isMinimized());
        }
        QVERIFY(w->isVisible());
    }

    void trayIcon_showsWindowAndOffersMenu()
    {
        auto w = startWindow(numberedBook(QStringLiteral("tray.txt"), 50, 60));
        auto *tray = part<QSystemTrayIcon>(w.get(), "trayIcon");
        QCOMPARE(w->findChildren<QSystemTrayIcon *>().size(), 1);
        QVERIFY(tray->isVisible());
        const QString tip = tray->toolTip();
        QVERIFY(tip.startsWith(QStringLiteral("TibboRead (")));
        QVERIFY(tip.endsWith(QLatin1Char(')')));

        emit tray->activated(QSystemTrayIcon::Context);
        QCOMPARE(Dialogs::lastPopup(), part<QMenu>(w.get(), "trayMenu"));

        w->showMinimized();
        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(w->isVisible());
        QVERIFY(!w->isMinimized());
        w->hide();
        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(w->isVisible());

        // Showing keeps full screen as it was.
        switchFullScreen(*w);
        w->hide();
        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(w->isVisible());
        QTRY_VERIFY(w->windowState() & Qt::WindowFullScreen);
    }

    void trayIcon_flashesBetweenTwoPictures()
    {
        auto w = startWindow();
        auto *tray = part<QSystemTrayIcon>(w.get(), "trayIcon");
        const QImage first = iconImage(tray->icon());
        QTRY_VERIFY_WITH_TIMEOUT(iconImage(tray->icon()) != first, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(iconImage(tray->icon()) == first, 3000);
    }

    // A saved place partly above the screen put the first line, the page numbers and
    // the mascot out of reach; a window larger than the screen could not be moved back.
    void savedPlacePartlyOffScreen_isPlacedWhollyInside_data()
    {
        QTest::addColumn<QRect>("savedTwips");
        QTest::newRow("above the screen") << QRect(1500, -570, 11910, 7320);
        QTest::newRow("past the right edge") << QRect(9000, 1500, 11910, 7320);
        QTest::newRow("larger than the screen") << QRect(0, 0, 30000, 30000);
    }

    void savedPlacePartlyOffScreen_isPlacedWhollyInside()
    {
        QFETCH(QRect, savedTwips);
        writeSettings(0, savedTwips.x(), savedTwips.y(), savedTwips.width(), savedTwips.height());
        auto w = startWindow();
        const QRect area = w->screen()->availableGeometry();
        QVERIFY2(area.contains(w->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                              .arg(w->x())
                                                              .arg(w->y())
                                                              .arg(w->width())
                                                              .arg(w->height())));
        QCOMPARE(w->state().normalLeft, w->x() * 15.0);
        QCOMPARE(w->state().normalHeight, w->height() * 15.0);
    }
};

QTEST_MAIN(ChromeTest)
#include "chrome_test.moc"
