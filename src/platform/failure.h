// How a platform call reports a failure: false, with the errno value stored
// where the caller asked for it.
#pragma once

namespace platform {

// Stores `e` in `*err` where asked, and answers false.
inline bool fail(int* err, int e)
{
    if (err)
        *err = e;
    return false;
}

}  // namespace platform
