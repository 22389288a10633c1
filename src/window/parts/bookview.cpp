#include "bookview.h"

#include "fontmeasurer.h"
#include "linelabel.h"
#include "qtext.h"
#include "widgets.h"

#include "pages/pages.h"
#include "script/displayspread.h"
#include "state/readerstate.h"
#include "text/lineplacement.h"
#include "text/selectiontext.h"
#include "text/spread.h"
#include "text/spreadmarks.h"
#include "text/typesetting.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tibbo::window {

namespace {

constexpr int kEdgeWidth = 28;
constexpr int kFirstLabels = 101;
constexpr int kNoteMarkSize = 9;

// The characters of the spread on show; none before a line list exists.
core::CharacterRange shownRange(const core::ReaderState &state)
{
    return state.lineEnds.empty() ? core::CharacterRange{} : core::charactersOnShow(state);
}

// The mark of a note: a small folded corner in the theme's page-number colour, the note
// its tooltip.
class NoteMarker : public QWidget
{
  public:
    explicit NoteMarker(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("noteMark"));
        resize(kNoteMarkSize, kNoteMarkSize);
    }
    void setColour(const QColor &colour)
    {
        m_colour = colour;
        update();
    }

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_colour);
        const QPointF corner[] = {
            {0, 0}, {double(width()), 0}, {double(width()), double(height())}};
        p.drawPolygon(corner, 3);
    }

  private:
    QColor m_colour;
};

// A note as a tooltip: shown as text, whatever marks it holds, its line breaks kept.
QString noteTooltip(const QString &note)
{
    return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(note.toHtmlEscaped());
}

} // namespace

// Linux rarely has a family named 宋体 and would answer it with a Latin face, so the
// page starts in the installed face closest to it.
QFont BookView::designFont()
{
    QFont font(songFamily());
    font.setPointSizeF(core::defaults::kFontSize);
    return font;
}

BookView::BookView(QWidget *parent)
    : QWidget(parent), m_measurer(std::make_unique<FontMeasurer>(m_font))
{
    setObjectName(QStringLiteral("bookView"));
    m_leftEdge = new Picture(QStringLiteral(":/art/edge-left.svg"), this);
    m_leftEdge->setObjectName(QStringLiteral("leftEdge"));
    m_leftEdge->setToolTip(QStringLiteral("翻到第一页"));
    m_rightEdge = new Picture(QStringLiteral(":/art/edge-right.svg"), this);
    m_rightEdge->setObjectName(QStringLiteral("rightEdge"));
    m_rightEdge->setToolTip(QStringLiteral("转到最后一页"));
    m_leftPage = new Picture(QStringLiteral(":/art/page-left.svg"), this);
    m_leftPage->setObjectName(QStringLiteral("leftPage"));
    m_leftPage->setToolTip(QStringLiteral("左翻页"));
    m_rightPage = new Picture(QStringLiteral(":/art/page-right.svg"), this);
    m_rightPage->setObjectName(QStringLiteral("rightPage"));
    m_rightPage->setToolTip(QStringLiteral("右翻页"));

    const auto edge = [this](Picture *strip, core::EdgeStrip side) {
        strip->setMouseTracking(true);
        // The quarters are fractions of the strip's width.
        const auto fraction = [strip](QPointF at) { return at.x() / std::max(strip->width(), 1); };
        connect(strip, &Picture::mouseDown, this,
                [this, side, fraction](Qt::MouseButton, QPointF p) {
                    emit edgePressed(side, fraction(p));
                });
        connect(strip, &Picture::mouseMove, this,
                [strip, side, fraction](Qt::MouseButtons, QPointF p) {
                    strip->setToolTip(qs(core::edgeTooltipAt(side, fraction(p))));
                });
    };
    edge(m_leftEdge, core::EdgeStrip::Left);
    edge(m_rightEdge, core::EdgeStrip::Right);
    connect(m_leftPage, &Picture::mouseDown, this,
            [this](Qt::MouseButton b, QPointF) { emit pagePressed(Page::Left, b); });
    connect(m_rightPage, &Picture::mouseDown, this,
            [this](Qt::MouseButton b, QPointF) { emit pagePressed(Page::Right, b); });
    m_leftPage->installEventFilter(this);
    m_rightPage->installEventFilter(this);

    ensureLineLabels(kFirstLabels);

    m_leftPageNumber = new QLabel(QStringLiteral("第000页"), this);
    m_leftPageNumber->setObjectName(QStringLiteral("leftPageNumber"));
    m_rightPageNumber = new QLabel(QStringLiteral("第000页"), this);
    m_rightPageNumber->setObjectName(QStringLiteral("rightPageNumber"));
    for (QLabel *number : {m_leftPageNumber, m_rightPageNumber}) {
        number->setAlignment(Qt::AlignCenter);
        number->setAttribute(Qt::WA_TranslucentBackground);
        number->setStyleSheet("color: #6b5a44;");
        number->resize(70, 16);
    }
    m_chapterCaption = new QLabel(this);
    m_chapterCaption->setObjectName(QStringLiteral("chapterCaption"));
    m_chapterCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_progressCaption = new QLabel(this);
    m_progressCaption->setObjectName(QStringLiteral("progressCaption"));
    m_progressCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel *caption : {m_chapterCaption, m_progressCaption}) {
        caption->setAttribute(Qt::WA_TranslucentBackground);
        caption->setStyleSheet("color: #6b5a44;");
        caption->setTextFormat(Qt::PlainText);
    }

    m_bookmarkIcon = new Picture(QStringLiteral(":/art/bookmark-icon.svg"), this);
    m_bookmarkIcon->setObjectName(QStringLiteral("bookmarkIcon"));
    m_bookmarkIcon->setToolTip(QStringLiteral("双击可以删除这个书签"));
    m_bookmarkIcon->hide();
    connect(m_bookmarkIcon, &Picture::doubleClicked, this, &BookView::bookmarkIconDoubleClicked);
}

