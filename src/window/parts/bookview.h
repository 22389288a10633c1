#pragma once
// The open book: two page backgrounds, the edge strips beside them, the display lines
// of both pages, the page numbers and the bookmark icon. It covers the whole window and
// lies under every other part. It shows what the core says a spread holds and reports
// presses; it never moves the reader's place itself.

#include "navigation/pagemoves.h"
#include "script/displaytext.h"
#include "settings/pagelayoutcheck.h"
#include "text/spread.h"
#include "theme.h"

#include <QFont>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QLabel;

namespace tibbo::core {
struct CutRules;
struct ReaderState;
} // namespace tibbo::core

namespace tibbo::window {

class FontMeasurer;
class LineLabel;
class Picture;

class BookView : public QWidget
{
    Q_OBJECT
  public:
    enum class Page { Left, Right };

    explicit BookView(QWidget *parent);
    ~BookView() override;

    // The design's page font: 宋体 10.5 pt, or the first installed Song-style CJK face
    // where that family is missing.
    static QFont designFont();

    void setPageFont(const QFont &font);
    QFont pageFont() const { return m_font; }
    // Where the rules the line list was cut with come from: the headings and the forced
    // line ends of fine typesetting. Without it every row is set as prose.
    void setCutRules(std::function<const core::CutRules &()> rules);

    // Characters per line and lines per page of the current size, font, margins and
    // spacing, stored in the state (the previous characters per line are kept too).
    void measureCapacity(core::ReaderState &state);
    // The size of the pages and the measurements of `font` for the check of page values.
    core::PageFigures pageFigures(const QFont &font) const;
    // Fills the line labels with the spread starting at state.topLine and puts the
    // bookmark icon beside the last bookmarked line on show. Each row is set by
    // core::placeLine in its page's text frame: as the font sets it, or with fine
    // typesetting spread to the measure, its marks compressed, headings in bold.
    void showSpread(core::ReaderState &state);
    // The saved spread of a restart, painted from the part of settings.ini that holds it
    // while the whole book is read (see SettingsExcerpt): `excerpt` holds that part and
    // the page values, `spread` its rows with the saved place's page numbers and
    // bookmarks, in the book's own script. The next showSpread replaces it.
    void showStoredSpread(core::ReaderState &excerpt, core::Spread spread);
    // Where the rows' text comes from when the book is shown in another script: the
    // display layer of the book on show (nothing: the book's own text).
    void setDisplayText(std::function<const core::DisplayText &()> display);
    // The colours of the pages, the lines and the page numbers.
    void setTheme(Theme theme);
    // Hides every line (a new book is on its way).
    void hideLines();
    // The chosen line gets the highlight; the one chosen before loses it.
    void highlightLine(int index);
    // Where display line `index` of the spread is drawn, in the book view's coordinates
    // (which are the window's); empty when there is no such line.
    QRect lineGeometry(int index) const;
    // Display line `index` of the spread: its text, and where each of its characters is
    // drawn (LineLabel::places, from the label's left edge); null when there is none.
    const LineLabel *line(int index) const;
    void hideBookmarkIcon();
    // Puts the bookmark icon beside line `index` of the spread on show.
    void showBookmarkIcon(int index);
    // Marks characters [from, to) of the paragraph text with a band of `kind` wherever
    // a spread shows them, across display lines and the fold; the ranges replace those
    // of that kind before (none: the mark goes).
    struct Range
    {
        int64_t from = 0;
        int64_t to = 0;
    };
    void setMarks(TextMark kind, std::vector<Range> ranges);
    // Small marks after the last character of each note's highlight, wherever a spread
    // shows it, with the note as their tooltip; the list replaces the one before. `at` is
    // that character's offset in the paragraph text.
    struct NoteMark
    {
        int64_t at = 0;
        QString text;
    };
    void setNoteMarks(std::vector<NoteMark> marks);
    // The note marks on the spread on show (for tests and the pointer).
    std::vector<const QWidget *> noteMarksOnShow() const;
    // Where the reader is, in the footer beside the page numbers (no row of text gives way
    // to it): `chapter` on the left page after its number, `progress` on the right page
    // before its number, its parts (the percentage, and any further figure such as the
    // time left) set apart by spaces. Each is cut with an ellipsis where it would reach
    // the fold; the whole text is then its tooltip.
    void setPlaceCaptions(const QString &chapter, const QStringList &progress);
    // Whether those captions are shown at all.
    void setPlaceCaptionsShown(bool shown);

