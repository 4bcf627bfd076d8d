#include "platform/status.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// A failure always reads as one, with an errno the message code can word,
// even where the call that failed left errno at 0.
TEST(Status, AFailureAlwaysCarriesAnErrno)
{
    EXPECT_TRUE(platform::Status());
    EXPECT_EQ(platform::Status().error(), 0);
    EXPECT_EQ(platform::Status::failure(ENOSPC).error(), ENOSPC);
    EXPECT_FALSE(platform::Status::failure(0));
    EXPECT_EQ(platform::Status::failure(0).error(), EIO);
}

}  // namespace