void BookView::ensureLineLabels(int count)
{
    // Line labels lie on the page backgrounds, under the page numbers and the icon.
    while (static_cast<int>(m_lines.size()) < count) {
        auto *label = new LineLabel(static_cast<int>(m_lines.size()), this);
        label->setObjectName(QStringLiteral("line%1").arg(m_lines.size()));
        label->setFont(m_font);
        if (m_leftPageNumber)
            label->stackUnder(m_leftPageNumber);
        connect(label, &LineLabel::mouseDown, this, &BookView::linePressed);
        label->installEventFilter(this);
        label->setColours(m_colours.text, m_colours.highlight);
        label->hide();
        m_lines.push_back(label);
    }
}

void BookView::setTheme(Theme theme)
{
    m_theme = theme;
    m_colours = coloursOf(theme);
    for (Picture *art : {m_leftEdge, m_rightEdge, m_leftPage, m_rightPage})
        art->setTint(m_colours.pageTint);
    for (LineLabel *label : m_lines)
        label->setColours(m_colours.text, m_colours.highlight);
    const QString numberStyle = QStringLiteral("color: %1;").arg(m_colours.pageNumber.name());
    for (QLabel *label : {m_leftPageNumber, m_rightPageNumber, m_chapterCaption, m_progressCaption})
        label->setStyleSheet(numberStyle);
    applyMarks();
}

void BookView::setMarks(TextMark kind, std::vector<Range> ranges)
{
    if (ranges.empty())
        m_marks.erase(kind);
    else
        m_marks[kind] = std::move(ranges);
    applyMarks();
}

void BookView::applyMarks()
{
    std::vector<std::vector<LineLabel::Band>> bands(m_lines.size());
    if (m_shown) {
        // Only ranges that reach the spread are cut into rows: a book may hold thousands.
        const core::CharacterRange shown = shownRange(*m_shown);
        for (const auto &[kind, ranges] : m_marks)
            for (const Range &range : ranges) {
                if (range.to <= shown.from || range.from >= shown.to)
                    continue;
                std::vector<core::RowRun> runs =
                    core::rowRunsOnShow(*m_shown, range.from, range.to);
                if (m_display)
                    core::showRunsInScript(runs, *m_shown, m_display());
                for (const core::RowRun &run : runs)
                    if (static_cast<size_t>(run.row) < bands.size())
                        bands[static_cast<size_t>(run.row)].push_back(
                            {static_cast<int>(run.firstColumn), static_cast<int>(run.columns),
                             markColour(m_theme, kind)});
            }
    }
    for (size_t k = 0; k < m_lines.size(); ++k)
        m_lines[k]->setBands(std::move(bands[k]));
    placeNoteMarks();
}

void BookView::setNoteMarks(std::vector<NoteMark> marks)
{
    std::sort(marks.begin(), marks.end(),
              [](const NoteMark &a, const NoteMark &b) { return a.at < b.at; });
    m_noteMarks = std::move(marks);
    placeNoteMarks();
}

