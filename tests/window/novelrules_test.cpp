// Rules for a novel through the window: the script a book is shown in, the search in
// either script, the chapter list with the health check's problems, the chapter rules
// panel with its preview, and what Tibbo says about a book when it is opened.
#include "windowfixture.h"

#include "optionsstore.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

// Chapters `first` .. `last` but those in `missing`, each a heading and 30 paragraphs
// that hold words whose Taiwan forms are longer (U盘 → 隨身碟, 内存 → 記憶體).
QString webNovel(const QString &name, int first, int last, const QList<int> &missing = {})
{
    QString text = QStringLiteral("《测试》\n");
    for (int c = first; c <= last; ++c) {
        if (missing.contains(c))
            continue;
        text += QStringLiteral("第%1章　头发与内存\n").arg(c);
        for (int p = 0; p < 30; ++p)
            text += QStringLiteral(
                "　　他把U盘插进电脑，内存不够，头发也乱了，只好打开软件慢慢清理干净。\n");
    }
    return writeBook(name, text);
}

QString rowsOnShow(const QObject *w, int rows)
{
    QString text;
    for (int k = 0; k < rows; ++k)
        text += line(w, k)->text() + QLatin1Char('\n');
    return text;
}

// The widest row drawn on the spread, in pixels.
int widestRow(const ReaderWindow *w)
{
    int widest = 0;
    for (int k = 0; k < 2 * w->state().linesPerPage; ++k)
        widest = std::max(widest, line(w, k)->width());
    return widest;
}

void chooseScript(QObject *w, const QString &caption)
{
    openMenu(w);
    QTest::mouseClick(part(w, "scriptCaption"), Qt::LeftButton);
    QAction *item = menuItem(w, "scriptMenu", caption);
    QVERIFY(item);
    item->trigger();
}

QString optionOf(const char *key, const QString &book)
{
    OptionsStore store(SessionFiles::optionsPath());
    return store.value(BookTextOption{key}, QFileInfo(book).absoluteFilePath());
}

} // namespace

class NovelRulesTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    // The pages, the window title and the chapter list show the conversion; the place
    // and the bookmarks stay on their text, also where words change length, and the
    // choice is kept for the book across a restart.
    void scriptChoice_showsTheConversionEverywhereAndKeepsPlaceAndBookmarks()
    {
        const QString book = webNovel(QStringLiteral("script.txt"), 1, 6);
        QString original;
        int64_t top = 0;
        std::vector<int64_t> marks;
        {
            auto w = startWindow(book);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            QTest::mouseClick(line(w.get(), 3), Qt::LeftButton, {}, QPoint(5, 5));
            QTest::keyClick(w.get(), Qt::Key_A);
            QCOMPARE(w->state().bookmarks.size(), size_t(1));
            top = w->state().topLine;
            marks = {w->state().bookmarks[0].line};
            original = rowsOnShow(w.get(), 4);
            QVERIFY(original.contains(QStringLiteral("U盘")));
            // A full row of the page: charsPerLine ideographs.
            const int widest = std::max(
                widestRow(w.get()),
                qCeil(QFontMetricsF(line(w.get(), 0)->font())
                          .horizontalAdvance(QString(w->state().charsPerLine, QChar(0x53D1)))));

            chooseScript(w.get(), QStringLiteral("转繁体(台湾用语)"));
            const QString converted = rowsOnShow(w.get(), 4);
            QVERIFY2(converted.contains(QStringLiteral("隨身碟")), qPrintable(converted));
            // Rows whose words grew keep within the page (they ran over its edge).
            QVERIFY(converted.size() > original.size());
            QVERIFY2(widestRow(w.get()) <= widest + 1,
                     qPrintable(QStringLiteral("%1 > %2").arg(widestRow(w.get())).arg(widest)));
            QVERIFY(converted.contains(QStringLiteral("頭髮")));
            QCOMPARE(w->state().topLine, top);
            QCOMPARE(w->state().bookmarks[0].line, marks[0]);
            QTRY_VERIFY(w->windowTitle().contains(QStringLiteral("頭髮與記憶體")));
            QTest::keyClick(w.get(), Qt::Key_T);
            auto *list = part<QTreeWidget>(w.get(), "chapterList");
            QVERIFY(list->topLevelItem(0)->text(0).contains(QStringLiteral("記憶體")));
            QTest::keyClick(list, Qt::Key_Escape);
            QCOMPARE(optionOf("script", book), QStringLiteral("traditional-tw"));

            chooseScript(w.get(), QStringLiteral("原文"));
            QCOMPARE(rowsOnShow(w.get(), 4), original);
            QCOMPARE(w->state().topLine, top);
            chooseScript(w.get(), QStringLiteral("转繁体"));
            w->exitReader();
        }
        // The next start shows the saved spread converted at once.
        auto again = startWindow();
        QCOMPARE(again->state().topLine, top);
        const QString restored = rowsOnShow(again.get(), 4);
        QVERIFY2(restored.contains(QStringLiteral("頭髮")), qPrintable(restored));
        QVERIFY(restored.contains(QStringLiteral("U盤")));
    }

    // The reader types what they see; the book holds the other script.
    void search_findsAWordTypedInTheOtherScript()
    {
        auto w = startWindow(webNovel(QStringLiteral("search.txt"), 1, 4));
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        auto *box = part<QLineEdit>(w.get(), "searchBox");
        for (const QString &typed : {QStringLiteral("記憶體"), QStringLiteral("頭髮")}) {
            box->setText(typed);
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(
                !part<QLabel>(w.get(), "searchNote")->text().contains(QStringLiteral("找不到")));
            // The match's characters carry the search band.
            int marked = -1;
            for (int k = 0; k < 2 * w->state().linesPerPage; ++k) {
                if (!line(w.get(), k)->bands().empty())
                    marked = k;
            }
            QVERIFY(marked >= 0);
            // On the word as the book (or its display) writes it: 内存 is two characters
            // where 記憶體 is three.
            const LineLabel::Band band = line(w.get(), marked)->bands().front();
            const QString underBand =
                line(w.get(), marked)->text().mid(band.firstColumn, band.columns);
            const QStringList words = {QStringLiteral("記憶體"), QStringLiteral("内存"),
                                       QStringLiteral("頭髮"), QStringLiteral("头发")};
            QVERIFY2(words.contains(underBand), qPrintable(underBand));
        }
    }

    // 第3章 is missing and 第5章 comes twice: both are marked, 下一个问题 walks them, and
    // Tibbo names the first when the book is opened.
    void chapterList_marksProblemsAndTibboNamesTheFirst()
    {
        QString text = QStringLiteral("《测试》\n");
        for (int c : {1, 2, 4, 5, 5, 6}) {
            text += QStringLiteral("第%1章　标题\n").arg(c);
            for (int p = 0; p < 20; ++p)
                text += QStringLiteral("　　") + QString(50, QChar(0x5B57)) + QLatin1Char('\n');
        }
        const QString book = writeBook(QStringLiteral("gaps.txt"), text);
        auto w = startWindow(book);
        QTRY_VERIFY(part(w.get(), "mascotSpeech")->isVisible());
        QCOMPARE(part<QLabel>(w.get(), "mascotSpeechText")->text().left(8),
                 QStringLiteral("第3章好像缺了，"));
        QTest::mouseClick(part(w.get(), "mascotSpeechAnswer0"), Qt::LeftButton);
        QVERIFY(!part(w.get(), "mascotSpeech")->isVisible());
        QVERIFY(w->state().topLine > 1); // at 第4章

        QTest::keyClick(w.get(), Qt::Key_T);
        auto *list = part<QTreeWidget>(w.get(), "chapterList");
        QCOMPARE(list->topLevelItemCount(), 6);
        QVERIFY(list->topLevelItem(2)->toolTip(0).contains(QStringLiteral("第3章好像缺了")));
        QVERIFY(list->topLevelItem(4)->toolTip(0).contains(QStringLiteral("第5章出现了两次")));
        QVERIFY(!list->topLevelItem(1)->toolTip(0).contains(QStringLiteral("好像")));
        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(part(w.get(), "chapterNextProblem"), Qt::LeftButton);
        QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 2);
        QTest::mouseClick(part(w.get(), "chapterNextProblem"), Qt::LeftButton);
        QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 4);
        QTest::mouseClick(part(w.get(), "chapterNextProblem"), Qt::LeftButton);
        QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 2);
        QTest::keyClick(list, Qt::Key_Escape);

        // Once per book.
        w->openBook(book);
        QTRY_VERIFY(w->isIdle());
        QTest::qWait(300);
        QVERIFY(!part(w.get(), "mascotSpeech")->isVisible());
    }

    // The preview shows what the rules find before they apply; a wrong rule is refused
    // with the compiler's message; 应用 keeps them for the book.
    void rulesPanel_previewsRefusesAndApplies()
    {
        QString text = QStringLiteral("《测试》\n");
        for (int c = 1; c <= 5; ++c) {
            text += QStringLiteral("Part %1\n").arg(c);
            for (int p = 0; p < 10; ++p)
                text += QStringLiteral("　　") + QString(40, QChar(0x5B57)) + QLatin1Char('\n');
        }
        const QString book = writeBook(QStringLiteral("parts.txt"), text);
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_T);
        QCOMPARE(part<QTreeWidget>(w.get(), "chapterList")->topLevelItemCount(), 0);
        QTest::mouseClick(part(w.get(), "chapterRules"), Qt::LeftButton);
        QVERIFY(part(w.get(), "chapterRulesPanel")->isVisible());
        auto *own = part<QPlainTextEdit>(w.get(), "ownRules");
        auto *result = part<QLabel>(w.get(), "rulesResult");
        own->setPlainText(QStringLiteral("Part (\\d+"));
        QTest::mouseClick(part(w.get(), "rulesPreviewButton"), Qt::LeftButton);
        QVERIFY2(result->text().contains(QStringLiteral("missing closing parenthesis")),
                 qPrintable(result->text()));

        own->setPlainText(QStringLiteral("Part \\d+"));
        QTest::mouseClick(part(w.get(), "rulesPreviewButton"), Qt::LeftButton);
        QTRY_VERIFY(result->text().contains(QStringLiteral("找到5个章节")));
        QCOMPARE(part<QListWidget>(w.get(), "rulesPreview")->item(0)->text(),
                 QStringLiteral("Part 1"));
        // Nothing applies before 应用.
        QVERIFY(optionOf("ownChapterRules", book).isEmpty());

        QTest::mouseClick(part(w.get(), "rulesApply"), Qt::LeftButton);
        QTRY_VERIFY(!part(w.get(), "chapterRulesPanel")->isVisible());
        QCOMPARE(optionOf("ownChapterRules", book), QStringLiteral("Part \\d+"));
        QTRY_VERIFY(part(w.get(), "chapterPanel")->isVisible());
        QCOMPARE(part<QTreeWidget>(w.get(), "chapterList")->topLevelItemCount(), 5);
    }

    // A book that looks Traditional: Tibbo offers the conversion once; taking it shows
    // the book in Simplified characters.
    void traditionalBook_tibboOffersTheConversionOnce()
    {
        QString text;
        for (int p = 0; p < 40; ++p)
            text += QStringLiteral("　　這時候他們說話的聲音傳過來，頭髮亂了，心神不寧，狀態極差，"
                                   "只好慢慢整理乾淨。\n");
        const QString book = writeBook(QStringLiteral("traditional.txt"), text);
        auto w = startWindow(book);
        QTRY_VERIFY(part(w.get(), "mascotSpeech")->isVisible());
        QTest::mouseClick(part(w.get(), "mascotSpeechAnswer0"), Qt::LeftButton);
        QVERIFY(rowsOnShow(w.get(), 2).contains(QStringLiteral("头发乱了")));
        QCOMPARE(optionOf("script", book), QStringLiteral("simplified"));
        w->openBook(book);
        QTRY_VERIFY(w->isIdle());
        QTest::qWait(300);
        QVERIFY(!part(w.get(), "mascotSpeech")->isVisible());
    }
};

QTEST_MAIN(NovelRulesTest)
#include "novelrules_test.moc"
