#pragma once
// The values the reader starts with before settings.ini holds any, in one place: the
// state begins with them, settings.ini is written with them in place of values it cannot
// hold, and the window falls back to them. Where the window is centred, which font the
// page starts in and where settings.ini is, only the window knows.

#include <cstdint>
#include <string>

namespace tibbo::core {

// Line spacing and page margins, pixels; fractional and negative values are kept as typed.
struct PageSpacing
{
    double lineSpacing = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    double leftMargin = 0;
    double rightMargin = 0;
};

namespace defaults {

// The normal window, twips (15 to a pixel): 794 x 488 pixels.
inline constexpr double kWindowWidth = 11910;
inline constexpr double kWindowHeight = 7320;
inline constexpr PageSpacing kPageSpacing{5, 10, 20, 40, 20};
// The design font's size, points.
inline constexpr double kFontSize = 10.5;
// Paragraph trimming: 0 off, 1 on, 2 undecided, as settings.ini stores it.
inline constexpr int kTrimParagraphs = 0;
inline constexpr double kAutoTurnSeconds = 240;
// Milliseconds a scroll-mode step, and the slowest and fastest the slider offers.
inline constexpr int kScrollSpeed = 130;
inline constexpr int kFastestScrollSpeed = 1;
inline constexpr int kSlowestScrollSpeed = 300;

} // namespace defaults

// The page font as settings.ini keeps it.
struct FontSettings
{
    std::string name;
    double size = defaults::kFontSize; // points; may have a fraction
    bool bold = false;
    bool italic = false;
    bool underline = false;
};
} // namespace tibbo::core
