#include "readingstatistics.h"

#include "dialogs.h"
#include "statisticsdatabase.h"

#include <QThread>
#include <QWidget>

namespace tibbo::window {

ReadingStatistics::ReadingStatistics(QString path, QWidget *window)
    : QObject(window), m_window(window)
{
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("statisticsThread"));
    m_database = new StatisticsDatabase(std::move(path));
    m_database->moveToThread(m_thread);
    connect(m_database, &StatisticsDatabase::problem, this, &ReadingStatistics::onProblem);
    m_thread->start();
}

ReadingStatistics::~ReadingStatistics()
{
    finish();
}

void ReadingStatistics::record(const core::ReadingSession &session)
{
    if (!m_enabled || !m_database)
        return;
    StatisticsDatabase *database = m_database;
    QMetaObject::invokeMethod(database, [database, session] { database->record(session); });
}

void ReadingStatistics::read(int64_t since, ReadDone done)
{
    if (!m_enabled || !m_database) {
        done({}, {});
        return;
    }
    StatisticsDatabase *database = m_database;
    QMetaObject::invokeMethod(database, [this, database, since, done = std::move(done)] {
        auto contents = database->read(since);
        // Back on the window's thread; dropped if this object is gone by then.
        QMetaObject::invokeMethod(this, [done, contents = std::move(contents)]() mutable {
            done(std::move(contents.recent), std::move(contents.books));
        });
    });
}

void ReadingStatistics::finish()
{
    if (!m_database)
        return;
    StatisticsDatabase *database = m_database;
    m_database = nullptr;
    // After everything handed over before it: the database closes, goes, and the thread
    // ends.
    QMetaObject::invokeMethod(database, [database] {
        delete database;
        QThread::currentThread()->quit();
    });
    m_thread->wait();
}

void ReadingStatistics::onProblem(const QString &text)
{
    Dialogs::message(m_window, text);
}

} // namespace tibbo::window
