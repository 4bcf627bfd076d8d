// The program's own error classes, and the texts of the input/output error
// of a refused folder change. Errors of these kinds end in the general error
// report, and the program carries on.
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

// The input/output error text for a failed folder change, from errno.
std::string ioErrorMessage(int errnoValue);

// The input/output error of a failed folder change, from errno.
InOutError makeInOutError(int errnoValue);

}  // namespace platform
