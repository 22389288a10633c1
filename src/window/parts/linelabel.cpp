#include "linelabel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>
#include <QtMath>

#include <algorithm>

namespace tibbo::window {

namespace {

// The face that draws Chinese text in `font` (the family itself, or the one the font's
// fallback takes for Han characters), found once for each font.
QRawFont rawFontOf(const QFont &font)
{
    static QHash<QString, QRawFont> faces;
    const QString key = font.key();
    auto it = faces.find(key);
    if (it == faces.end())
        it = faces.insert(key, QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese));
    return *it;
}

} // namespace

LineLabel::LineLabel(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    m_text.setTextFormat(Qt::PlainText);
    m_text.setPerformanceHint(QStaticText::AggressiveCaching);
}

void LineLabel::setText(const QString &text, core::PlacedLine places)
{
    m_places = std::move(places);
    if (!m_placed && text == m_textString)
        return;
    m_placed = false;
    m_glyphs.clear();
    m_lone.clear();
    m_textString = text;
    m_text.setText(text);
    layOut();
}

void LineLabel::setPlacedText(const QString &text, core::PlacedLine places, const QFont &font)
{
    m_placed = true;
    m_textString = text;
    m_places = std::move(places);
    m_placedFont = font;
    m_text.setText(QString());
    prepareGlyphs();
    const double height =
        std::max(QFontMetricsF(font).height(), QFontMetricsF(this->font()).height());
    resize(qCeil(m_places.width), qCeil(height));
    update();
}

void LineLabel::prepareGlyphs()
{
    m_glyphs.clear();
    m_lone.clear();
    m_baseline = QFontMetricsF(m_placedFont).ascent();
    const auto &places = m_places.chars;
    const qsizetype units = m_textString.size();
    // One UTF-16 unit a character: the face maps the units one to one. A character beyond
    // the BMP (two units) is drawn with the others on their own.
    const bool oneUnitEach = static_cast<size_t>(units) == places.size();
    const QRawFont face = rawFontOf(m_placedFont);
    QList<quint32> indexes(units);
    int found = static_cast<int>(units);
    if (!oneUnitEach || !face.isValid() ||
        !face.glyphIndexesForChars(m_textString.constData(), static_cast<int>(units),
                                   indexes.data(), &found) ||
        found != units)
        indexes.fill(0);
    QList<quint32> runGlyphs;
    QList<QPointF> runPositions;
    runGlyphs.reserve(units);
    runPositions.reserve(units);
    const std::u32string characters = m_textString.toStdU32String();
    for (size_t i = 0; i < places.size() && i < characters.size(); ++i) {
        const double x = places[i].glyphX;
        const quint32 glyph = oneUnitEach ? indexes[static_cast<qsizetype>(i)] : 0;
        if (glyph != 0) {
            runGlyphs.push_back(glyph);
            runPositions.push_back(QPointF(x, m_baseline));
        } else {
            const char32_t c = characters[i];
            m_lone.push_back({x, QString::fromUcs4(&c, 1)});
        }
    }
    if (runGlyphs.isEmpty())
        return;
    m_glyphs.setRawFont(face);
    m_glyphs.setGlyphIndexes(runGlyphs);
    m_glyphs.setPositions(runPositions);
    m_glyphs.setUnderline(m_placedFont.underline());
    m_glyphs.setStrikeOut(m_placedFont.strikeOut());
}

void LineLabel::layOut()
{
    m_text.prepare(QTransform(), font());
    const QFontMetricsF metrics(font());
    const QSizeF textSize = m_text.size();
    resize(qCeil(drawnWidth()), qCeil(std::max(textSize.height(), metrics.height())));
    update();
}

void LineLabel::setFitWidth(double width)
{
    if (width == m_fitWidth)
        return;
    m_fitWidth = width;
    if (!m_placed)
        layOut();
}

double LineLabel::drawnWidth() const
{
    if (m_placed)
        return m_places.width;
    const double natural = m_text.size().width();
    return m_fitWidth > 0 ? std::min(natural, m_fitWidth) : natural;
}

void LineLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && !m_placed)
        layOut();
    QWidget::changeEvent(event);
}

void LineLabel::setHighlighted(bool on)
{
    if (on == m_highlighted)
        return;
    m_highlighted = on;
    update();
}

void LineLabel::setBands(std::vector<Band> bands)
{
    if (bands == m_bands)
        return;
    m_bands = std::move(bands);
    update();
}

QRectF LineLabel::bandRect(int firstColumn, int columns) const
{
    const double left = xOfColumn(firstColumn);
    const double right = xOfColumn(firstColumn + columns);
    return QRectF(left, 0, right - left, height());
}

double LineLabel::xOfColumn(int column) const
{
    const auto &places = m_places.chars;
    if (column <= 0 || m_textString.isEmpty())
        return 0;
    if (!places.empty())
        return static_cast<size_t>(column) < places.size() ? places[static_cast<size_t>(column)].x
                                                           : m_places.width;
    // No places (a line set before its places were known): the font's advances, a
    // character beyond the Basic Multilingual Plane two units of the text.
    qsizetype units = 0;
    for (int c = 0; c < column && units < m_textString.size(); ++c)
        units += m_textString[units].isHighSurrogate() ? 2 : 1;
    return QFontMetricsF(drawnFont()).horizontalAdvance(m_textString.left(units));
}

int LineLabel::columnCount() const
{
    if (!m_places.chars.empty())
        return static_cast<int>(m_places.chars.size());
    return static_cast<int>(m_textString.toStdU32String().size());
}

int LineLabel::columnAt(double x) const
{
    const int columns = columnCount();
    // The last column whose left edge lies at or before x.
    int low = 0, high = columns - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (xOfColumn(middle) <= x)
            low = middle;
        else
            high = middle - 1;
    }
    return std::max(low, 0);
}

void LineLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_highlighted)
        p.fillRect(rect(), m_highlightColour);
    const double natural = m_text.size().width();
    if (!m_placed && natural > 0 && drawnWidth() < natural)
        p.scale(drawnWidth() / natural, 1.0);
    if (!m_bands.empty()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        for (const Band &band : m_bands) {
            p.setBrush(band.colour);
            p.drawRoundedRect(bandRect(band.firstColumn, band.columns).adjusted(-1, 0, 1, 0), 3, 3);
        }
    }
    p.setPen(m_textColour);
    if (!m_placed) {
        p.drawStaticText(QPointF(0, 0), m_text);
        return;
    }
    if (!m_glyphs.isEmpty())
        p.drawGlyphRun(QPointF(0, 0), m_glyphs);
    if (!m_lone.empty()) {
        p.setFont(m_placedFont);
        for (const LoneCharacter &c : m_lone)
            p.drawText(QPointF(c.x, m_baseline), c.text);
    }
}

void LineLabel::setColours(const QColor &text, const QColor &highlight)
{
    m_textColour = text;
    m_highlightColour = highlight;
    update();
}

void LineLabel::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(m_index, event->button());
}

} // namespace tibbo::window
