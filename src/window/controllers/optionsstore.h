#pragma once
// options.ini: what the reader keeps beyond settings.ini (whose format an older reader
// must still read). This class is the only one that opens the file. Every option is a row
// of the table below with its key, its default and its range, read and written through the
// typed value/setValue; a value that is missing or out of range reads as the default or
// the nearest end of the range. What belongs to one book is kept under its absolute path.
// QSettings writes the file whole to a temporary file and renames it over the old one.
//
// A new option is a new row here and a call of value/setValue where it is used.

#include "reading/reanchor.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QSettings;

namespace tibbo::window {

struct IntOption
{
    const char *key;
    int defaultValue;
    int low;
    int high;
};

struct BoolOption
{
    const char *key;
    bool defaultValue;
};

// A text for the whole reader; empty when it was never set.
struct TextOption
{
    const char *key;
};

// A text kept per book: "<key>/<the book's absolute path, percent-encoded>", so that no
// character of the path is read as a group separator; empty when the book has none.
struct BookTextOption
{
    const char *key;
};

namespace options {

// clang-format off
//                                           key                 default    range
inline constexpr IntOption kTheme{           "theme",            0,         0, 2};  // day, sepia, night
inline constexpr BoolOption kFineTypesetting{"fineTypesetting",  false};
inline constexpr BoolOption kFineOfferAnswered{"fineTypesettingOffered", false}; // the mascot asked once
inline constexpr BoolOption kPlaceCaptions{  "placeCaptions",    true};   // chapter and share beside the page numbers
inline constexpr BookTextOption kEncoding{   "encoding"};                            // "" finds it itself
inline constexpr BookTextOption kScript{     "script"};                              // "" as written; core::scriptModeKey
inline constexpr BookTextOption kScriptOffered{"scriptOffered"};                     // "1": the mascot offered it once
inline constexpr BookTextOption kChapterRules{"chapterRules"};                       // "" the defaults; built-in rule keys, "," between
inline constexpr BookTextOption kOwnChapterRules{"ownChapterRules"};                 // the reader's own rules, one a line
inline constexpr BookTextOption kSplitChapters{"splitLongChapters"};                 // "1": long chapters cut into parts
inline constexpr BookTextOption kProblemsTold{"chapterProblemsTold"};                // "1": the mascot named the first problem
// The reader's speed: the speed test's (characters a minute, 0: none) and the reading
// measured (characters and the seconds they took).
inline constexpr IntOption kSpeedSeed{       "readingSpeed/seed",       0, 0, 100000};
inline constexpr IntOption kSpeedCharacters{ "readingSpeed/characters", 0, 0, 2000000000};
inline constexpr IntOption kSpeedSeconds{    "readingSpeed/seconds",    0, 0, 36000};
// Reading aloud: rate and pitch in tenths of the engine's range, volume in percent, the
// pause after a paragraph in milliseconds, the sleep timer in minutes (0 off, -1 at the end
// of the chapter), and per book the character the sentence read last begins with.
inline constexpr TextOption kReadAloudVoice{ "readAloud/voice"};                     // "" the first Chinese voice
inline constexpr IntOption kReadAloudRate{   "readAloud/rate",   0,         -10, 10};
inline constexpr IntOption kReadAloudPitch{  "readAloud/pitch",  0,         -10, 10};
inline constexpr IntOption kReadAloudVolume{ "readAloud/volume", 100,       0, 100};
inline constexpr IntOption kParagraphPause{  "readAloud/paragraphPause", 500, 0, 3000};
inline constexpr IntOption kSleepTimer{      "readAloud/sleepTimer", 0,     -1, 90};
inline constexpr BookTextOption kReadAloudFrom{"readAloudFrom"};
// The address 网上查 opens a looked-up word at, "%s" or "{word}" for the word ("" the first
// site offered, core::kDictionarySites; a template that fails the check reads as that too).
inline constexpr TextOption kDictionarySite{ "lookUp/siteTemplate"};
// clang-format on

} // namespace options

class OptionsStore
{
  public:
    // A bookmark of the book as it was left: its line in the mark file, where it was in the
    // text, and whether it was found again after the text last changed.
    struct MarkAnchor
    {
        int64_t line = 0;
        core::TextAnchor anchor{};
        bool lost = false;
    };
    // The place in a book: the first character of the spread on show when it was left, and
    // what finds it and the bookmarks again when the book's text has changed meanwhile.
    // An entry written by an older reader has only the path and the offset.
    struct BookPlace
    {
        QString path;
        int64_t offset = 0;
        // When the reader left the book, milliseconds since 1970-01-01 UTC; 0 unknown.
        int64_t leftAt = 0;
        // The text the offsets belong to; nothing unknown.
        std::optional<core::TextIdentity> text{};
        // The chapters it had, and the title of the last one.
        int64_t chapterCount = 0;
        QString lastChapter{};
        // The place's anchor.
        std::optional<core::TextAnchor> anchor{};
        std::vector<MarkAnchor> marks{};
    };

    explicit OptionsStore(QString path);

    int value(const IntOption &option) const;
    bool value(const BoolOption &option) const;
    QString value(const TextOption &option) const;
    QString value(const BookTextOption &option, const QString &bookPath) const;
    // Each writes the file at once; false when it could not be written.
    bool setValue(const IntOption &option, int value);
    bool setValue(const BoolOption &option, bool value);
    bool setValue(const TextOption &option, const QString &value);
    // An empty text removes the book's entry.
    bool setValue(const BookTextOption &option, const QString &bookPath, const QString &value);

    // The places in the books, newest first: the first `most` entries of the file, less
    // those without a path or with no sane offset (a hand-edited file). A part of an entry
    // that does not read back whole (an anchor, a bookmark) is left out.
    std::vector<BookPlace> bookPlaces(int most) const;
    bool setBookPlaces(const std::vector<BookPlace> &places);

    const QString &path() const { return m_path; }

  private:
    bool usable() const;
    bool written(QSettings &file) const;

    QString m_path;
};

} // namespace tibbo::window
