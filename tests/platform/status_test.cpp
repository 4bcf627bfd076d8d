#include "platform/status.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

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
    // A call the file system cannot do at all keeps the system's refusal.
    EXPECT_FALSE(platform::Status::notPossible(EINVAL));
    EXPECT_EQ(platform::Status::notPossible(EINVAL).error(), EINVAL);
    EXPECT_NE(platform::Status::notPossible(EINVAL), platform::Status::failure(EINVAL));
}

// A call that gives a value gives it or says why not; a failure holds the
// empty value, and one made from an ok Status still reads as a failure.
TEST(Status, AResultHoldsTheValueOrTheFailure)
{
    const platform::Result<std::string> got(std::string("x"));
    EXPECT_TRUE(got);
    EXPECT_EQ(*got, "x");
    const platform::Result<std::string> refused(platform::Status::failure(EACCES));
    EXPECT_EQ(refused.error(), EACCES);
    EXPECT_EQ(refused.value(), "");
    EXPECT_EQ(platform::Result<std::string>(platform::Status()).error(), EIO);
}

}  // namespace
