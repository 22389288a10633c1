#include "reading/wayback.h"

#include <gtest/gtest.h>

namespace tibbo::core {
namespace {

TEST(WayBack, backAndForward_likeABrowser)
{
    WayBack way;
    EXPECT_FALSE(way.back(0, 1));
    way.remember(100, 1); // jump from 100 to 500
    way.remember(500, 1); // jump from 500 to 900
    EXPECT_TRUE(way.canGoBack(1));
    EXPECT_FALSE(way.canGoForward(1));
    EXPECT_EQ(way.back(900, 1), 500);
    EXPECT_EQ(way.back(500, 1), 100);
    EXPECT_FALSE(way.back(100, 1));
    EXPECT_EQ(way.forward(100, 1), 500);
    EXPECT_EQ(way.forward(500, 1), 900);
    EXPECT_FALSE(way.forward(900, 1));
    // Back once more, then a new jump: the way forward is gone.
    EXPECT_EQ(way.back(900, 1), 500);
    way.remember(520, 1); // turned a page after coming back, then jumped
    EXPECT_FALSE(way.canGoForward(1));
    EXPECT_EQ(way.back(700, 1), 520);
    EXPECT_EQ(way.back(520, 1), 100);
}

TEST(WayBack, aJumpFromThePlaceJustRemembered_addsNothing)
{
    // F3 after F3: going back returns to where the search began, not to the hit before.
    WayBack way;
    way.remember(100, 1);
    way.remember(100, 1);
    EXPECT_EQ(way.back(300, 1), 100);
    EXPECT_FALSE(way.canGoBack(1));
}

TEST(WayBack, anotherText_forgetsEveryPlace)
{
    WayBack way;
    way.remember(100, 1);
    EXPECT_FALSE(way.canGoBack(2));
    EXPECT_FALSE(way.back(0, 2));
    EXPECT_FALSE(way.canGoBack(1));
}

TEST(WayBack, manyJumps_keepTheNewest)
{
    WayBack way;
    for (int64_t i = 0; i < static_cast<int64_t>(WayBack::kMostPlaces) + 10; ++i)
        way.remember(i, 1);
    int64_t here = 10'000;
    int64_t steps = 0;
    std::optional<int64_t> last;
    while (auto place = way.back(here, 1)) {
        last = place;
        here = *place;
        ++steps;
    }
    EXPECT_EQ(steps, static_cast<int64_t>(WayBack::kMostPlaces));
    EXPECT_EQ(last, 10);
}

} // namespace
} // namespace tibbo::core