void BookView::placeNoteMarks()
{
    size_t used = 0;
    if (m_shown && !m_noteMarks.empty()) {
        const core::CharacterRange shown = shownRange(*m_shown);
        auto it = std::lower_bound(m_noteMarks.begin(), m_noteMarks.end(), shown.from,
                                   [](const NoteMark &m, int64_t from) { return m.at < from; });
        for (; it != m_noteMarks.end() && it->at < shown.to; ++it) {
            const QRect at = areaOf(it->at, it->at + 1);
            if (at.isEmpty())
                continue;
            if (used == m_noteMarkers.size())
                m_noteMarkers.push_back(new NoteMarker(this));
            auto *marker = static_cast<NoteMarker *>(m_noteMarkers[used++]);
            marker->setColour(m_colours.pageNumber);
            marker->setToolTip(noteTooltip(it->text));
            // Over the top right corner of the character, like a folded corner.
            marker->move(at.right() - kNoteMarkSize / 2, at.top() - kNoteMarkSize / 2);
            marker->show();
            marker->raise();
        }
    }
    for (size_t k = used; k < m_noteMarkers.size(); ++k)
        m_noteMarkers[k]->hide();
}

std::vector<const QWidget *> BookView::noteMarksOnShow() const
{
    std::vector<const QWidget *> onShow;
    for (const QWidget *marker : m_noteMarkers)
        if (!marker->isHidden())
            onShow.push_back(marker);
    return onShow;
}

BookView::~BookView() = default;

void BookView::setPageFont(const QFont &font)
{
    m_font = font;
    m_measurer = std::make_unique<FontMeasurer>(font);
    for (LineLabel *label : m_lines)
        label->setFont(font);
}

void BookView::setCutRules(std::function<const core::CutRules &()> rules)
{
    m_cutRules = std::move(rules);
}

double BookView::lineHeight() const
{
    return m_measurer->lineHeight();
}

void BookView::resizeEvent(QResizeEvent *)
{
    const int W = width(), H = height();
    m_leftEdge->setGeometry(0, 0, kEdgeWidth, H);
    m_rightEdge->setGeometry(W - kEdgeWidth, 0, kEdgeWidth, H);
    // Pages narrower than nothing are left where they were.
    const int pageWidth = W / 2 - kEdgeWidth;
    if (pageWidth >= 0) {
        m_leftPage->setGeometry(kEdgeWidth, 0, pageWidth, H);
        m_rightPage->setGeometry(W / 2, 0, pageWidth, H);
    }
    m_leftPageNumber->move(kEdgeWidth + 10, H - m_leftPageNumber->height() - 2);
    m_rightPageNumber->move(W - m_leftPageNumber->x() - m_leftPageNumber->width(),
                            m_leftPageNumber->y());
    layOutPlaceCaptions();
}

void BookView::setPlaceCaptions(const QString &chapter, const QStringList &progress)
{
    QStringList parts = progress;
    parts.removeAll(QString());
    m_chapterText = chapter;
    m_progressText = parts.join(QStringLiteral("  "));
    layOutPlaceCaptions();
}

void BookView::setPlaceCaptionsShown(bool shown)
{
    m_placeCaptionsShown = shown;
    layOutPlaceCaptions();
}

void BookView::layOutPlaceCaptions()
{
    // The page numbers are centred in their labels: the captions keep a gap from the
    // numbers' ink and from the fold, whose shadow no text should touch.
    constexpr int kGap = 8;
    constexpr int kFoldGap = 14;
    const int W = width();
    const auto inkOf = [](const QLabel *number) {
        const int ink = number->fontMetrics().horizontalAdvance(number->text());
        const int left = number->x() + (number->width() - ink) / 2;
        return std::pair{left, left + ink};
    };
    const int leftNumberEnd = inkOf(m_leftPageNumber).second;
    const int rightNumberStart = inkOf(m_rightPageNumber).first;
    const int y = m_leftPageNumber->y();
    const int h = m_leftPageNumber->height();
    const auto place = [this](QLabel *caption, const QString &text, int left, int right, int y,
                              int h) {
        const int room = right - left;
        if (!m_placeCaptionsShown || text.isEmpty() || room <= 0) {
            caption->hide();
            return;
        }
        const QString shown = caption->fontMetrics().elidedText(text, Qt::ElideRight, room);
        caption->setText(shown);
        caption->setToolTip(shown == text ? QString() : text);
        caption->setGeometry(left, y, room, h);
        caption->show();
    };
    place(m_chapterCaption, m_chapterText, leftNumberEnd + kGap, W / 2 - kFoldGap, y, h);
    place(m_progressCaption, m_progressText, W / 2 + kFoldGap, rightNumberStart - kGap, y, h);
}

