// Long work of the window, done on a thread of its own: the window's thread
// meanwhile keeps its event loop turning, so the window repaints, can be
// moved and resized, and answers the window manager's pings, while it takes
// no user input (keys, clicks, wheels, drops, close requests) until the
// work is done.
#pragma once

#include <functional>

namespace app {

// Runs `work` on another thread and returns when it is done; calls `onTick`
// on this thread every `everyMs` meanwhile, and once more at the end. What
// `work` throws is thrown here. One at a time.
void runAside(const std::function<void()>& work, const std::function<void()>& onTick, int everyMs);

// True while runAside is at work: the window takes no input then.
bool workingAside();

}  // namespace app
