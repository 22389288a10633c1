#include "readingmodes.h"

#include "dialogs.h"
#include "qtext.h"
#include "readermenus.h"

#include "navigation/readingmodes.h"
#include "state/readerstate.h"

#include <QWidget>

namespace tibbo::window {

ReadingModes::ReadingModes(core::ReaderState &state, ReaderMenus &menus, QWidget *window)
    : QObject(window), m_state(state), m_menus(menus), m_window(window)
{
    m_autoTurnTimer.setParent(this);
    m_autoTurnTimer.setObjectName(QStringLiteral("autoTurnTimer"));
    m_speedTestTimer.setParent(this);
    m_speedTestTimer.setObjectName(QStringLiteral("speedTestTimer"));
    m_autoTurnTimer.setInterval(1000);
    m_speedTestTimer.setInterval(1000);
    connect(&m_autoTurnTimer, &QTimer::timeout, this, &ReadingModes::onAutoTurnTick);
    connect(&m_speedTestTimer, &QTimer::timeout, this, [this] { core::speedTestTick(m_state); });
}

void ReadingModes::setAutoTurning(bool on)
{
    if (!on)
        m_autoTurnTimer.stop();
    else if (!m_autoTurnTimer.isActive())
        m_autoTurnTimer.start();
    emit autoTurnCaptionChanged(qs(core::autoTurnCaption(on, m_state.autoTurnSeconds)));
    emit autoTurningChanged(on);
}

void ReadingModes::stopForReadingAloud()
{
    if (m_autoTurnChecked) {
        m_autoTurnChecked = false;
        m_menus.setAutoTurnChecked(false);
    }
    if (autoTurning())
        setAutoTurning(false);
    if (speedTestRunning()) {
        m_speedTestTimer.stop();
        m_menus.setSpeedTestCaption(qs(core::kSpeedTestStartCaption));
        m_menus.setAutoTurnEnabled(true);
    }
}

void ReadingModes::onAutoTurnTick()
{
    const core::AutoTurnTick tick = core::autoTurnTick(m_state);
    if (tick.turned)
        emit spreadTurned();
    if (tick.closeMenu)
        emit menuCloseDue();
}

void ReadingModes::startSpeedTest()
{
    core::startSpeedTest(m_state);
    m_speedTestCharacters = m_state.spreadCharCount;
    if (!m_speedTestTimer.isActive())
        m_speedTestTimer.start();
}

QString ReadingModes::stopSpeedTest()
{
    m_speedTestTimer.stop();
    QString report = qs(core::stopSpeedTest(m_state));
    if (m_speedTestReport) {
        const QString more = m_speedTestReport(m_speedTestCharacters, m_state.autoTurnSeconds);
        if (!more.isEmpty())
            report += QLatin1Char('\n') + more;
    }
    return report;
}

void ReadingModes::stopAll()
{
    m_autoTurnTimer.stop();
    m_speedTestTimer.stop();
    emit autoTurningChanged(false);
}

void ReadingModes::switchByMenu()
{
    m_autoTurnChecked = !m_autoTurnChecked;
    m_menus.setAutoTurnChecked(m_autoTurnChecked);
    setAutoTurning(m_autoTurnChecked);
}

void ReadingModes::switchByPicture()
{
    if (!speedTestRunning())
        switchByMenu();
}

void ReadingModes::switchSpeedTest()
{
    if (!speedTestRunning()) {
        m_menus.setSpeedTestCaption(qs(core::kSpeedTestStopCaption));
        m_menus.setAutoTurnEnabled(false);
        startSpeedTest();
        emit speedTestStarted();
        return;
    }
    m_menus.setSpeedTestCaption(qs(core::kSpeedTestStartCaption));
    m_menus.setAutoTurnEnabled(true);
    Dialogs::message(m_window, stopSpeedTest());
}

} // namespace tibbo::window
