#pragma once
// Automatic page turning and the reading-speed test. Both count seconds with a timer of
// their own and share the seconds counter of the state; the test does not stop the
// turning. The window shows the spreads and the captions they ask for.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

class QWidget;

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class ReaderMenus;

class ReadingModes : public QObject
{
    Q_OBJECT
  public:
    ReadingModes(core::ReaderState &state, ReaderMenus &menus, QWidget *window);

    bool autoTurning() const { return m_autoTurnTimer.isActive(); }
    // Switching a running timer on again keeps its period: a second that is half counted
    // stays half counted.
    void setAutoTurning(bool on);
    bool speedTestRunning() const { return m_speedTestTimer.isActive(); }
    // Ends both timers (on exit).
    void stopAll();
    // What the speed test's message says under "你看一页需要 N秒", from the characters of
    // the spread the test was made on and the seconds counted; it also takes the result.
    using SpeedTestReport = std::function<QString(int64_t characters, double seconds)>;
    void setSpeedTestReport(SpeedTestReport report) { m_speedTestReport = std::move(report); }
    // Switches automatic turning off and calls a running speed test off without taking
    // its count (reading aloud has started).
    void stopForReadingAloud();

  public slots:
    // The menu item switches by its own check mark, the caption by the timer. After a
    // switch by the caption the two can disagree, and the next menu command then repeats
    // the state the timer already has.
    void switchByMenu();
    // The picture switches as the menu item does, except while the speed test runs.
    void switchByPicture();
    // The caption switches by the timer; the menu's check mark is left as it is.
    void switchByCaption() { setAutoTurning(!autoTurning()); }
    // Starts the test, or stops it and reports. The test does not stop automatic turning;
    // only the menu's ways of switching it are disabled while the test runs.
    void switchSpeedTest();

  signals:
    void spreadTurned();
    // Two seconds after each turn the menu panel closes, and the prompt with it.
    void menuCloseDue();
    void autoTurnCaptionChanged(const QString &caption);
    // Automatic turning went on or off; the speed test started.
    void autoTurningChanged(bool on);
    void speedTestStarted();

  private:
    void onAutoTurnTick();
    void startSpeedTest();
    // Stops the test and gives its report.
    QString stopSpeedTest();

    core::ReaderState &m_state;
    ReaderMenus &m_menus;
    QWidget *m_window;
    QTimer m_autoTurnTimer;
    QTimer m_speedTestTimer;
    // The check mark of the menu's item, which only the menu switches.
    bool m_autoTurnChecked = false;
    // The characters of the spread on show when the speed test started.
    int64_t m_speedTestCharacters = 0;
    SpeedTestReport m_speedTestReport;
};

} // namespace tibbo::window
