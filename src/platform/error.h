// The program's own error class. Errors of this kind travel from an event
// handler to the application object, which shows them in the general error
// report and carries on.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class ToolkitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A folder that cannot be entered or read; `code` is the errno value.
class InOutError : public ToolkitError {
public:
    InOutError(int code, const std::string& message) : ToolkitError(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Raised by InOutError's constructor helper from an errno value.
InOutError makeInOutError(int errnoValue);

}  // namespace platform
