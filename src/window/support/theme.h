#pragma once
// The page themes: day (the paper as drawn), sepia (warmer paper for long reading) and
// night (dark pages, light text, a darker bubble). The night text keeps a contrast of
// about 10:1 on its page, well above 7:1.

#include <QColor>

namespace tibbo::window {

enum class Theme { Day = 0, Sepia = 1, Night = 2 };

struct ThemeColours
{
    QColor pageTint;   // laid over the page and edge artwork; invalid: as drawn
    QColor text;       // the display lines
    QColor highlight;  // behind a chosen line
    QColor pageNumber; // the page numbers at the foot of the pages
    QColor bubble;     // the mascot's speech bubble
};

inline ThemeColours coloursOf(Theme theme)
{
    switch (theme) {
    case Theme::Sepia:
        return {QColor(196, 150, 90, 70), QColor(70, 52, 36), QColor(240, 214, 190),
                QColor(110, 84, 56), QColor(0xC0, 0xC0, 0xFF)};
    case Theme::Night:
        return {QColor(28, 25, 22, 236), QColor(230, 220, 200), QColor(92, 70, 74),
                QColor(170, 160, 140), QColor(0x8C, 0x94, 0xC4)};
    case Theme::Day:
        break;
    }
    return {QColor(), QColor(Qt::black), QColor(255, 232, 233), QColor(0x6b, 0x5a, 0x44),
            QColor(0xC0, 0xC0, 0xFF)};
}

// Kinds of text marked on the pages, each drawn as a soft band behind its characters, in
// this order: the reader's highlights (one kind a colour) under the sentence read aloud
// under a search hit under a selection.
enum class TextMark {
    HighlightYellow,
    HighlightGreen,
    HighlightPink,
    HighlightViolet,
    ReadAloud,
    SearchHit,
    Selection,
};

// A mark's band in a theme: translucent, so that the text and a chosen line's highlight
// show through, and unlike the highlight of a chosen line. A search hit has the
// selection's colour. At night that band is darker, so the light text stays readable.
inline QColor markColour(Theme theme, TextMark kind)
{
    // The highlights: unlike the selection's blue and each other in every theme; at night
    // deeper and more opaque, so they show on the dark page and the light text stays
    // readable on them.
    const bool night = theme == Theme::Night;
    switch (kind) {
    case TextMark::HighlightYellow:
        return night ? QColor(150, 120, 0, 150) : QColor(255, 214, 0, 120);
    case TextMark::HighlightGreen:
        return night ? QColor(40, 120, 60, 160) : QColor(90, 200, 90, 110);
    case TextMark::HighlightPink:
        return night ? QColor(150, 50, 90, 160) : QColor(255, 120, 160, 110);
    case TextMark::HighlightViolet:
        return night ? QColor(100, 70, 160, 170) : QColor(170, 120, 230, 110);
    default:
        break;
    }
    if (kind == TextMark::Selection || kind == TextMark::SearchHit)
        return theme == Theme::Night ? QColor(70, 120, 220, 160) : QColor(60, 120, 240, 85);
    switch (theme) {
    case Theme::Sepia:
        return QColor(150, 190, 120, 110);
    case Theme::Night:
        return QColor(110, 150, 200, 110);
    case Theme::Day:
        break;
    }
    return QColor(255, 200, 60, 110);
}

// The mark of highlight colour 0 .. 3 (yellow, green, pink, violet).
inline TextMark highlightMark(int colour)
{
    static constexpr TextMark kMarks[] = {TextMark::HighlightYellow, TextMark::HighlightGreen,
                                          TextMark::HighlightPink, TextMark::HighlightViolet};
    return kMarks[colour & 3];
}

// The colour of the paper as the reader sees it: the page artwork's paper under the
// theme's tint. Scroll mode, which has no page artwork, fills its text with it.
inline QColor paperColour(const ThemeColours &colours)
{
    const QColor paper(0xFA, 0xF3, 0xE2);
    const QColor &tint = colours.pageTint;
    if (!tint.isValid())
        return paper;
    const double a = tint.alphaF();
    const auto mix = [a](int under, int over) { return qRound(under * (1 - a) + over * a); };
    return QColor(mix(paper.red(), tint.red()), mix(paper.green(), tint.green()),
                  mix(paper.blue(), tint.blue()));
}

} // namespace tibbo::window
