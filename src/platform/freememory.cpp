#include "platform/freememory.h"

#include <cstddef>  // and with it, the C library's own macros

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

namespace {

// The most freed memory the allocator keeps for the next piece of work.
constexpr size_t kFreedMemoryKept = size_t{16} << 20;

}  // namespace

void returnFreeMemory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void keepFreedMemory()
{
#if defined(__GLIBC__)
    // Both, for either alone ends the allocator's own adjustment of the
    // other: blocks under the size come from the heaps, and freed memory
    // at a heap's top stays until there is more than the size of it.
    ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kFreedMemoryKept));
    ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(kFreedMemoryKept));
#endif
}

}  // namespace platform
