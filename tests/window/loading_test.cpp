// A plain-text book larger than its first part: the first spread is on show as soon as
// that part is read, the reader reads on while the rest comes, whatever needs the whole
// book reads the rest first, and the book and lines in the end are those of a whole read.
#include "windowfixture.h"

#include "textselection.h"

#include "pages/pages.h"
#include "settings/settingsfile.h"
#include "text/fileio.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/typesetting.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

// Paragraphs of about 60 characters, each with its number at the start, and a chapter
// heading every 500: several pieces of the file in any encoding.
std::u32string longNovel(int paragraphs)
{
    QString text;
    for (int i = 0; i < paragraphs; ++i) {
        if (i % 500 == 0)
            text += QStringLiteral("第%1章　回目\r\n").arg(i / 500 + 1);
        text += QStringLiteral("　　%1段").arg(i) + QString(56, QChar(0x5B57 + i % 50)) +
                QStringLiteral("\r\n");
    }
    return text.toStdU32String();
}

QString writeBytes(const QString &name, const std::string &bytes)
{
    // The same folder as the fixture's books, so the test's files go with it.
    const QString path = writeBook(name, QString());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

std::string utf16le(std::u32string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (const QChar c : QString::fromStdU32String(std::u32string(text))) {
        bytes += static_cast<char>(c.unicode() & 0xFF);
        bytes += static_cast<char>(c.unicode() >> 8);
    }
    return bytes;
}

// The book as one whole read gives it, and its lines as one cut of it for the window's
// line capacity and rules.
struct WholeBook
{
    core::BookText text;
    core::LineList lines;
};

WholeBook wholeRead(const ReaderWindow &w, const QString &path)
{
    WholeBook whole;
    auto texts = core::loadPlainBook(path.toStdString(), w.state().trimParagraphs == 1);
    if (!texts)
        return whole;
    whole.text = std::move(texts->paragraphText);
    const core::CutRules rules =
        w.state().fineTypesetting ? core::fineCutRules(whole.text) : core::CutRules{};
    whole.lines = core::cutLines(whole.text, w.state().charsPerLine, rules);
    return whole;
}

} // namespace

class LoadingTest : public QObject
{
    Q_OBJECT
  private slots:
    void init() { resetAppFolder(); }

    // In each encoding the first spread is on show before the rest is read, page turns
    // go on while it comes, and the book, its lines and the reader's spread in the end
    // are those of a whole read.
    void firstSpreadAtOnce_thenTheWholeBook_inEveryEncoding()
    {
        const std::u32string novel = longNovel(30000);
        const struct
        {
            const char *name;
            std::string bytes;
        } files[] = {
            {"gbk.txt", core::encodeGb18030(novel)},
            {"utf8.txt", QString::fromStdU32String(novel).toUtf8().toStdString()},
            {"utf16.txt", utf16le(novel)},
        };
        for (const auto &file : files) {
            const QString where = QString::fromLatin1(file.name);
            auto w = startWindow();
            const QString path = writeBytes(QString::fromLatin1(file.name), file.bytes);
            w->openBook(path);
            QVERIFY2(w->state().loadingBusy && w->state().partialShown, qPrintable(where));
            QVERIFY2(w->state().paragraphText.size() < novel.size() / 4, qPrintable(where));
            QCOMPARE(line(w.get(), 0)->text(), QStringLiteral("第1章　回目"));
            QVERIFY(line(w.get(), 1)->text().startsWith(QStringLiteral("　　0段")));
            // Two spreads on, while the rest is still being read.
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            QVERIFY(w->state().loadingBusy);
            const int64_t top = w->state().topLine;
            QCOMPARE(top, 1 + 4 * w->state().linesPerPage);
            const QString shown = line(w.get(), 0)->text();
            QTRY_VERIFY2(w->isIdle(), qPrintable(where));
            QVERIFY(!w->state().partialShown);
            const WholeBook whole = wholeRead(*w, path);
            QVERIFY2(w->state().paragraphText == whole.text, qPrintable(where));
            QVERIFY2(w->state().lineEnds == whole.lines, qPrintable(where));
            QCOMPARE(w->state().topLine, top);
            QCOMPARE(line(w.get(), 0)->text(), shown);
            QVERIFY(Dialogs::takeMessages().isEmpty());
        }
    }

    // A file whose first pieces read as UTF-8 and whose later ones do not is, as a whole,
    // not UTF-8: the book that replaces the first part is the whole file's, from its
    // first spread, since the part on show was never the start of that book.
    void firstPartInAnotherEncoding_isReplacedByTheWholeBook()
    {
        const std::string bytes =
            QString::fromStdU32String(longNovel(8000)).toUtf8().toStdString() +
            core::encodeGb18030(U"　　后记：全书完\r\n");
        const QString path = writeBytes(QStringLiteral("mixed.txt"), bytes);
        auto w = startWindow();
        w->openBook(path);
        QVERIFY(w->state().partialShown);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QVERIFY(w->state().topLine > 1);
        QTRY_VERIFY(w->isIdle());
        QVERIFY(w->state().paragraphText == wholeRead(*w, path).text);
        QCOMPARE(w->state().topLine, 1);
        QVERIFY(w->state().lineEndsFitText());
    }

