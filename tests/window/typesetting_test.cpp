// The page as it is set. With fine typesetting off every pixel of the lines is what the
// page has always drawn; with it on, full lines fill their page's measure, no ink reaches
// the fold or the edge strip, and the book's head and its headings stand apart in bold.
#include "windowfixture.h"

#include "bookview.h"
#include "optionsstore.h"
#include "theme.h"

#include "navigation/bookinfo.h"
#include "navigation/chaptermoves.h"
#include "pages/pages.h"
#include "text/headings.h"
#include "text/lineplacement.h"
#include "text/spread.h"
#include "text/typesetting.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QStaticText>
#include <QtTest>

#include <cmath>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

constexpr double kEdgeStrip = 28;

QString novelPath(const char *name)
{
    return QStringLiteral(TIBBO_CORPUS_DIR "/") + QLatin1String(name);
}

// The text of display line `line` (1-based) as the description cuts it out of the
// paragraph text: its characters, without a closing '^'.
QString lineText(const core::ReaderState &s, int64_t line)
{
    if (line < 1 || line > s.lineCount())
        return QString();
    const auto start = static_cast<size_t>(s.lineEnds[static_cast<size_t>(line - 1)]);
    const auto end = static_cast<size_t>(s.lineEnds[static_cast<size_t>(line)]);
    std::u32string text = s.paragraphText.substr(start, end - start);
    if (!text.empty() && text.back() == core::kParagraphMark)
        text.pop_back();
    return QString::fromStdU32String(text);
}

// Saves both pictures beside the test's data when they differ, so a failure can be seen.
int differingPixels(const QImage &a, const QImage &b, const QString &name)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    if (count > 0) {
        a.save(QDir::temp().filePath(name + QStringLiteral("-shown.png")));
        b.save(QDir::temp().filePath(name + QStringLiteral("-expected.png")));
    }
    return count;
}

void turnSpreads(ReaderWindow &w, int count)
{
    for (int i = 0; i < count; ++i)
        QTest::keyClick(&w, Qt::Key_PageDown);
}

} // namespace

class TypesettingTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    // The reference: the spread drawn by the description's layout (left page lines at
    // the left margin, right page lines at W / 2 - 5 + the right margin, rows a line
    // height and the spacing apart, each line as the font sets it) over the same pages
    // without their lines. Fine typesetting must leave the plain page untouched.
    void plainSpread_everyPixelAsTheDescriptionLaysItOut_data()
    {
        QTest::addColumn<int>("turns");
        QTest::addColumn<int>("theme");
        QTest::newRow("the book's head, by day") << 0 << 0;
        QTest::newRow("a spread with a heading, at night") << 11 << 2;
    }

    void plainSpread_everyPixelAsTheDescriptionLaysItOut()
    {
        QFETCH(int, turns);
        QFETCH(int, theme);
        OptionsStore(SessionFiles::optionsPath()).setValue(options::kTheme, theme);
        const auto w = startWindow(novelPath("hongloumeng.txt"));
        turnSpreads(*w, turns);
        auto *view = part<BookView>(w.get(), "bookView");
        const core::ReaderState &s = w->state();
        QVERIFY(!s.fineTypesetting);
        QVERIFY(s.lineCount() > 100);
        const QImage shown = view->grab().toImage();
        view->hideLines();
        QImage expected = view->grab().toImage();
        {
            QPainter p(&expected);
            const QFont font = view->pageFont();
            p.setFont(font);
            p.setPen(coloursOf(static_cast<Theme>(theme)).text);
            const int64_t L = s.linesPerPage;
            const double pitch = std::ceil(QFontMetricsF(font).height()) + s.lineSpacing;
            for (int64_t k = 0; k < 2 * L; ++k) {
                const bool left = k < L;
                const int64_t row = left ? k : k - L;
                const double x = left ? s.leftMargin : view->width() / 2.0 - 5 + s.rightMargin;
                QStaticText text(lineText(s, s.topLine + k));
                text.setTextFormat(Qt::PlainText);
                text.prepare(QTransform(), font);
                p.drawStaticText(QPoint(qRound(x), qRound(s.topMargin + row * pitch)), text);
            }
        }
        QCOMPARE(differingPixels(shown, expected, QStringLiteral("plain-spread")), 0);
    }

    // Over several spreads of 水浒传 (stray Latin letters, long paragraphs, headings):
    // every row set by the core's placement in its page's frame, full rows filling the
    // measure, and the ink of every line inside the text area, the right page's hanging
    // marks in its outer margin but never on the edge strip.
    void fineSpread_fullLinesFillTheMeasure_inkNeverOnFoldOrStrip()
    {
        OptionsStore(SessionFiles::optionsPath()).setValue(options::kFineTypesetting, true);
        const auto w = startWindow(novelPath("shuihuzhuan.txt"));
        auto *view = part<BookView>(w.get(), "bookView");
        const core::ReaderState &s = w->state();
        QVERIFY(s.fineTypesetting);
        const core::CutRules rules = core::fineCutRules(s.paragraphText);
        const double W = view->width();
        const core::TextFrame frames[] = {
            core::pageTextFrame(core::PageSide::Left, W, s.leftMargin, s.rightMargin, kEdgeStrip),
            core::pageTextFrame(core::PageSide::Right, W, s.leftMargin, s.rightMargin, kEdgeStrip)};
        int hung = 0, filled = 0;
        for (int spread = 0; spread < 12; ++spread) {
            const core::Spread expected = core::buildSpread(s, rules);
            const int64_t L = s.linesPerPage;
            for (int64_t k = 0; k < 2 * L; ++k) {
                const LineLabel *label = view->line(static_cast<int>(k));
                QVERIFY(label);
                QCOMPARE(label->text(), QString::fromStdU32String(expected.rows[k]));
                if (label->text().isEmpty())
                    continue;
                const core::TextFrame &frame = frames[k < L ? 0 : 1];
                const core::RowRole role = expected.roles[k];
                const double width = label->places().width;
                QVERIFY(label->drawnAtPlaces());
                QCOMPARE(label->x(), qRound(frame.left));
                QCOMPARE(label->drawnFont().bold(), role.heading);
                QVERIFY2(width <= frame.measure + frame.hangRoom + 1e-6, qPrintable(label->text()));
                hung += width > frame.measure + 1e-6;
                const QString text = label->text();
                const bool hasLatin = std::any_of(text.begin(), text.end(),
                                                  [](QChar c) { return c.unicode() < 0x80; });
                if (!role.endsParagraph && !role.heading && !hasLatin) {
                    QVERIFY2(width >= frame.measure - 1e-6, qPrintable(label->text()));
                    ++filled;
                }
            }
            // The ink: whatever the lines add to the pages lies in the text areas.
            const QImage withLines = view->grab().toImage();
            view->hideLines();
            const QImage pages = view->grab().toImage();
            const int foldSide = qRound(frames[0].left + frames[0].measure);
            const int stripStart = qRound(W - kEdgeStrip);
            int outside = 0;
            for (int y = 0; y < pages.height(); ++y)
                for (int x = 0; x < pages.width(); ++x)
                    if (withLines.pixel(x, y) != pages.pixel(x, y) &&
                        !(x >= qFloor(frames[0].left) - 1 && x <= foldSide) &&
                        !(x >= qFloor(frames[1].left) - 1 && x < stripStart))
                        ++outside;
            QCOMPARE(outside, 0);
            turnSpreads(*w, 1);
        }
        QVERIFY2(filled > 100, "too few full lines to tell");
        QVERIFY2(hung > 0, "no closing mark ever hung in the right page's margin");
    }

    // The head of 红楼梦 and its first heading: each on a line of its own, the title and
    // the heading in the page font's bold, the heading a little below its row.
    void fineHead_titleAuthorAndHeadingStandApart()
    {
        OptionsStore(SessionFiles::optionsPath()).setValue(options::kFineTypesetting, true);
        const auto w = startWindow(novelPath("hongloumeng.txt"));
        auto *view = part<BookView>(w.get(), "bookView");
        QCOMPARE(view->line(0)->text(), QStringLiteral("《红楼梦》"));
        QCOMPARE(view->line(1)->text(), QStringLiteral("作者：曹雪芹"));
        QVERIFY(view->line(2)->text().startsWith(QStringLiteral("第一回")));
        QVERIFY(view->line(0)->drawnFont().bold());
        QVERIFY(!view->line(1)->drawnFont().bold());
        QVERIFY(view->line(2)->drawnFont().bold());
        QVERIFY(!view->line(3)->drawnFont().bold());
        QCOMPARE(view->line(2)->drawnFont().family(), view->pageFont().family());
        // Rows stand a pitch apart; the heading is dropped towards the text it heads.
        const int pitch = view->line(1)->y() - view->line(0)->y();
        QVERIFY(view->line(2)->y() - view->line(1)->y() > pitch);
        QCOMPARE(view->line(3)->y() - view->line(1)->y(), 2 * pitch);
    }

    // The footer names where the reader is: the chapter on show after the left page's
    // number, the share read before the right page's, each whole or cut with an ellipsis
    // (the whole text in its tooltip), between its number and the fold, below every row.
    void placeCaptions_chapterAndShareBesideThePageNumbers_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<int>("chapterMoves");
        QTest::addColumn<bool>("toTheEnd");
        // A chapter start reached by the chapter move: the footer follows the jump.
        QTest::newRow("a chapter start") << novelPath("shuihuzhuan.txt") << 3 << false;
        // A heading far wider than half a page: cut, never over the fold or the number.
        const QString longTitle = QStringLiteral("第一回 ") + QString(38, QChar(0x957F));
        QString text = longTitle + QLatin1Char('\n');
        for (int i = 0; i < 40; ++i)
            text += QStringLiteral("　　") + QString(50, QChar(0x5B57 + i)) + QLatin1Char('\n');
        QTest::newRow("a long title")
            << writeBook(QStringLiteral("long-title.txt"), text) << 0 << false;
        // The last spread: the last chapter and the share before it, never past 100%.
        QTest::newRow("the last spread") << novelPath("hongloumeng.txt") << 0 << true;
    }

    void placeCaptions_chapterAndShareBesideThePageNumbers()
    {
        QFETCH(QString, book);
        QFETCH(int, chapterMoves);
        QFETCH(bool, toTheEnd);
        const auto w = startWindow(book);
        for (int i = 0; i < chapterMoves; ++i)
            QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
        if (toTheEnd)
            QTest::keyClick(w.get(), Qt::Key_End);
        const core::ReaderState &s = w->state();
        const auto chapters = core::findChapters(s.paragraphText);
        const int64_t current = core::currentChapter(s, chapters);
        QVERIFY(current >= 0);
        if (toTheEnd)
            QCOMPARE(current, static_cast<int64_t>(chapters.size()) - 1);
        const QString title =
            QString::fromStdU32String(chapters[static_cast<size_t>(current)].title);
        const QString share =
            QString::fromStdString(core::progressCaption(core::progressPercent(s)));
        auto *chapter = part<QLabel>(w.get(), "chapterCaption");
        auto *progress = part<QLabel>(w.get(), "progressCaption");
        const auto wholeText = [](const QLabel *caption) {
            return caption->toolTip().isEmpty() ? caption->text() : caption->toolTip();
        };
        QTRY_COMPARE(wholeText(chapter), title);
        QCOMPARE(wholeText(progress), share);
        QVERIFY(chapter->isVisible() && progress->isVisible());
        QVERIFY(share != QStringLiteral("100%"));

        auto *view = part<BookView>(w.get(), "bookView");
        const auto *leftNumber = part<QLabel>(w.get(), "leftPageNumber");
        const auto *rightNumber = part<QLabel>(w.get(), "rightPageNumber");
        const int fold = view->width() / 2;
        for (const QLabel *caption : {chapter, progress}) {
            // Shown whole or cut: what is drawn fits the label.
            QVERIFY(caption->fontMetrics().horizontalAdvance(caption->text()) <= caption->width());
            QVERIFY(caption->text() == wholeText(caption) ||
                    caption->text().endsWith(QChar(0x2026)));
            QCOMPARE(caption->y(), leftNumber->y());
            // Below the last row of text: no line gives way to the footer.
            const QRect lastRow = view->lineGeometry(static_cast<int>(2 * s.linesPerPage - 1));
            QVERIFY(caption->y() >= s.topMargin + (s.linesPerPage - 1) * (lastRow.height()));
        }
        QVERIFY(chapter->geometry().right() < fold);
        QVERIFY(chapter->x() > leftNumber->x() + leftNumber->width() / 2);
        QVERIFY(progress->x() > fold);
        QVERIFY(progress->geometry().right() < rightNumber->x() + rightNumber->width() / 2);
        if (chapterMoves == 0 && !toTheEnd)
            QVERIFY2(chapter->text() != title, "a heading wider than the page was not cut");
    }

    // Switched off in the settings panel, the footer shows the page numbers alone, and
    // the next start remembers it.
    void placeCaptions_switchedOff_hiddenAndRemembered()
    {
        {
            const auto w = startWindow(novelPath("shuihuzhuan.txt"));
            QTRY_VERIFY(part<QLabel>(w.get(), "chapterCaption")->isVisible());
            openMenu(w.get());
            QTest::mouseClick(part(w.get(), "settingsPicture"), Qt::LeftButton, {}, QPoint(5, 5));
            QVERIFY(part(w.get(), "settingsPanel")->isVisible());
            QTest::mouseClick(part(w.get(), "placeBox"), Qt::LeftButton, {}, QPoint(5, 8));
            QVERIFY(!part<QCheckBox>(w.get(), "placeBox")->isChecked());
            QTest::mouseClick(part(w.get(), "settingsOk"), Qt::LeftButton);
            QTRY_VERIFY(w->isIdle());
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            QTest::qWait(20);
            QVERIFY(!part<QLabel>(w.get(), "chapterCaption")->isVisible());
            QVERIFY(!part<QLabel>(w.get(), "progressCaption")->isVisible());
        }
        QVERIFY(!OptionsStore(SessionFiles::optionsPath()).value(options::kPlaceCaptions));
        const auto w = startWindow(novelPath("shuihuzhuan.txt"));
        QTest::qWait(20);
        QVERIFY(!part<QLabel>(w.get(), "progressCaption")->isVisible());
        QVERIFY(!part<QCheckBox>(w.get(), "placeBox")->isChecked());
    }

    // The mascot offers fine typesetting for a book whose lines begin with punctuation,
    // and once answered never again: "yes" switches it on and re-flows, "no" leaves the
    // page as it is. A book whose lines begin cleanly gets no offer.
    void fineOffer_askedOnceForABookWithPunctuationAtLineStarts_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("taken") << true;
        QTest::newRow("declined") << false;
    }

    void fineOffer_askedOnceForABookWithPunctuationAtLineStarts()
    {
        QFETCH(bool, yes);
        {
            const auto w = startWindow(numberedBook(QStringLiteral("clean.txt"), 60, 30));
            QTest::qWait(20);
            QVERIFY(!part(w.get(), "mascotSpeech")->isVisible());
        }
        {
            const auto w = startWindow(novelPath("shuihuzhuan.txt"));
            QVERIFY(!w->state().fineTypesetting);
            QTRY_VERIFY(part(w.get(), "mascotSpeech")->isVisible());
            QVERIFY(part<QLabel>(w.get(), "mascotSpeechText")
                        ->text()
                        .contains(QStringLiteral("可以开精排")));
            const int64_t linesBefore = w->state().lineCount();
            QTest::mouseClick(part(w.get(), yes ? "mascotSpeechAnswer0" : "mascotSpeechAnswer1"),
                              Qt::LeftButton);
            QTRY_VERIFY(w->isIdle());
            QVERIFY(!part(w.get(), "mascotSpeech")->isVisible());
            QCOMPARE(w->state().fineTypesetting, yes);
            QCOMPARE(part<QCheckBox>(w.get(), "fineBox")->isChecked(), yes);
            // Taken, the book is cut again by the rules: lines move.
            QCOMPARE(w->state().lineCount() != linesBefore, yes);
        }
        OptionsStore options(SessionFiles::optionsPath());
        QVERIFY(options.value(options::kFineOfferAnswered));
        QCOMPARE(options.value(options::kFineTypesetting), yes);
        // Answered: another book with marks at its line starts is not asked about.
        options.setValue(options::kFineTypesetting, false);
        const auto w = startWindow(novelPath("hongloumeng.txt"));
        QTest::qWait(20);
        QVERIFY(!part(w.get(), "mascotSpeech")->isVisible());
    }
};

QTEST_MAIN(TypesettingTest)
#include "typesetting_test.moc"
