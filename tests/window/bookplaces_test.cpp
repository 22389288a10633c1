// The place in every book: a book opened again, from the recent list or after a restart,
// shows the spread that holds the character the reader left it at, whatever the font
// and window size have become meanwhile.
#include "windowfixture.h"

#include "bookplaces.h"
#include "sessionfiles.h"

#include <QSettings>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

// The first character of the spread on show.
int64_t spreadStart(const ReaderWindow &w)
{
    const auto &s = w.state();
    return s.lineEnds[static_cast<size_t>(s.topLine - 1)];
}

// The spread on show holds character `offset` of the text.
bool spreadHolds(const ReaderWindow &w, int64_t offset)
{
    const auto &s = w.state();
    const int64_t spreadEnd = std::min(s.topLine - 1 + 2 * s.linesPerPage, s.lineCount());
    return s.lineEnds[static_cast<size_t>(s.topLine - 1)] <= offset &&
           offset < s.lineEnds[static_cast<size_t>(spreadEnd)];
}

void chooseFontSize(ReaderWindow &w, const char *size)
{
    QAction *item = menuItem(&w, "fontSizeMenu", QString::fromLatin1(size));
    QVERIFY(item);
    item->trigger();
    QTRY_VERIFY(w.isIdle());
}

void turnForward(ReaderWindow &w, int spreads)
{
    for (int i = 0; i < spreads; ++i)
        QTest::keyClick(&w, Qt::Key_PageDown);
}

QString htmlBook(const QString &name, int paragraphs)
{
    QString html = QStringLiteral("<html><body>\n");
    for (int i = 0; i < paragraphs; ++i)
        html += QStringLiteral("<p>第%1段").arg(i) + QString(60, QChar(0x6587 + i % 20)) +
                QStringLiteral("</p>\n");
    return writeBook(name, html + QStringLiteral("</body></html>\n"));
}

} // namespace

class BookPlacesTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void reopenFromRecentList_showsLeftSpreadAfterFontChanges_data()
    {
        QTest::addColumn<QString>("book");
        QTest::newRow("plain text") << numberedBook(QStringLiteral("place-plain.txt"), 600, 60);
        // An HTML book is parsed in slices: the place waits for the text that holds it.
        QTest::newRow("html") << htmlBook(QStringLiteral("place-html.html"), 600);
    }

    void reopenFromRecentList_showsLeftSpreadAfterFontChanges()
    {
        QFETCH(QString, book);
        const QString other = numberedBook(QStringLiteral("place-other.txt"), 300, 50);
        auto w = startWindow(book);
        Dialogs::takeMessages();
        turnForward(*w, 6);
        const int64_t readAt = spreadStart(*w);
        QVERIFY(readAt > 0);
        // A font change keeps the reader at that character, on a spread that starts
        // elsewhere: the place left is the first character of the new spread.
        chooseFontSize(*w, "16");
        QVERIFY(spreadHolds(*w, readAt));
        const int64_t leftAt = spreadStart(*w);

        w->openBook(other);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(QString::fromStdString(w->state().bookPath), other);
        QCOMPARE(w->state().topLine, 1);
        chooseFontSize(*w, "10");

        QAction *recent = menuItem(w.get(), "recentMenu", QFileInfo(book).fileName());
        QVERIFY(recent);
        recent->trigger();
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(QString::fromStdString(w->state().bookPath), book);
        QVERIFY(w->state().topLine > 1);
        QVERIFY2(spreadHolds(*w, leftAt),
                 qPrintable(
                     QStringLiteral("topLine %1, left at %2").arg(w->state().topLine).arg(leftAt)));
        // A spread on show is a spread: it starts on a left page.
        QCOMPARE((w->state().topLine - 1) % (2 * w->state().linesPerPage), 0);
        // The other book, left at its first spread, comes back there.
        w->openBook(other);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->state().topLine, 1);
    }

    void restart_booksOpenedAgainKeepTheirPlaces()
    {
        const QString book = numberedBook(QStringLiteral("restart-a.txt"), 500, 60);
        const QString other = numberedBook(QStringLiteral("restart-b.txt"), 500, 60);
        int64_t leftAt = 0;
        {
            auto w = startWindow(book);
            turnForward(*w, 4);
            leftAt = spreadStart(*w);
            w->openBook(other);
            QTRY_VERIFY(w->isIdle());
            turnForward(*w, 2);
            w->exitReader();
        }
        // settings.ini brings the last book back as it always has; the first comes back
        // at its own place when it is opened.
        auto w = startWindow();
        QCOMPARE(QString::fromStdString(w->state().bookPath), other);
        QCOMPARE(w->state().topLine, 1 + 2 * 2 * w->state().linesPerPage);
        w->openBook(book);
        QTRY_VERIFY(w->isIdle());
        QVERIFY(spreadHolds(*w, leftAt));
        QVERIFY(w->state().topLine > 1);
    }

    // Reading the end of a list that is full must drop the oldest place, not the newest.
    void fullList_forgetsOldestPlace()
    {
        {
            QSettings options(SessionFiles::optionsPath(), QSettings::IniFormat);
            options.beginWriteArray(QStringLiteral("places"));
            for (int i = 0; i < BookPlaces::kMaxBooks; ++i) {
                options.setArrayIndex(i);
                options.setValue(QStringLiteral("path"), QStringLiteral("/nowhere/%1.txt").arg(i));
                options.setValue(QStringLiteral("offset"), i);
            }
            options.endArray();
        }
        const QString book = numberedBook(QStringLiteral("full-a.txt"), 300, 60);
        auto w = startWindow(book);
        turnForward(*w, 2);
        const int64_t leftAt = spreadStart(*w);
        w->openBook(numberedBook(QStringLiteral("full-b.txt"), 50, 60));
        QTRY_VERIFY(w->isIdle());

        QSettings options(SessionFiles::optionsPath(), QSettings::IniFormat);
        QCOMPARE(options.status(), QSettings::NoError);
        const int count = options.beginReadArray(QStringLiteral("places"));
        QCOMPARE(count, BookPlaces::kMaxBooks);
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            options.setArrayIndex(i);
            paths << options.value(QStringLiteral("path")).toString();
            if (i == 0)
                QCOMPARE(options.value(QStringLiteral("offset")).toLongLong(), leftAt);
        }
        // Newest first: the book just left, then (on a first start) the manual, then the
        // old places in their order, the oldest gone.
        QCOMPARE(paths.first(), book);
        const QStringList old = paths.filter(QStringLiteral("/nowhere/"));
        QCOMPARE(paths.mid(paths.size() - old.size()), old);
        for (int i = 0; i < old.size(); ++i)
            QCOMPARE(old.at(i), QStringLiteral("/nowhere/%1.txt").arg(i));
        QVERIFY(old.size() < BookPlaces::kMaxBooks);
    }
};

QTEST_MAIN(BookPlacesTest)
#include "bookplaces_test.moc"
