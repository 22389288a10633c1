// Start-up, exit and opening books: the reader comes back to the same page after a
// restart, without the book file.
#include "windowfixture.h"

#include "loadingpanel.h"
#include "menupanel.h"
#include "signalexit.h"
#include "widgets.h"

#include "navigation/navigation.h"
#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <random>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

QString lineText(Form1 &form, int index)
{
    return form.Label3[static_cast<size_t>(index)]->text();
}

// preamble: characters of one tag before the text, so the parse takes a while before
// it reaches the first part.
QString bigHtml(const QString &name, int paragraphs, int preamble = 0)
{
    QString html = QStringLiteral("<html><meta content=\"") + QString(preamble, QLatin1Char('x')) +
                   QStringLiteral("\"><body>\n");
    for (int i = 0; i < paragraphs; ++i)
        html += QStringLiteral("<p>第%1段").arg(i) + QString(60, QChar(0x6587)) +
                QStringLiteral("</p>\n");
    html += QStringLiteral("</body></html>\n");
    return writeBook(name, html);
}

} // namespace

class FilesTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void firstStart_exitWritesSettingsFile()
    {
        auto form = startWindow();
        QVERIFY(QFile::exists(Form1::appFolder() + QStringLiteral("/readme.txt")));
        form->Image15_Click();
        QVERIFY(form->exited());
        const auto bytes = tibbo::core::readFile(
            (Form1::appFolder() + QStringLiteral("/settings.ini")).toStdString());
        QVERIFY(bytes);
        const auto read = tibbo::core::readSettingsFile(*bytes);
        QVERIFY(read.complete);
        QVERIFY(read.bookPath->ends_with("readme.txt"));
        QVERIFY(QFile::exists(Form1::appFolder() + QStringLiteral("/Slide.cache")));
    }

    void terminationSignal_exitsThroughTheSettingsWrite()
    {
        auto form = startWindow();
        SignalExit signalExit;
        connect(&signalExit, &SignalExit::exitRequested, form.get(), &Form1::Image15_Click);
        QSignalSpy spy(&signalExit, &SignalExit::exitRequested);
        QFile::remove(Form1::appFolder() + QStringLiteral("/settings.ini"));
        std::raise(SIGTERM);
        QTRY_COMPARE(spy.count(), 1);
        QVERIFY(form->exited());
        QVERIFY(QFile::exists(Form1::appFolder() + QStringLiteral("/settings.ini")));
    }

    void restart_showsSameSpreadWithoutReadingTheBook()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 300, 80);
        int64_t topLine = 0;
        QString firstLine;
        {
            auto form = startWindow(book);
            QCOMPARE(form->Mnrecent[0]->text(), QStringLiteral("own.txt"));
            QCOMPARE(form->Mnrecent[1]->text(), QStringLiteral("readme.txt"));
            form->Form_KeyDown(tibbo::core::kKeyPageDown);
            form->Form_KeyDown(tibbo::core::kKeyPageDown);
            topLine = form->state().topLine;
            firstLine = lineText(*form, 0);
            form->Image15_Click();
        }
        QVERIFY(QFile::remove(book));
        auto again = startWindow();
        QCOMPARE(QString::fromStdString(again->state().bookPath), book);
        QCOMPARE(again->state().topLine, topLine);
        QCOMPARE(lineText(*again, 0), firstLine);
        // The reader has a book of their own: no welcome panel, no manual.
        QVERIFY(!again->state().welcomeMode);
        QVERIFY(!again->state().menuShown);
    }

    void damagedLineList_isReflowedFromText()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 50, 40);
        {
            auto form = startWindow(book);
            form->Image15_Click();
        }
        // Cut the settings file in the middle of the line list: the list no longer
        // fits the text, so the book is re-flowed instead of cut at wrong places.
        const QString ini = Form1::appFolder() + QStringLiteral("/settings.ini");
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        const int passage = bytes.indexOf("[Passage]");
        QVERIFY(passage > 0);
        bytes.truncate(passage + 40);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        auto again = startWindow();
        const auto &ends = again->state().lineEnds;
        QCOMPARE(ends.back(), static_cast<int64_t>(again->state().paragraphText.size()));
        QVERIFY(lineText(*again, 0).startsWith(QStringLiteral("　　")));
    }

    void savedPlaceOffEveryScreen_centresWindowOnPrimaryScreen()
    {
        {
            auto form = startWindow();
            form->state().normalLeft = -900000;
            form->state().normalTop = -900000;
            form->Image15_Click();
        }
        auto again = startWindow();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(screen.intersects(again->geometry()));
        QCOMPARE(again->geometry().center(), screen.center());
    }

    void damagedSettingsFile_neverCrashesStartUp()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 40, 60);
        {
            auto form = startWindow(book);
            QTest::mouseClick(form->Label3[2], Qt::LeftButton, {}, QPoint(3, 3));
            form->Mnadd_Click();
            form->Image15_Click();
        }
        const QString ini = Form1::appFolder() + QStringLiteral("/settings.ini");
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray valid = f.readAll();
        f.close();
        // Seeded damage: bytes overwritten, lines dropped, numbers made huge or negative.
        std::mt19937 random(7);
        const QByteArray wild[] = {"-99999999999", "1e300", "abc", "", "[/Marks]", "\xff\xfe", "0"};
        for (int round = 0; round < 24; ++round) {
            QList<QByteArray> lines = valid.split('\n');
            for (int k = 0; k < 4; ++k) {
                const auto at =
                    static_cast<qsizetype>(random() % static_cast<unsigned>(lines.size()));
                switch (random() % 3) {
                case 0:
                    lines[at] = wild[random() % std::size(wild)] + '\r';
                    break;
                case 1:
                    lines.removeAt(at);
                    break;
                default:
                    lines[at].insert(0, wild[random() % std::size(wild)]);
                    break;
                }
            }
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(lines.join('\n'));
            f.close();
            auto form = startWindow();
            QVERIFY(form->isVisible() || form->isMinimized());
            // Whatever came back, the spread on show is cut from the text it holds.
            const auto &state = form->state();
            QCOMPARE(state.lineEnds.back(), static_cast<int64_t>(state.paragraphText.size()));
            form->Form_KeyDown(tibbo::core::kKeyEnd);
            form->Form_KeyDown(tibbo::core::kKeyPageDown);
            form->Image15_Click();
            Dialogs::takeMessages();
            // The next round starts from the valid file again.
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(valid);
            f.close();
        }
    }

    void openDialog_cancelOpensNothingAndChoiceOpens()
    {
        auto form = startWindow();
        const std::string before = form->state().bookPath;
        Dialogs::setNextOpenFile(QString());
        form->Image7_Click();
        QCOMPARE(form->state().bookPath, before);
        const QString book = numberedBook(QStringLiteral("chosen.txt"), 20, 30);
        Dialogs::setNextOpenFile(book);
        form->Image7_Click();
        QCOMPARE(QString::fromStdString(form->state().bookPath), book);
        QCOMPARE(form->state().topLine, 1);
        QVERIFY(!form->state().loadingBusy);
    }

    void unreadableBook_keepsBookOnShowAndSaysSo()
    {
        auto form = startWindow(numberedBook(QStringLiteral("own.txt"), 50, 40));
        const auto before = form->state().paragraphText;
        const auto recent = form->state().recent;
        form->openChosenBook(QStringLiteral("/nonexistent/gone.txt"));
        QCOMPARE(Dialogs::takeMessages().size(), 1);
        QVERIFY(form->state().paragraphText == before);
        QVERIFY(form->state().recent == recent);
        QVERIFY(!form->state().loadingBusy);
    }

    void loadWhileBusy_isRefused()
    {
        auto form = startWindow();
        form->state().loadingBusy = true;
        form->OpenBook(numberedBook(QStringLiteral("other.txt"), 5, 5));
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral("这个文件都还没读取完呢.等读完再读其它文件吧.")});
        QVERIFY(
            QString::fromStdString(form->state().bookPath).endsWith(QStringLiteral("readme.txt")));
    }

    void largeHtml_showsFirstPartThenWhole()
    {
        auto form = startWindow();
        const QString html = bigHtml(QStringLiteral("big.html"), 400);
        form->openChosenBook(html);
        const QStringList messages = Dialogs::takeMessages();
        QCOMPARE(
            messages,
            (QStringList{QStringLiteral(
                             "这本书的字数有点多,我给你读取一部分出来先,剩下的部分我会在后台处理"),
                         QStringLiteral("终于读完了")}));
        QCOMPARE(form->state().topLine, 1);
        QVERIFY(lineText(*form, 0).startsWith(QStringLiteral("第0段")));
        QCOMPARE(QString::fromStdString(form->state().recent[0]), html);
        QVERIFY(!form->state().loadingBusy);
        QVERIFY(!form->state().partialShown);
        QVERIFY(!form->Picture10->isVisible());
    }

    void smallHtml_noMessage()
    {
        auto form = startWindow();
        form->openChosenBook(bigHtml(QStringLiteral("small.htm"), 10));
        QVERIFY(Dialogs::takeMessages().isEmpty());
        QCOMPARE(form->state().lineEnds.back(),
                 static_cast<int64_t>(form->state().paragraphText.size()));
    }

    void cancelledHtml_leavesBookOnShowWhole()
    {
        auto form = startWindow(numberedBook(QStringLiteral("own.txt"), 50, 40));
        const auto path = form->state().bookPath;
        const auto text = form->state().paragraphText;
        const auto scroll = form->state().bookText;
        // The cancel lands between the first two slices, long before the first part.
        const QString html = bigHtml(QStringLiteral("huge.html"), 300, 1000000);
        QTimer::singleShot(0, form.get(), [&] { form->Command6_Click(); });
        form->openChosenBook(html);
        QCOMPARE(form->state().bookPath, path);
        QVERIFY(form->state().paragraphText == text);
        QVERIFY(form->state().bookText == scroll);
        QVERIFY(!form->state().loadingBusy);
        for (const auto &entry : form->state().recent)
            QVERIFY(entry != html.toStdString());
        // A plain book opens at once afterwards.
        form->OpenBook(numberedBook(QStringLiteral("next.txt"), 5, 5));
        QVERIFY(
            QString::fromStdString(form->state().bookPath).endsWith(QStringLiteral("next.txt")));
    }

    void manualButton_goesToManualAndBackToSamePlace()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 300, 80);
        auto form = startWindow(book);
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        const int64_t topLine = form->state().topLine;
        form->Image9_Click();
        QCOMPARE(Dialogs::takeMessages(), QStringList());
        QVERIFY(
            QString::fromStdString(form->state().bookPath).endsWith(QStringLiteral("readme.txt")));
        QCOMPARE(form->Label5[4]->caption(), QStringLiteral("不想看了"));
        form->Image9_Click();
        QCOMPARE(form->Label5[4]->caption(), QStringLiteral("看看说明书"));
        QCOMPARE(QString::fromStdString(form->state().bookPath), book);
        QCOMPARE(form->state().topLine, topLine);
    }
};

QTEST_MAIN(FilesTest)
#include "files_test.moc"
