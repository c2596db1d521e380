// Under a real X server the tile bound follows the X screen: width from its height, height
// from its width (xvfb-run gives a 1024 x 768 screen).
#include "RenderCache.h"

#include <gtest/gtest.h>

TEST(RenderCacheXScreen, TileBoundFollowsTheXScreen)
{
    ASSERT_FALSE(qgetenv("DISPLAY").isEmpty());
    RenderCache cache;
    EXPECT_EQ(cache.maxTileSize, QSize(768, 1024));
}
