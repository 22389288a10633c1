#pragma once
// The reader's pace: every spread put on show goes to the tracker, which tells the
// spreads read through (they make the reader's speed) and the reading sessions (they go
// to the statistics). The speed is kept in options.ini, the sessions in the statistics
// database. The window hidden or minimised ends a session: away from the window is not
// reading. The statistics panel shows what was read, the session running now included.

#include "reading/readingspeed.h"
#include "reading/readingtracker.h"
#include "reading/timeleft.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class BookView;
class OptionsStore;
class ReadingStatistics;
class StatisticsPanel;

class ReadingPace : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        OptionsStore &options;
        ReadingStatistics &statistics;
        StatisticsPanel &statisticsPanel;
    };
    ReadingPace(Parts parts, QWidget *window);

    // The reader's speed in characters a minute; nothing while it is not known.
    std::optional<double> charactersPerMinute() const;
    // "本章还需: 约 8 分钟\n全书还需: 约 2 小时" for the spread on show; empty while the speed
    // is not known.
    QString timeLeftLines(const std::vector<core::Chapter> &chapters) const;
    // The session running now, if any (the statistics panel counts it too).
    const std::optional<core::ReadingSession> &currentSession() const
    {
        return m_tracker.session();
    }
    // The speed test's result: it seeds the speed, and the lines its message adds.
    QString takeSpeedTest(int64_t characters, double seconds);
    // The session ends and the speed is saved (on the way out).
    void stop();
    // Whether the book is being read aloud: spreads the reading aloud turns are listened
    // to, not read, and make neither the speed nor a session.
    void setReadingAloud(std::function<bool()> readingAloud)
    {
        m_readingAloud = std::move(readingAloud);
    }

  public slots:
    // Opens the statistics panel; it fills in once the database is read.
    void showStatistics();

  signals:
    void menuCloseRequested();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void onSpreadShown();
    void endSession(const std::optional<core::ReadingSession> &session);
    void saveSpeed();
    // The reader's speed in words, and where it comes from.
    QString speedInWords() const;

    core::ReaderState &m_state;
    OptionsStore &m_options;
    ReadingStatistics &m_statistics;
    StatisticsPanel &m_statisticsPanel;
    QWidget *m_window;
    core::ReadingTracker m_tracker;
    core::SpeedRecord m_speed;
    bool m_speedChanged = false;
    std::function<bool()> m_readingAloud;
};

} // namespace tibbo::window
