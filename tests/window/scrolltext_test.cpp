// The scroll-mode text area: how positions map to rows and points, and how the
// view follows a selection. Fonts differ between machines, so every expectation is
// taken from the widget's own geometry, never from pixel values.
#include "windowfixture.h"

#include "scrolltext.h"

#include <QScrollBar>
#include <QtTest>

using tibbo::window::ScrollText;
using tibbo::window::test::leftHalfOf;

namespace {

// `lines` lines of `length` characters each, every line ended by CR LF.
std::u32string linesOf(int lines, int length, char32_t c = U'字')
{
    std::u32string text;
    for (int i = 0; i < lines; ++i) {
        text.append(static_cast<size_t>(length), static_cast<char32_t>(c + (i % 20)));
        text += U"\r\n";
    }
    return text;
}

} // namespace

class ScrollTextTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScrollText> m_text;

    bool onShow(int64_t position) const
    {
        const QRect r = m_text->characterRect(position);
        return !r.isEmpty() && r.top() >= 0 && r.bottom() < m_text->viewport()->height();
    }

  private slots:
    void init()
    {
        m_text = std::make_unique<ScrollText>();
        QFont font(QStringLiteral("Noto Serif CJK SC"));
        font.setPixelSize(14);
        m_text->setFont(font);
        m_text->resize(300, 200);
        m_text->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_text.get()));
    }

    void cleanup() { m_text.reset(); }

    void emptyText_everyPositionIsZero()
    {
        m_text->setBookText(U"");
        QCOMPARE(m_text->textLength(), 0);
        QCOMPARE(m_text->positionAt(QPoint(5, 5)), 0);
        QCOMPARE(m_text->positionAt(QPoint(250, 180)), 0);
        m_text->setSelection(5, 1);
        QCOMPARE(m_text->selectionStart(), 0);
        QCOMPARE(m_text->selectionLength(), 0);
        QCOMPARE(m_text->topPosition(), 0);
    }

    void lineEnds_countTwoCharacters()
    {
        // CR and LF are characters of the text, as in the book text scroll mode copies.
        m_text->setBookText(U"AB\r\nCD\r\n");
        QCOMPARE(m_text->textLength(), 8);
        QCOMPARE(m_text->positionAt(leftHalfOf(*m_text, 4)), 4);
        // Right of a line's last character: the caret before its CR.
        const QRect b = m_text->characterRect(1);
        QCOMPARE(m_text->positionAt(QPoint(b.right() + 60, b.center().y())), 2);
        // Below the last row: the end of the text.
        QCOMPARE(m_text->positionAt(QPoint(10, 190)), 8);
    }

    void clickPoint_mapsToPosition_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int64_t>("position");
        // A position at a row's start after wrapping catches an off-by-one between the
        // rows of one line; the surrogate pairs catch UTF-16 indexes taken for positions.
        QTest::newRow("first character") << "short" << int64_t{0};
        QTest::newRow("second line start") << "short" << int64_t{12};
        QTest::newRow("mid line") << "short" << int64_t{17};
        QTest::newRow("long line, second row") << "long" << int64_t{-1};
        QTest::newRow("long line, deep inside") << "long" << int64_t{1500};
        QTest::newRow("after surrogate pairs") << "pairs" << int64_t{7};
    }

    void clickPoint_mapsToPosition()
    {
        QFETCH(QString, kind);
        QFETCH(int64_t, position);
        if (kind == QLatin1String("short")) {
            m_text->setBookText(linesOf(30, 10));
        } else if (kind == QLatin1String("long")) {
            m_text->setBookText(linesOf(1, 20000) + linesOf(3, 5));
        } else {
            std::u32string text = U"ab";
            text.append(5, char32_t{0x20000}); // CJK Extension B, two UTF-16 units each
            text += U"cd\r\nef";
            m_text->setBookText(text);
        }
        if (position < 0) {
            // The first character of the long line's second row.
            const int y0 = m_text->characterRect(0).top();
            position = 1;
            while (m_text->characterRect(position).top() == y0)
                ++position;
        }
        m_text->setSelection(position, 1);
        QVERIFY(onShow(position));
        QCOMPARE(m_text->positionAt(leftHalfOf(*m_text, position)), position);
    }

    void longLine_selectionDeepInsideIsOnShow()
    {
        m_text->setBookText(linesOf(2, 12000));
        for (int64_t p : {int64_t{0}, int64_t{6000}, int64_t{11999}, int64_t{12000}, int64_t{12002},
                          int64_t{23999}}) {
            m_text->setSelection(p, 1);
            QVERIFY2(onShow(p), qPrintable(QString::number(p)));
        }
        // The top row starts inside the long line: the view scrolls by rows, not lines.
        m_text->setSelection(6000, 1);
        QVERIFY(m_text->topPosition() > 0);
        QVERIFY(m_text->topPosition() <= 6000);
    }

    void steppingSelection_staysOnShowAndCreepsRowByRow()
    {
        m_text->setBookText(linesOf(200, 8));
        // Ten characters a line: the selection passes the bottom row after a screen.
        const int rows = m_text->visibleRows();
        const int rowHeight = m_text->characterRect(0).height();
        int64_t previousTop = 0;
        for (int64_t p = 1; p < 10 * (rows + 5); ++p) {
            m_text->setSelection(p, 1);
            QVERIFY2(onShow(p), qPrintable(QString::number(p)));
            const int64_t top = m_text->topPosition();
            // Never more than one line at a time: the text creeps, it does not jump.
            QVERIFY(top == previousTop || top == previousTop + 10);
            previousTop = top;
        }
        QVERIFY(previousTop > 0);
        // The selection moved on from the bottom row into the next one: it is now the
        // bottom row of the view.
        QVERIFY(m_text->characterRect(m_text->selectionStart()).bottom() >
                m_text->viewport()->height() - 2 * rowHeight - 1);
    }

    void jumpAndWrap_putTheRowAtTheTop()
    {
        m_text->setBookText(linesOf(500, 8));
        m_text->setSelection(2000, 1);
        QCOMPARE(m_text->topPosition(), 2000);
        QCOMPARE(m_text->characterRect(2000).top(), 0);
        // Back to the start, as a step past the end does.
        m_text->setSelection(1, 1);
        QCOMPARE(m_text->topPosition(), 0);
    }

    void endOfText_lastRowStaysAtTheBottom()
    {
        m_text->setBookText(linesOf(500, 8));
        m_text->setSelection(m_text->textLength() - 3, 1);
        QVERIFY(onShow(m_text->textLength() - 3));
        // The view stops where the last row (the empty one after the last CR LF) is the
        // bottom row; it does not run on into blank space.
        const int rows = m_text->visibleRows();
        QCOMPARE(m_text->topPosition(), 5000 - 10 * (rows - 1));
        QCOMPARE(m_text->verticalScrollBar()->value(), m_text->topPosition());
        QCOMPARE(m_text->verticalScrollBar()->maximum(), m_text->topPosition());
    }

    void scrollBar_runsOverPositions()
    {
        m_text->setBookText(linesOf(500, 8));
        QScrollBar *bar = m_text->verticalScrollBar();
        // A drag to the middle shows the row that holds the middle character.
        bar->setValue(2503);
        QCOMPARE(m_text->topPosition(), 2500);
        // The arrow moves one row.
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_text->topPosition(), 2510);
        QCOMPARE(bar->value(), 2510);
    }

    void narrowerView_keepsSelectionOnShow()
    {
        m_text->setBookText(linesOf(100, 60));
        m_text->setSelection(3000, 1);
        QVERIFY(onShow(3000));
        m_text->resize(150, 200);
        QVERIFY(onShow(3000));
        QFont bigger = m_text->font();
        bigger.setPixelSize(24);
        m_text->setFont(bigger);
        QVERIFY(onShow(3000));
    }

    void mouseClick_movesCaretAndSignals()
    {
        m_text->setBookText(linesOf(30, 10));
        m_text->setSelection(0, 0);
        QSignalSpy clicks(m_text.get(), &ScrollText::clicked);
        const QPoint at = leftHalfOf(*m_text, 19);
        QTest::mouseClick(m_text->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(m_text->selectionStart(), 19);
        QCOMPARE(m_text->selectionLength(), 0);
        // The right button neither moves the caret nor counts as a click.
        QTest::mouseClick(m_text->viewport(), Qt::RightButton, {}, leftHalfOf(*m_text, 2));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(m_text->selectionStart(), 19);
    }
};

QTEST_MAIN(ScrollTextTest)
#include "scrolltext_test.moc"
