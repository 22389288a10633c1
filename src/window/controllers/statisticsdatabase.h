#pragma once
// The reading sessions in a SQLite database (statistics.db in the application folder),
// through QtSql's SQLite driver. This object lives on the statistics thread
// (ReadingStatistics owns both) and is only ever called there; the page turns never wait
// for it.
//
// The database is opened on its first use. One that cannot be opened or written (locked by
// another program for longer than the busy timeout), or that fails SQLite's quick check,
// is set aside under a new name, never removed, and a new one is started; the reader is
// told once which file was set aside.

#include "reading/readingstatistics.h"

#include <QObject>
#include <QString>

#include <vector>

namespace tibbo::window {

class StatisticsDatabase : public QObject
{
    Q_OBJECT
  public:
    // How long a write waits for another program's lock before the database is set aside.
    static constexpr int kBusyTimeoutMilliseconds = 1500;

    explicit StatisticsDatabase(QString path);
    ~StatisticsDatabase() override;

    void record(const core::ReadingSession &session);

    struct Contents
    {
        // Sessions ending at or after `since`.
        std::vector<core::ReadingSession> recent;
        // Every book's totals by its path.
        std::vector<core::BookTotals> books;
    };
    Contents read(int64_t since);

    // Closes the database (it is opened again when needed).
    void close();

  signals:
    // Something the reader must be told: a database set aside, or statistics not kept.
    void problem(const QString &text);

  private:
    // Opens the database when it is not open yet; a failure sets it aside and starts a new
    // one. False when even that failed: nothing is kept this run.
    bool ensureOpen();
    bool open();
    // Moves the database and its journal aside; the name it now has, empty on failure.
    QString setAside();

    QString m_path;
    QString m_connection;
    bool m_open = false;
    bool m_givenUp = false;
};

} // namespace tibbo::window