    // The character under `at` (the book view's coordinates) on the spread on show: on the
    // page the point lies over, the nearest row and on it the nearest character; a row
    // past the book's end gives the last character on show. Nothing before a spread is
    // on show or for a book without text.
    std::optional<int64_t> characterAt(QPoint at) const;
    // The side a dragging pointer has reached: over an edge strip or past the window's
    // left or right side.
    std::optional<core::EdgeStrip> edgeAt(QPoint at) const;
    // Where characters [from, to) are drawn on the spread on show, in the book view's
    // coordinates: the rectangle around their bands; empty when none is on show.
    QRect areaOf(int64_t from, int64_t to) const;

  signals:
    void pagePressed(tibbo::window::BookView::Page page, Qt::MouseButton button);
    // fraction: where along the strip's width the press landed, 0 .. 1.
    void edgePressed(tibbo::core::EdgeStrip strip, double fraction);
    void linePressed(int index, Qt::MouseButton button);
    void bookmarkIconDoubleClicked();
    // A spread was put on show (a turn, a jump, a re-flow).
    void spreadShown();
    // The stored spread of a restart is on show (showStoredSpread).
    void storedSpreadShown();
    // With Ctrl held, on the text of the pages (a line or the page behind it): a press of
    // the left button (`extend`: with Shift too), the moves and the release of the drag
    // that follows, and a double-click. Without Ctrl a press stays a press on a line or
    // a page, as ever; the edge strips never select.
    void selectPressed(QPoint at, bool extend);
    void selectMoved(QPoint at);
    void selectReleased(QPoint at);
    void wordPressed(QPoint at);

  protected:
    void resizeEvent(QResizeEvent *event) override;
    // Ctrl with the mouse on a line or a page selects instead of choosing or turning.
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void showRows(core::ReaderState &state, core::Spread spread, bool ofTheBook);
    void ensureLineLabels(int count);
    // Draws the marks on the spread on show.
    void applyMarks();
    void placeNoteMarks();
    double lineHeight() const;
    // Fits the place captions between the page numbers and the fold.
    void layOutPlaceCaptions();

    QFont m_font;
    std::unique_ptr<FontMeasurer> m_measurer;
    std::function<const core::CutRules &()> m_cutRules;
    Picture *m_leftEdge = nullptr;
    Picture *m_rightEdge = nullptr;
    Picture *m_leftPage = nullptr;
    Picture *m_rightPage = nullptr;
    QLabel *m_leftPageNumber = nullptr;
    QLabel *m_rightPageNumber = nullptr;
    QLabel *m_chapterCaption = nullptr;
    QLabel *m_progressCaption = nullptr;
    QString m_chapterText;
    QString m_progressText;
    bool m_placeCaptionsShown = true;
    Picture *m_bookmarkIcon = nullptr;
    std::vector<LineLabel *> m_lines;
    int m_linesPerPage = 1;
    std::function<const core::DisplayText &()> m_display;
    int m_highlighted = -1;
    double m_runWidth = 0; // width of a full display line in the page font
    ThemeColours m_colours = coloursOf(Theme::Day);
    Theme m_theme = Theme::Day;
    std::map<TextMark, std::vector<Range>> m_marks;
    // In book order; the markers on show are taken from a pool that only grows.
    std::vector<NoteMark> m_noteMarks;
    std::vector<QWidget *> m_noteMarkers;
    // The state of the spread on show (the window's, alive as long as the view).
    const core::ReaderState *m_shown = nullptr;
    // Where the rows of the spread on show lie: the first row's top and the pitch.
    double m_rowsTop = 0;
    double m_rowPitch = 1;
    // A Ctrl drag is under way: its moves and release are the selection's.
    bool m_selecting = false;
    // The release after a Ctrl double-click belongs to it.
    bool m_swallowRelease = false;
};

} // namespace tibbo::window
