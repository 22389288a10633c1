#include "chapters/headingnumber.h"

#include <string>

namespace tibbo::core {

namespace {

// 0 .. 9 for a digit of any notation, -1 otherwise.
int digitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'０' && c <= U'９')
        return static_cast<int>(c - U'０');
    switch (c) {
    case U'〇':
    case U'零':
    case U'○':
        return 0;
    case U'一':
    case U'壹':
        return 1;
    case U'二':
    case U'两':
    case U'兩':
    case U'贰':
    case U'貳':
        return 2;
    case U'三':
    case U'叁':
    case U'參':
    case U'叄':
        return 3;
    case U'四':
    case U'肆':
        return 4;
    case U'五':
    case U'伍':
        return 5;
    case U'六':
    case U'陆':
    case U'陸':
        return 6;
    case U'七':
    case U'柒':
        return 7;
    case U'八':
    case U'捌':
        return 8;
    case U'九':
    case U'玖':
        return 9;
    default:
        return -1;
    }
}

bool isArabic(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９');
}

// 10, 100, 1000 for the units within a myriad, 0 otherwise.
int64_t smallUnit(char32_t c)
{
    switch (c) {
    case U'十':
    case U'拾':
        return 10;
    case U'百':
    case U'佰':
        return 100;
    case U'千':
    case U'仟':
        return 1000;
    default:
        return 0;
    }
}

int64_t largeUnit(char32_t c)
{
    switch (c) {
    case U'万':
    case U'萬':
        return 10'000;
    case U'亿':
    case U'億':
        return 100'000'000;
    default:
        return 0;
    }
}

// 廿 and 卅: twenty and thirty in one character.
int64_t tens(char32_t c)
{
    return c == U'廿' ? 20 : c == U'卅' ? 30 : 0;
}

bool hasUnit(std::u32string_view digits)
{
    for (const char32_t c : digits) {
        if (smallUnit(c) || largeUnit(c) || tens(c))
            return true;
    }
    return false;
}

std::optional<int64_t> readPositional(std::u32string_view digits)
{
    int64_t value = 0;
    for (const char32_t c : digits) {
        const int d = digitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 10 + d;
        if (value > kLargestHeadingNumber)
            return std::nullopt;
    }
    return value;
}

// Chinese numerals with units: sections of up to 9999 closed by 万 or 亿.
std::optional<int64_t> readWithUnits(std::u32string_view digits)
{
    int64_t total = 0;
    int64_t section = 0;
    int pending = -1;      // a digit not yet given its unit
    int64_t lastSmall = 0; // the last unit within the section (0: none yet)
    int64_t lastLarge = 0; // the last 万 or 亿 (0: none yet)
    for (const char32_t c : digits) {
        if (isArabic(c))
            return std::nullopt; // "3百" is no notation
        if (const int d = digitValue(c); d >= 0) {
            if (d == 0) { // "一百零五": the zero only says the tens are empty
                if (pending > 0)
                    return std::nullopt;
                continue;
            }
            if (pending >= 0)
                return std::nullopt; // two digits in a row: "五三百"
            pending = d;
        } else if (const int64_t unit = smallUnit(c)) {
            if (lastSmall && unit >= lastSmall)
                return std::nullopt; // "十十", "十百"
            section += (pending < 0 ? 1 : pending) * unit;
            lastSmall = unit;
            pending = -1;
        } else if (const int64_t twenty = tens(c)) {
            if (pending >= 0 || (lastSmall && lastSmall <= 10))
                return std::nullopt;
            section += twenty;
            lastSmall = 10;
        } else if (const int64_t large = largeUnit(c)) {
            if (lastLarge && large >= lastLarge)
                return std::nullopt;
            if (pending >= 0)
                section += pending;
            if (section == 0)
                return std::nullopt;
            total += section * large;
            section = 0;
            pending = -1;
            lastSmall = 0;
            lastLarge = large;
        } else {
            return std::nullopt;
        }
        if (total + section > kLargestHeadingNumber)
            return std::nullopt;
    }
    // A last digit counts in the ones, as headings write it: "第一百一回" is 101 (speech
    // would take "一百五" for 150; headings write "一百五十").
    if (pending >= 0)
        section += pending;
    const int64_t value = total + section;
    if (value > kLargestHeadingNumber)
        return std::nullopt;
    return value;
}

bool isBlankOrSeparator(char32_t c)
{
    return std::u32string_view(U" \u3000\t：:、.．，,-—_·【】[]［］〖〗()（）").find(c) !=
           std::u32string_view::npos;
}

bool startsWithWord(std::u32string_view text, size_t at, std::u32string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k) {
        char32_t c = text[at + k];
        if (c >= U'A' && c <= U'Z')
            c = c - U'A' + U'a';
        if (c != word[k])
            return false;
    }
    return true;
}

} // namespace

bool isHeadingNumeral(char32_t c)
{
    return digitValue(c) >= 0 || smallUnit(c) || largeUnit(c) || tens(c);
}

std::optional<int64_t> readHeadingNumber(std::u32string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    return hasUnit(digits) ? readWithUnits(digits) : readPositional(digits);
}

HeadingNumbers readHeadingNumbers(std::u32string_view title)
{
    HeadingNumbers numbers;
    size_t at = 0;
    while (at < title.size() && !numbers.chapter) {
        // "Volume 3", "Vol. 3", "Chapter 12": the word, then the number.
        bool volumeWord = false;
        bool chapterWord = false;
        for (const std::u32string_view word : {U"volume", U"vol."}) {
            if (startsWithWord(title, at, word)) {
                volumeWord = true;
                at += word.size();
            }
        }
        if (startsWithWord(title, at, U"chapter")) {
            chapterWord = true;
            at += 7;
        }
        if (volumeWord || chapterWord) {
            while (at < title.size() && title[at] == U' ')
                ++at;
        }
        if (at >= title.size() || !isHeadingNumeral(title[at])) {
            if (volumeWord || chapterWord)
                continue;
            // Past the first word that is not a number: a heading names its numbers at
            // its start ("卷二 第1章 …"), the title after them is not read.
            const char32_t c = title[at];
            if (c != U'第' && c != U'卷' && !isBlankOrSeparator(c))
                break;
            ++at;
            continue;
        }
        size_t end = at;
        while (end < title.size() && end - at < 12 && isHeadingNumeral(title[end]))
            ++end;
        const auto value = readHeadingNumber(title.substr(at, end - at));
        if (!value)
            break;
        const char32_t before = at > 0 ? title[at - 1] : U'\0';
        const char32_t after = end < title.size() ? title[end] : U'\0';
        const bool volume =
            volumeWord || before == U'卷' ||
            std::u32string_view(U"卷部册冊").find(after) != std::u32string_view::npos;
        if (volume) {
            if (!numbers.volume)
                numbers.volume = value;
        } else {
            numbers.chapter = value;
        }
        at = end + (volume && after != U'\0' && !isBlankOrSeparator(after) ? 1 : 0);
    }
    return numbers;
}

} // namespace tibbo::core