void BookView::measureCapacity(core::ReaderState &state)
{
    core::updateCapacity(state, *m_measurer, width(), height());
    m_runWidth = m_measurer->widthOfRun(state.charsPerLine);
}

core::PageFigures BookView::pageFigures(const QFont &font) const
{
    const FontMeasurer measurer(font);
    return {double(width()), double(height()), measurer.lineHeight(), measurer.widthOfRun(1)};
}

void BookView::showSpread(core::ReaderState &state)
{
    static const core::CutRules plainRules;
    const core::CutRules &rules = m_cutRules ? m_cutRules() : plainRules;
    showRows(state, core::buildSpread(state, rules), true);
}

void BookView::showStoredSpread(core::ReaderState &excerpt, core::Spread spread)
{
    showRows(excerpt, std::move(spread), false);
}

// `ofTheBook`: the spread of the book in the state; else the stored spread of a restart,
// shown as stored and followed by no part (the book is not in place yet).
void BookView::showRows(core::ReaderState &state, core::Spread spread, bool ofTheBook)
{
    // The rows as written: a converted row whose words grew (内存 → 記憶體) is narrowed to
    // the width its own row or a full row takes, so it keeps within its page.
    std::vector<std::u32string> written;
    if (ofTheBook && m_display && m_display().converting()) {
        written = spread.rows;
        core::showRowsInScript(spread, state, m_display());
    }
    const QFontMetricsF metrics(m_font);
    const int L = static_cast<int>(core::pageDivisor(state.linesPerPage));
    m_linesPerPage = L;
    ensureLineLabels(2 * L);
    const bool fine = state.fineTypesetting;
    const double W = width();
    const core::TextFrame frames[] = {core::pageTextFrame(core::PageSide::Left, W, state.leftMargin,
                                                          state.rightMargin, kEdgeWidth),
                                      core::pageTextFrame(core::PageSide::Right, W,
                                                          state.leftMargin, state.rightMargin,
                                                          kEdgeWidth)};
    const double pitch = lineHeight() + state.lineSpacing;
    const double headingDrop = core::headingDrop(pitch, m_measurer->widthOfRun(1));
    m_rowsTop = state.topMargin;
    m_rowPitch = pitch > 0 ? pitch : 1;
    for (int k = 0; k < 2 * L; ++k) {
        LineLabel *label = m_lines[static_cast<size_t>(k)];
        const bool left = k < L;
        const int row = left ? k : k - L;
        const core::TextFrame &frame = frames[left ? 0 : 1];
        const core::RowRole &role = spread.roles[static_cast<size_t>(k)];
        const std::u32string &text = spread.rows[static_cast<size_t>(k)];
        core::LineSetting setting;
        setting.fine = fine;
        setting.heading = fine && role.heading;
        setting.endsParagraph = role.endsParagraph;
        setting.measure = frame.measure;
        setting.hangRoom = frame.hangRoom;
        core::PlacedLine places = core::placeLine(text, setting, *m_measurer);
        // At a page's top the margin stands above a heading already.
        const double drop = setting.heading && row > 0 ? headingDrop : 0;
        label->move(qRound(frame.left), qRound(state.topMargin + row * pitch + drop));
        label->setHighlighted(false);
        if (fine)
            label->setPlacedText(qs(text), std::move(places),
                                 setting.heading ? m_measurer->boldFont() : m_font);
        else
            label->setText(qs(text), std::move(places));
        double fit = 0;
        if (!fine && static_cast<size_t>(k) < written.size() &&
            text.size() > written[static_cast<size_t>(k)].size())
            fit = std::max(m_runWidth,
                           metrics.horizontalAdvance(qs(written[static_cast<size_t>(k)])));
        label->setFitWidth(fit);
        label->show();
    }
    for (size_t k = static_cast<size_t>(2 * L); k < m_lines.size(); ++k) {
        m_lines[k]->clear();
        m_lines[k]->hide();
    }
    m_highlighted = -1;
    state.spreadCharCount = spread.charCount;
    state.lineChosen = false;
    m_leftPageNumber->setText(QString::fromStdString(core::pageCaption(spread.leftPage)));
    m_rightPageNumber->setText(QString::fromStdString(core::pageCaption(spread.leftPage + 1)));
    layOutPlaceCaptions();
    m_bookmarkIcon->hide();
    for (int64_t index : spread.bookmarkLabels)
        showBookmarkIcon(static_cast<int>(index));
    m_shown = &state;
    applyMarks();
    if (ofTheBook)
        emit spreadShown();
    else
        emit storedSpreadShown();
}

