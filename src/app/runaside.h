// Long work of the window, done on a thread of its own: the window's thread
// meanwhile keeps its event loop turning, so the window repaints, can be
// moved and resized, and answers the window manager's pings, while it takes
// no user input (keys, clicks, wheels, drops, close requests) until the
// work is done; only a button that stops the work, and Esc, are heard.
#pragma once

#include <functional>

class QAbstractButton;

namespace renaming {
class Job;
}

namespace app {

// Starts `job` on its own thread and returns when it has ended; calls
// `onTick` on this thread every `everyMs` meanwhile, and once more at the
// end. The window takes no input meanwhile but a click of `stopButton` and
// the Esc key, each of which calls `onStop`. What the job threw is thrown
// here. One at a time.
void driveJob(renaming::Job& job, const std::function<void()>& onTick, int everyMs,
              QAbstractButton* stopButton = nullptr, const std::function<void()>& onStop = nullptr);

// True while a job is driven: the window takes no input then.
bool workingAside();

}  // namespace app
