// A pause of the user's input while the window's own thread does long work
// in slices and turns its event loop between them: the window repaints and
// answers the desktop, but keys, clicks, wheels, drops and close requests
// are swallowed until the pause ends.
#pragma once

#include <memory>

class QObject;

namespace widgets {

class InputPause {
public:
    InputPause();
    ~InputPause();
    InputPause(const InputPause&) = delete;
    InputPause& operator=(const InputPause&) = delete;

    // Lets the event loop handle what has come meanwhile, user input aside.
    static void turn();

private:
    std::unique_ptr<QObject> filter_;
};

}  // namespace widgets
