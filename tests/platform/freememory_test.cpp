// Memory a piece of work freed, kept for the next one.
#include "platform/freememory.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>

namespace {

long faultsSoFar()
{
    rusage u{};
    ::getrusage(RUSAGE_THREAD, &u);
    return u.ru_minflt;
}

// The page faults a block of `size` bytes costs, written whole and freed.
long faultsOfABlock(size_t size)
{
    const long before = faultsSoFar();
    auto* block = static_cast<volatile char*>(std::malloc(size));
    for (size_t at = 0; at < size; at += 4096)
        block[at] = 1;
    std::free(const_cast<char*>(block));
    return faultsSoFar() - before;
}

TEST(FreedMemory, ASecondPieceOfWorkWritesThePagesTheFirstOneFreed)
{
#if defined(__SANITIZE_ADDRESS__) || !defined(__GLIBC__)
    GTEST_SKIP() << "the allocator is not the C library's";
#endif
    platform::keepFreedMemory();
    constexpr size_t kSize = size_t{4} << 20;  // 1,024 pages, over any allocator's own threshold
    EXPECT_GT(faultsOfABlock(kSize), 512);     // the pages are new the first time
    EXPECT_LT(faultsOfABlock(kSize), 64);
    // Until the process hands its free memory back.
    platform::returnFreeMemory();
    EXPECT_GT(faultsOfABlock(kSize), 512);
}

}  // namespace
