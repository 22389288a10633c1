#pragma once
// The reading statistics kept on a thread of their own: sessions are handed over as they
// end and written there, and what the statistics panel shows is read there and handed
// back. The page turns never wait for the database; the way out waits for what was handed
// over to be written.

#include "reading/readingstatistics.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QThread;
class QWidget;

namespace tibbo::window {

class StatisticsDatabase;

class ReadingStatistics : public QObject
{
    Q_OBJECT
  public:
    // The database at `path`, opened on its first use.
    ReadingStatistics(QString path, QWidget *window);
    ~ReadingStatistics() override;

    // Off: sessions are not kept (the application folder cannot be used).
    void setEnabled(bool on) { m_enabled = on; }
    void record(const core::ReadingSession &session);
    // Reads the sessions that end at or after `since` and every book's totals; `done`
    // runs on the window's thread with them.
    using ReadDone = std::function<void(std::vector<core::ReadingSession> recent,
                                        std::vector<core::BookTotals> books)>;
    void read(int64_t since, ReadDone done);
    // Writes what was handed over, closes the database and ends the thread (on the way
    // out); afterwards nothing more is kept.
    void finish();

  private:
    void onProblem(const QString &text);

    QWidget *m_window;
    QThread *m_thread = nullptr;
    StatisticsDatabase *m_database = nullptr;
    bool m_enabled = true;
};

} // namespace tibbo::window
