// What a user does to the window, told apart from what the window does to
// itself: for filters that hold the user's input back while work goes on.
#pragma once

#include <QEvent>

namespace widgets {

// Keys, clicks, wheels, touches, drops and input-method events.
bool isUserInput(QEvent::Type t);

}  // namespace widgets
