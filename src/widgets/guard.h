// Event handlers and what they throw. Nothing may unwind through Qt (a
// signal/slot call, an event handler, the event loop): every handler runs
// behind a guard that catches at its boundary.
//
// A window of the program shows what its handler threw in the general error
// report and goes on. A component whose Execute hands its handlers'
// exceptions to the caller keeps the exception in a HandlerFault, ends its
// window's modal loop, and throws it again once Execute has left the loop.
#pragma once

#ifndef Q_MOC_RUN  // moc does not read the standard concepts
#include <concepts>
#endif
#include <exception>
#include <functional>
#include <utility>

class QDialog;
class QString;

namespace widgets {

// The report's text for an error's message: "." appended when the last
// character sorts above ".".
QString reportText(const QString& message);

// The general error report of `error`: a message box captioned with the
// application's name (the program's title), a stop icon and OK; the text is
// the message of the toolkit's own error class and empty for any other
// exception. Throws nothing.
void showError(std::exception_ptr error) noexcept;

// Runs `fn` and shows whatever it throws in the general error report; true
// when it returned normally.
template <class F>
bool guarded(F&& fn) noexcept
{
    try {
        std::forward<F>(fn)();
        return true;
    } catch (...) {
        showError(std::current_exception());
        return false;
    }
}

// `fn` behind the guard, to be connected to a signal; it takes the signal's
// arguments it names and no others.
template <class F>
auto guard(F fn)
{
    return [fn = std::move(fn)](auto&&... args) -> void
        requires std::invocable<const F&, decltype(args)...>
    {
        guarded([&] { std::invoke(fn, std::forward<decltype(args)>(args)...); });
    };
}

// The first exception a component's handlers threw, kept until it can leave
// by a way that crosses no event loop.
class HandlerFault {
public:
    // Runs `fn` unless a handler has failed already; keeps what it throws.
    // True when it ran and returned normally.
    template <class F>
    bool run(F&& fn) noexcept
    {
        if (error_)
            return false;
        try {
            std::forward<F>(fn)();
            return true;
        } catch (...) {
            error_ = std::current_exception();
            return false;
        }
    }
    bool failed() const noexcept { return static_cast<bool>(error_); }
    // Throws the kept exception, if any, and forgets it.
    void rethrow()
    {
        if (std::exception_ptr e = std::exchange(error_, nullptr))
            std::rethrow_exception(e);
    }

private:
    std::exception_ptr error_;
};

// Ends the modal loop of `dialog` with `result` once control is back in the
// loop: a handler that fails while the dialog is being shown runs before
// the loop has begun, and ending it then would leave the loop running with
// no window.
void endModal(QDialog* dialog, int result);

}  // namespace widgets