void BookView::setDisplayText(std::function<const core::DisplayText &()> display)
{
    m_display = std::move(display);
}

void BookView::hideLines()
{
    for (LineLabel *label : m_lines)
        label->hide();
}

void BookView::highlightLine(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size())
        return;
    if (m_highlighted >= 0 && static_cast<size_t>(m_highlighted) < m_lines.size())
        m_lines[static_cast<size_t>(m_highlighted)]->setHighlighted(false);
    m_lines[static_cast<size_t>(index)]->setHighlighted(true);
    m_highlighted = index;
}

QRect BookView::lineGeometry(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size())
        return QRect();
    return m_lines[static_cast<size_t>(index)]->geometry();
}

const LineLabel *BookView::line(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size())
        return nullptr;
    return m_lines[static_cast<size_t>(index)];
}

void BookView::hideBookmarkIcon()
{
    m_bookmarkIcon->hide();
}

void BookView::showBookmarkIcon(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size())
        return;
    const LineLabel *line = m_lines[static_cast<size_t>(index)];
    // Left of a left-page line, right of a full right-page line.
    if (index < m_linesPerPage)
        m_bookmarkIcon->move(line->x() - m_bookmarkIcon->width(), line->y());
    else // past the marks that hang in the margin too
        m_bookmarkIcon->move(line->x() + std::max(qCeil(m_runWidth), line->width()), line->y());
    m_bookmarkIcon->show();
    m_bookmarkIcon->raise();
}

bool BookView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint at = static_cast<QWidget *>(watched)->mapTo(this, mouse->position().toPoint());
    const bool ctrl = mouse->modifiers().testFlag(Qt::ControlModifier);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (!ctrl || mouse->button() != Qt::LeftButton)
            return false;
        m_selecting = true;
        emit selectPressed(at, mouse->modifiers().testFlag(Qt::ShiftModifier));
        return true;
    case QEvent::MouseButtonDblClick:
        if (!ctrl || mouse->button() != Qt::LeftButton)
            return false;
        m_selecting = false;
        m_swallowRelease = true;
        emit wordPressed(at);
        return true;
    case QEvent::MouseMove:
        if (!m_selecting)
            return false;
        emit selectMoved(at);
        return true;
    default:
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (m_swallowRelease) {
            m_swallowRelease = false;
            return true;
        }
        if (!m_selecting)
            return false;
        m_selecting = false;
        emit selectReleased(at);
        return true;
    }
}

std::optional<int64_t> BookView::characterAt(QPoint at) const
{
    if (!m_shown || m_shown->paragraphText.empty())
        return std::nullopt;
    const int L = m_linesPerPage;
    const bool leftPage = at.x() < width() / 2;
    const int row =
        std::clamp(static_cast<int>(std::floor((at.y() - m_rowsTop) / m_rowPitch)), 0, L - 1);
    const int index = leftPage ? row : L + row;
    if (static_cast<size_t>(index) >= m_lines.size())
        return std::nullopt;
    const LineLabel *line = m_lines[static_cast<size_t>(index)];
    const int column = line->columnAt(at.x() - line->x());
    if (const auto offset = core::characterOnRow(*m_shown, index, column))
        return offset;
    // Below the book's last line: its last character.
    const int64_t last = core::lastOffsetOnShow(*m_shown);
    return last >= 0 ? std::optional<int64_t>(last) : std::nullopt;
}

std::optional<core::EdgeStrip> BookView::edgeAt(QPoint at) const
{
    if (at.x() < m_leftEdge->x() + m_leftEdge->width())
        return core::EdgeStrip::Left;
    if (at.x() >= m_rightEdge->x())
        return core::EdgeStrip::Right;
    return std::nullopt;
}

QRect BookView::areaOf(int64_t from, int64_t to) const
{
    QRect area;
    if (!m_shown)
        return area;
    for (const core::RowRun &run : core::rowRunsOnShow(*m_shown, from, to)) {
        if (static_cast<size_t>(run.row) >= m_lines.size())
            continue;
        const LineLabel *line = m_lines[static_cast<size_t>(run.row)];
        const QRectF band =
            line->bandRect(static_cast<int>(run.firstColumn), static_cast<int>(run.columns));
        area |= band.translated(line->pos()).toAlignedRect();
    }
    return area;
}

} // namespace tibbo::window
