#pragma once
// One display line of a page. It sizes itself to its text; a press on it is a press on
// that line, a press beside it falls through to the page behind. The text is laid out
// once when it is set and drawn from that layout, so a page turn repaints a spread of
// lines cheaply.
//
// A plain line is drawn as the font sets the whole text. A line of fine typesetting is
// drawn character by character at the places the core gave it (text/lineplacement.h):
// the glyphs the face holds as one glyph run, any other character on its own, so the
// font's fallback still finds it.

#include "text/lineplacement.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QRectF>
#include <QStaticText>
#include <QWidget>

#include <vector>

namespace tibbo::window {

class LineLabel : public QWidget
{
    Q_OBJECT
  public:
    LineLabel(int index, QWidget *parent = nullptr);
    int index() const { return m_index; }
    // Sets the text, drawn as the label's font sets it, and fits the label's size to it.
    // `places` says where each character stands (for a click or a tint); the same font's
    // advances, one after the other.
    void setText(const QString &text, core::PlacedLine places = {});
    // Sets the text, each character drawn at its place in `font` (the page font or its
    // bold face), and fits the label's size to the places.
    void setPlacedText(const QString &text, core::PlacedLine places, const QFont &font);
    QString text() const { return m_textString; }
    void clear() { setText(QString()); }
    // Where each character of the text stands, pixels from the label's left edge.
    const core::PlacedLine &places() const { return m_places; }
    // Whether the text is drawn at its places (fine typesetting) and in which face.
    bool drawnAtPlaces() const { return m_placed; }
    QFont drawnFont() const { return m_placed ? m_placedFont : font(); }
    // Highlight of a chosen line; a redraw makes every label transparent again.
    void setHighlighted(bool on);
    bool highlighted() const { return m_highlighted; }
    void setColours(const QColor &text, const QColor &highlight);
    // A plain text wider than `width` is drawn narrowed to it (a row of the book in the
    // other script whose words grew, so it keeps within its page); 0: always as wide as it
    // is. A text drawn at its places keeps them.
    void setFitWidth(double width);
    // The width the text is drawn at.
    double drawnWidth() const;

    // A soft band behind characters [firstColumn, firstColumn + columns) of the text (a
    // sentence read aloud, a selection, a search hit): drawn over the highlight, under
    // the text.
    struct Band
    {
        int firstColumn = 0;
        int columns = 0;
        QColor colour;
        friend bool operator==(const Band &, const Band &) = default;
    };
    void setBands(std::vector<Band> bands);
    const std::vector<Band> &bands() const { return m_bands; }
    // Where a band over these columns is drawn, in the label's coordinates: over the
    // characters' boxes, so on a justified line it covers the room spread after them too.
    QRectF bandRect(int firstColumn, int columns) const;

    // The one place that says where the characters of the line are drawn: the x of the
    // left edge of character `column`'s box (the line's width for a column at its end), in
    // the label's coordinates, from the line's places. Bands, the pointer's character and
    // the marks beside text all take it from here.
    double xOfColumn(int column) const;
    // The character whose box holds `x`: the first for an x before the text, the last for
    // one past it; 0 for an empty line.
    int columnAt(double x) const;
    // Characters of the line (a character beyond the Basic Multilingual Plane counts one).
    int columnCount() const;

  signals:
    void mouseDown(int index, Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void layOut();
    void prepareGlyphs();

    // A character the glyph run cannot hold (not in the face, or beyond the BMP where the
    // face maps it differently): drawn on its own at its pen position.
    struct LoneCharacter
    {
        double x;
        QString text;
    };

    int m_index;
    QString m_textString;
    core::PlacedLine m_places;
    bool m_placed = false;
    QStaticText m_text;
    QFont m_placedFont;
    QGlyphRun m_glyphs;
    std::vector<LoneCharacter> m_lone;
    double m_baseline = 0;
    double m_fitWidth = 0;
    std::vector<Band> m_bands;
    bool m_highlighted = false;
    QColor m_textColour{Qt::black};
    QColor m_highlightColour{255, 232, 233};
};

} // namespace tibbo::window
