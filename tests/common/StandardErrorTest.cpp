#include <gtest/gtest.h>

#include "common/Exception.h"
#include "ui/StandardError.h"

TEST(StandardError, FullStopRule) {
    EXPECT_EQ(WithFullStop("Stream write error"), "Stream write error.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("ends with space "), "ends with space ");  // ' ' is below '.'
    EXPECT_EQ(WithFullStop("dash-"), "dash-");                        // '-' is below '.'
    EXPECT_EQ(WithFullStop("slash/"), "slash/.");                     // '/' is above '.'
    EXPECT_EQ(WithFullStop(""), ".");
}