    // The last spread, go-to page and the chapter list need the whole book: they read
    // the rest first and act on the whole book.
    void whatNeedsTheWholeBook_readsTheRestFirst()
    {
        const QString path =
            writeBytes(QStringLiteral("end.txt"), core::encodeGb18030(longNovel(30000)));
        {
            auto w = startWindow();
            w->openBook(path);
            QVERIFY(w->state().loadingBusy);
            QTest::keyClick(w.get(), Qt::Key_End);
            QVERIFY(!w->state().loadingBusy);
            QVERIFY(w->state().lineEndsFitText());
            const WholeBook whole = wholeRead(*w, path);
            QVERIFY(w->state().lineEnds == whole.lines);
            QVERIFY(w->state().topLine + 2 * w->state().linesPerPage > w->state().lineCount());
            QVERIFY(w->state().topLine > w->state().lineCount() / 2);
        }
        {
            auto w = startWindow();
            w->openBook(path);
            QVERIFY(w->state().loadingBusy);
            auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
            QTest::keyClick(w.get(), Qt::Key_G);
            QVERIFY(!w->state().loadingBusy);
            // A page far past the first part.
            const int64_t L = w->state().linesPerPage;
            const int64_t page = w->state().lineCount() / L - 10;
            answer->setText(QString::number(page));
            QTest::keyClick(answer, Qt::Key_Return);
            QVERIFY(Dialogs::takeMessages().isEmpty());
            QCOMPARE(w->state().topLine, 1 + ((page - 1) / 2) * 2 * L);
        }
        {
            auto w = startWindow();
            w->openBook(path);
            QVERIFY(w->state().loadingBusy);
            QTest::keyClick(w.get(), Qt::Key_T);
            QVERIFY(!w->state().loadingBusy);
            QTRY_VERIFY(w->isIdle());
            QVERIFY(w->state().paragraphText == wholeRead(*w, path).text);
        }
        // The search prompt's buttons, like its keys: 下一个 once found only in the first
        // part (and said 找不到 for a chapter past it), and 列表 counts the whole book.
        for (const char *button : {"searchNext", "searchPrevious", "searchList"}) {
            qInfo("%s", button);
            auto w = startWindow();
            QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
            part<QLineEdit>(w.get(), "searchBox")->setText(QStringLiteral("第60章"));
            w->openBook(path);
            QVERIFY(w->state().loadingBusy);
            QVERIFY(part(w.get(), "searchPanel")->isVisible());
            QTest::mouseClick(part<QPushButton>(w.get(), button), Qt::LeftButton);
            QVERIFY(!w->state().loadingBusy);
            const QString note = part<QLabel>(w.get(), "searchNote")->text();
            QVERIFY2(!note.contains(QStringLiteral("找不到")), qPrintable(note));
            if (qstrcmp(button, "searchList") == 0)
                QVERIFY(part(w.get(), "searchResultsPanel")->isVisible());
            else
                QVERIFY2(note.startsWith(QStringLiteral("第 1 / 1 处")), qPrintable(note));
        }
    }

    // A selection made while the rest of the book is read stays on the same characters
    // when the whole book replaces the first part (it used to clear, the offsets being
    // taken for those of another text).
    void selectionInTheFirstPart_isKeptWhenTheBookIsWhole()
    {
        const QString path =
            writeBytes(QStringLiteral("select.txt"), core::encodeGb18030(longNovel(30000)));
        auto w = startWindow();
        w->openBook(path);
        QVERIFY(w->state().loadingBusy);
        auto *selection = w->findChild<TextSelection *>();
        selection->select({40, 52});
        const QString selected = selection->text();
        QCOMPARE(selected.size(), 12);
        QTRY_VERIFY_WITH_TIMEOUT(!w->state().loadingBusy && w->isIdle(), 30000);
        QVERIFY(w->state().paragraphText == wholeRead(*w, path).text);
        const auto kept = selection->span();
        QVERIFY(kept.has_value());
        QCOMPARE(kept->from, 40);
        QCOMPARE(kept->to, 52);
        QCOMPARE(selection->text(), selected);
        QVERIFY(!line(w.get(), static_cast<int>(core::lineHolding(w->state().lineEnds, 40) - 1))
                     ->bands()
                     .empty());
    }

    // An exit during the load writes settings.ini with the whole book and its lines,
    // never with its first part.
    void exitDuringTheLoad_savesTheWholeBook()
    {
        const QString path =
            writeBytes(QStringLiteral("exit.txt"), core::encodeGb18030(longNovel(30000)));
        auto w = startWindow();
        w->openBook(path);
        QVERIFY(w->state().loadingBusy);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t top = w->state().topLine;
        w->exitReader();
        const auto bytes = core::readFile(settingsPath().toStdString());
        QVERIFY(bytes);
        const auto read = core::readSettingsFile(*bytes);
        QVERIFY(read.complete);
        const WholeBook whole = wholeRead(*w, path);
        QVERIFY(read.paragraphText && *read.paragraphText == whole.text);
        QVERIFY(read.lineEnds && *read.lineEnds == whole.lines);
        QCOMPARE(read.topLine, std::optional<int64_t>(top));
        QCOMPARE(read.bookPath, std::optional<std::string>(path.toStdString()));
    }

    // A second book opened during the load: the first is read to its end and kept in
    // the recent list, and the second takes its place with no message.
    void secondBookDuringTheLoad_opensAfterTheFirstIsWhole()
    {
        const QString first =
            writeBytes(QStringLiteral("first.txt"), core::encodeGb18030(longNovel(30000)));
        const QString second = numberedBook(QStringLiteral("second.txt"), 40, 30);
        auto w = startWindow();
        w->openBook(first);
        QVERIFY(w->state().loadingBusy);
        w->openBook(second);
        QVERIFY(Dialogs::takeMessages().isEmpty());
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->state().bookPath, second.toStdString());
        QVERIFY(w->state().paragraphText == wholeRead(*w, second).text);
        QCOMPARE(w->state().recent.at(0), second.toStdString());
        QCOMPARE(w->state().recent.at(1), first.toStdString());
    }
};

QTEST_MAIN(LoadingTest)
#include "loading_test.moc"
