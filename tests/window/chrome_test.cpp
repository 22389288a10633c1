// The window's own chrome: dragging by the mascot, the resize grip, full screen, hiding
// and the tray icon. The offscreen platform has no notification area, which is the case
// where hiding must fall back to minimising.
#include "windowfixture.h"

#include "menupanel.h"
#include "welcomepanel.h"
#include "widgets.h"

#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

// Sends one mouse event to a picture; pos is in the picture's pixels.
void sendMouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// A left-button drag on a picture by (dx, dy) pixels of screen movement, in steps, with
// each step's position taken relative to where the picture is by then.
void drag(QWidget *picture, QPoint pressAt, QPoint by, int steps = 4)
{
    const QPoint pressGlobal = picture->mapToGlobal(pressAt);
    sendMouse(picture, QEvent::MouseButtonPress, pressAt, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i) {
        const QPoint global = pressGlobal + by * i / steps;
        sendMouse(picture, QEvent::MouseMove, picture->mapFromGlobal(global), Qt::NoButton,
                  Qt::LeftButton);
    }
    sendMouse(picture, QEvent::MouseButtonRelease, picture->mapFromGlobal(pressGlobal + by),
              Qt::LeftButton, Qt::NoButton);
}

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
    QVERIFY(core::writeFileAtomically(
        (Form1::appFolder() + QStringLiteral("/settings.ini")).toStdString(),
        core::writeSettingsFile(data)));
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage();
}

} // namespace

class ChromeTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void mascotDrag_movesWindowByPointerDistance()
    {
        auto form = startWindow(numberedBook(QStringLiteral("drag.txt"), 50, 60));
        const QPoint start = form->pos();
        const QPoint pointer = form->Image1->mapToGlobal(QPoint(10, 20));
        // 10 px from the mascot's left edge, 100 px to the right.
        drag(form->Image1, QPoint(10, 20), QPoint(100, 0));
        QCOMPARE(form->pos(), start + QPoint(100, 0));
        QCOMPARE(form->state().normalLeft, (start.x() + 100) * 15.0);
        QCOMPARE(form->state().normalTop, start.y() * 15.0);
        // The pointer is still 10 px from the mascot's left edge.
        QCOMPARE(form->Image1->mapFromGlobal(pointer + QPoint(100, 0)), QPoint(10, 20));
        drag(form->Image1, QPoint(10, 20), QPoint(-30, 45));
        QCOMPARE(form->pos(), start + QPoint(70, 45));
        QCOMPARE(form->state().normalTop, (start.y() + 45) * 15.0);
        QCOMPARE(form->size(), QSize(794, 488));
    }

    void mascotDrag_handlersInTwips()
    {
        auto form = startWindow();
        const QPoint start = form->pos();
        form->Image1_MouseDown(Qt::LeftButton, QPointF(150, 300));
        // The pointer 1500 twips (100 px) right and 150 twips down of the grab point.
        form->Image1_MouseMove(Qt::LeftButton, QPointF(1650, 450));
        QCOMPARE(form->pos(), start + QPoint(100, 10));
        // Moves without the left button are hovering, not dragging.
        form->Image1_MouseMove(Qt::RightButton, QPointF(3000, 300));
        form->Image1_MouseMove(Qt::NoButton, QPointF(3000, 300));
        QCOMPARE(form->pos(), start + QPoint(100, 10));
    }

    void grip_followsPointerAndStopsAtMinimum()
    {
        auto form = startWindow(numberedBook(QStringLiteral("grip.txt"), 200, 60));
        const QSize start = form->size();
        const int64_t linesBefore = form->state().lineCount();
        drag(form->Image18, QPoint(16, 16), QPoint(60, 40));
        QCOMPARE(form->size(), start + QSize(60, 40));
        QCOMPARE(form->state().normalWidth, (start.width() + 60) * 15.0);
        QCOMPARE(form->state().normalHeight, (start.height() + 40) * 15.0);
        // Far inwards: held at 447 x 306 pixels, and that is the stored normal size.
        drag(form->Image18, QPoint(16, 16), QPoint(-2000, -2000));
        QCOMPARE(form->size(), QSize(447, 306));
        QCOMPARE(form->state().normalWidth, 6705.0);
        QCOMPARE(form->state().normalHeight, 4590.0);
        // The release re-flowed the book for the small window.
        QVERIFY(form->state().lineCount() > linesBefore);
        QCOMPARE(form->state().lineEnds[1], form->state().charsPerLine);
        QCOMPARE(form->Image18->pos(), QPoint(447 - 32 + 8, 306 - 32 - 24));
    }

    void fullScreenAndBack_restoresNormalGeometry()
    {
        auto form = startWindow(numberedBook(QStringLiteral("full.txt"), 100, 60));
        drag(form->Image1, QPoint(10, 20), QPoint(-40, -30));
        drag(form->Image18, QPoint(16, 16), QPoint(-100, -50));
        const QRect normal = form->geometry();
        QTest::mouseClick(form->Image4, Qt::RightButton, {}, QPoint(50, 50));
        QCOMPARE(form->Label5[6]->caption(), QStringLiteral("放大到全屏幕"));

        QTest::mouseClick(form->Label5[6], Qt::LeftButton);
        QCOMPARE(form->Label5[6]->caption(), QStringLiteral("恢复到一般大小"));
        QVERIFY(form->isFullScreenCaption());
        QVERIFY(form->windowState() & Qt::WindowFullScreen);
        QVERIFY(!form->state().menuShown);
        // Full screen: the mascot does not drag, the grip neither resizes nor re-flows.
        const QRect full = form->geometry();
        drag(form->Image1, QPoint(10, 20), QPoint(50, 50));
        form->Label2->setText(QStringLiteral("unchanged"));
        drag(form->Image18, QPoint(16, 16), QPoint(-50, -50));
        QCOMPARE(form->geometry(), full);
        QCOMPARE(form->Label2->text(), QStringLiteral("unchanged"));
        QCOMPARE(form->state().normalWidth, normal.width() * 15.0);

        form->ShowMenu();
        QTest::mouseClick(form->Picture1->Image14, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(form->Label5[6]->caption(), QStringLiteral("放大到全屏幕"));
        QVERIFY(!(form->windowState() & Qt::WindowFullScreen));
        QCOMPARE(form->geometry(), normal);
        QVERIFY(!form->state().menuShown);
        QCOMPARE(form->Label2->text(), QStringLiteral("第1页"));
    }

    void savedFullScreen_leavesToGeometryFromFile()
    {
        writeSettings(2, 1500, 1200, 9000, 6000);
        auto form = startWindow();
        QCOMPARE(form->Label5[6]->caption(), QStringLiteral("恢复到一般大小"));
        QVERIFY(form->windowState() & Qt::WindowFullScreen);
        form->Image14_Click();
        QCOMPARE(form->geometry(), QRect(100, 80, 600, 400));
    }

    void savedMinimised_withoutNotificationArea_startsMinimisedNotHidden()
    {
        writeSettings(1, 1500, 1200, 9000, 6000);
        auto form = startWindow();
        QVERIFY(form->isMinimized());
        QVERIFY(form->isVisible());
        QCOMPARE(form->Label5[6]->caption(), QStringLiteral("放大到全屏幕"));
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
        auto form =
            firstStart ? startWindow() : startWindow(numberedBook(QStringLiteral("r.txt"), 50, 60));
        form->createTrayIcon();
        // A first start stays in welcome mode until the start button; this row is not one.
        form->state().welcomeMode = firstStart;
        QCOMPARE(form->Picture3->isVisible(), firstStart);
        if (openMenu && !firstStart)
            QTest::mouseClick(form->Image4, Qt::RightButton, {}, QPoint(50, 50));
        QCOMPARE(form->state().menuShown, openMenu);
        // Below the bubble: its panels cover the mascot's top left corner.
        QTest::mouseClick(form->Image1, Qt::RightButton, {}, QPoint(30, 40));
        if (closesMenuOnly) {
            QVERIFY(!form->state().menuShown);
            QVERIFY(!form->isMinimized());
        } else {
            // No notification area here: minimised, never hidden out of reach, also
            // after the layout pass that runs for the minimised window.
            QVERIFY(form->isMinimized());
            form->Form_Resize();
            QVERIFY(form->isVisible());
            QVERIFY(form->isMinimized());
        }
        QVERIFY(form->isVisible());
    }

    void trayIcon_showsWindowAndOffersMenu()
    {
        auto form = startWindow(numberedBook(QStringLiteral("tray.txt"), 50, 60));
        form->createTrayIcon();
        form->createTrayIcon();
        QVERIFY(form->TrayIcon1);
        QCOMPARE(form->findChildren<QSystemTrayIcon *>().size(), 1);
        QVERIFY(form->TrayIcon1->isVisible());
        const QString tip = form->TrayIcon1->toolTip();
        QVERIFY(tip.startsWith(QStringLiteral("TibboRead (")));
        QVERIFY(tip.endsWith(QLatin1Char(')')));

        emit form->TrayIcon1->activated(QSystemTrayIcon::Context);
        QCOMPARE(Dialogs::lastPopup(), form->Mnapp);

        form->showMinimized();
        emit form->TrayIcon1->activated(QSystemTrayIcon::Trigger);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
        form->hide();
        emit form->TrayIcon1->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(form->isVisible());

        // Showing keeps full screen as it was.
        form->Image14_Click();
        form->hide();
        emit form->TrayIcon1->activated(QSystemTrayIcon::Trigger);
        QVERIFY(form->isVisible());
        QVERIFY(form->windowState() & Qt::WindowFullScreen);
    }

    void trayIcon_flashesBetweenTwoPictures()
    {
        auto form = startWindow();
        form->createTrayIcon();
        QVERIFY(form->trayFlash.isActive());
        QCOMPARE(form->trayFlash.interval(), 1000);
        const QImage first = iconImage(form->TrayIcon1->icon());
        QTRY_VERIFY_WITH_TIMEOUT(iconImage(form->TrayIcon1->icon()) != first, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(iconImage(form->TrayIcon1->icon()) == first, 3000);
    }
};

QTEST_MAIN(ChromeTest)
#include "chrome_test.moc"
