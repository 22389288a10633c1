#include "statisticsdatabase.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace tibbo::window {

namespace {

// A connection name of its own for every database object, so that tests may hold one of
// their own on the same file.
QString newConnectionName()
{
    static std::atomic<int> count{0};
    return QStringLiteral("tibbo-statistics-%1").arg(++count);
}

// What a row must be to count: the database is a file other programs (and hands) may
// write, so every field is checked where it is read. A row that is not a sane session (no
// book, a number stored as text, an end before its start, a session longer than a day,
// characters below zero) is passed over, in the totals of a book too.
const char *const kSoundRows =
    "typeof(book) = 'text' AND book <> '' AND typeof(start) = 'integer' AND "
    "typeof(end) = 'integer' AND typeof(characters) = 'integer' AND start >= 0 AND "
    "end >= start AND end - start <= 86400000 AND characters >= 0";

} // namespace

StatisticsDatabase::StatisticsDatabase(QString path)
    : m_path(std::move(path)), m_connection(newConnectionName())
{
}

StatisticsDatabase::~StatisticsDatabase()
{
    close();
}

bool StatisticsDatabase::open()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(m_path);
        db.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMilliseconds));
        if (db.open()) {
            QSqlQuery query(db);
            // A file that is not a database, or a damaged one, fails here; so does one that
            // another program keeps locked.
            m_open = query.exec(QStringLiteral("PRAGMA quick_check")) && query.next() &&
                     query.value(0).toString() == QLatin1String("ok");
            query.finish();
            m_open = m_open &&
                     query.exec(QStringLiteral(
                         "CREATE TABLE IF NOT EXISTS sessions (id INTEGER PRIMARY KEY, "
                         "book TEXT NOT NULL, start INTEGER NOT NULL, end INTEGER NOT NULL, "
                         "characters INTEGER NOT NULL)")) &&
                     query.exec(QStringLiteral(
                         "CREATE INDEX IF NOT EXISTS sessions_by_end ON sessions (end)"));
        }
    }
    if (!m_open)
        close();
    return m_open;
}

void StatisticsDatabase::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

QString StatisticsDatabase::setAside()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (QFileInfo::exists(m_path) && !QFile::rename(m_path, aside))
        return QString();
    // A journal left beside it belongs to it.
    const QString journal = m_path + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        QFile::rename(journal, aside + QStringLiteral("-journal"));
    return aside;
}

bool StatisticsDatabase::ensureOpen()
{
    if (m_open)
        return true;
    if (m_givenUp)
        return false;
    if (open())
        return true;
    const QString aside = setAside();
    if (!aside.isEmpty() && open()) {
        emit problem(QStringLiteral("阅读统计的数据库打不开或者坏了,已经把它改名为 %1 "
                                    "放在一边,从现在起重新记录.")
                         .arg(QFileInfo(aside).fileName()));
        return true;
    }
    m_givenUp = true;
    emit problem(QStringLiteral("阅读统计的数据库 %1 打不开,这一次不记阅读统计了.")
                     .arg(QFileInfo(m_path).fileName()));
    return false;
}

void StatisticsDatabase::record(const core::ReadingSession &session)
{
    // A write that fails (the database locked meanwhile, or found damaged) is made once
    // more in a new database.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return;
        bool written = false;
        {
            QSqlQuery query(QSqlDatabase::database(m_connection, false));
            query.prepare(QStringLiteral(
                "INSERT INTO sessions (book, start, end, characters) VALUES (?, ?, ?, ?)"));
            query.addBindValue(QString::fromStdString(session.book));
            query.addBindValue(static_cast<qlonglong>(session.start));
            query.addBindValue(static_cast<qlonglong>(session.end));
            query.addBindValue(static_cast<qlonglong>(session.characters));
            written = query.exec();
        }
        if (written)
            return;
        close();
        const QString aside = setAside();
        if (aside.isEmpty()) {
            m_givenUp = true;
            emit problem(QStringLiteral("阅读统计的数据库 %1 写不进去,这一次不记阅读统计了.")
                             .arg(QFileInfo(m_path).fileName()));
            return;
        }
        emit problem(QStringLiteral("阅读统计的数据库写不进去,已经把它改名为 %1 放在一边,"
                                    "从现在起重新记录.")
                         .arg(QFileInfo(aside).fileName()));
    }
}

StatisticsDatabase::Contents StatisticsDatabase::read(int64_t since)
{
    Contents contents;
    if (!ensureOpen())
        return contents;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT book, start, end, characters FROM sessions WHERE ") +
                  QLatin1String(kSoundRows) + QStringLiteral(" AND end >= ? ORDER BY start"));
    query.addBindValue(static_cast<qlonglong>(since));
    const auto number = [&query](int column, bool &ok) {
        bool read = false;
        const qlonglong value = query.value(column).toLongLong(&read);
        ok = ok && read;
        return static_cast<int64_t>(value);
    };
    if (query.exec()) {
        while (query.next()) {
            bool ok = true;
            core::ReadingSession session{query.value(0).toString().toStdString(), number(1, ok),
                                         number(2, ok), number(3, ok)};
            if (ok)
                contents.recent.push_back(std::move(session));
        }
    }
    if (query.exec(QStringLiteral("SELECT book, SUM(end - start), SUM(characters), MAX(end) "
                                  "FROM sessions WHERE ") +
                   QLatin1String(kSoundRows) + QStringLiteral(" GROUP BY book"))) {
        while (query.next()) {
            bool ok = true;
            core::BookTotals book{query.value(0).toString().toStdString(),
                                  {number(1, ok), number(2, ok)},
                                  number(3, ok)};
            if (ok)
                contents.books.push_back(std::move(book));
        }
    }
    return contents;
}

} // namespace tibbo::window
