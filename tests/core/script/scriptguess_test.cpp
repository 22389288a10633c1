// The guess that a book is written in Traditional characters.
#include "referencebook.h"
#include "script/openccconverter.h"
#include "script/scriptguess.h"

#include <gtest/gtest.h>

using namespace tibbo::core;
using tibbo::core::test::readBook;

TEST(ScriptGuess, tellsATraditionalBookFromASimplifiedOne)
{
    const auto novel = readBook(std::string(TIBBO_CORPUS_DIR) + "/xiyouji.txt");
    ASSERT_TRUE(novel) << "corpus not found at " << TIBBO_CORPUS_DIR;
    const std::u32string simplified = novel->substr(0, 30000);
    EXPECT_FALSE(looksTraditional(BookText(simplified)));
    for (const ScriptMode mode : {ScriptMode::Traditional, ScriptMode::TraditionalTaiwan,
                                  ScriptMode::TraditionalHongKong}) {
        const std::u32string traditional = OpenccConverter::forMode(mode)->convert(simplified).text;
        EXPECT_TRUE(looksTraditional(BookText(traditional))) << scriptModeKey(mode);
    }
    // Too little to tell: no Chinese at all.
    EXPECT_FALSE(looksTraditional(BookText(U"Chapter 1^Hello.^")));
}
