#include "state/scrolltextmap.h"

#include "corefixtures.h"
#include "referencebook.h"
#include "referencesession.h"

#include "settings/settingsfile.h"
#include "settings/storedsession.h"
#include "text/fileio.h"
#include "text/htmlparser.h"
#include "text/plaintext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

// Regression: a trimmed book whose lines start with a lone LF ("\r\n\n") never matched
// its own Slide.cache: the matcher took the book's LF for a line end put in, the scroll
// text was rebuilt with another layout and the whole cache was written again at every
// exit. Every scroll text a loader makes, and the one-per-paragraph rebuild of its
// paragraphs, must match that book again, from a string and from a written cache. The
// shapes are the line ends a book file can hold around the book's own LF and '^'.
TEST(ScrollTextMap, everyScrollTextTheLoadersMake_matchesItsOwnBook)
{
    const std::u32string shapes[] = {
        U"　甲乙\r\n　丙\r\n",           // plain CR LF, indented paragraphs
        U"甲\r\n\n乙\r\n",               // a line that starts with a lone LF
        U"甲\r\n\n\n乙\r\n\n",           // two of them, and one at the very end
        U"甲\n\r\n乙\r\n",               // a line that ends with a lone LF
        U"甲\r\n\n\r\n\n\r\n乙",         // lines that are only a lone LF; no last line end
        U"\n甲\r\n",                     // a lone LF first in the file
        U"甲\r乙\r\r\n丙\r",             // lone CRs, CR CR LF
        U"\r\n\r\n\r\n",                 // nothing but empty lines
        U"甲^\r\n\n^乙\r\n^\r\n\n^\r\n", // the book's own '^' beside the lone LFs
        U"　甲\r\n\n　乙\r\n 丙\n\r\n",  // a paragraph after a lone LF, a blank indent
        U"\r\n\n^\n\uFFFD",              // a lone LF after an empty line, then the book's '^'
        U"",
    };
    const std::string dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tibbo-scroll-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    for (const std::u32string &shape : shapes) {
        const std::pair<const char *, BookTexts> books[] = {
            {"plain", buildPlainBook(shape, false)},
            {"trimmed", buildPlainBook(shape, true)},
            {"html", htmlBook(U"<html><p>" + shape + U"</p><br>" + shape + U"<br>x")},
        };
        for (const auto &[loader, book] : books) {
            const ScrollTextMap made[] = {book.scrollMap,
                                          ScrollTextMap::onePerParagraph(book.paragraphText)};
            for (const ScrollTextMap &map : made) {
                const std::u32string scroll = map.scrollText(book.paragraphText);
                SCOPED_TRACE(testing::Message() << loader << (&map == made ? "" : ", rebuilt")
                                                << ", shape " << (&shape - shapes));
                const auto matched = ScrollTextMap::match(scroll, book.paragraphText);
                ASSERT_TRUE(matched);
                EXPECT_EQ(matched->scrollText(book.paragraphText), scroll);
                ASSERT_TRUE(writeFileDurably(slideCachePath(dir), slideCacheBytes(scroll)));
                const auto fromFile = matchSlideCache(slideCachePath(dir), book.paragraphText);
                ASSERT_TRUE(fromFile);
                EXPECT_EQ(fromFile->scrollText(book.paragraphText), scroll);
            }
        }
    }
    std::filesystem::remove_all(dir);
}

// Scroll mode tints the sentence read aloud at the place the map gives: every character of
// the paragraph text but a '^' taken out stands at its scroll-text position, across CR LF,
// lone CR and LF line ends and the book's own '^'.
TEST(ScrollTextMap, scrollPositionOf_findsEveryCharacterOfTheBook)
{
    const std::u32string shapes[] = {
        U"　甲乙\r\n　丙\r\n丁\r\n",
        U"甲\r\n\n乙\r\n",
        U"甲\r乙\r\r\n丙\r",
        U"甲^\r\n\n^乙\r\n^\r\n\n^\r\n",
    };
    for (const std::u32string &shape : shapes) {
        for (const bool trimmed : {false, true}) {
            const BookTexts book = buildPlainBook(shape, trimmed);
            const std::u32string scroll = book.scrollMap.scrollText(book.paragraphText);
            int64_t previous = -1;
            for (int64_t k = 0; k < int64_t(book.paragraphText.size()); ++k) {
                const int64_t at = book.scrollMap.scrollPositionOf(book.paragraphText, k);
                ASSERT_GE(at, previous);
                previous = at;
                if (book.paragraphText[size_t(k)] != kParagraphMark ||
                    scroll[size_t(at)] == kParagraphMark) {
                    EXPECT_EQ(scroll[size_t(at)], book.paragraphText[size_t(k)])
                        << "character " << k << " of shape " << (&shape - shapes);
                }
            }
        }
    }
}

} // namespace
} // namespace tibbo::core
