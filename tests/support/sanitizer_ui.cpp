// Sanitizer defaults of the window test programs (used only when they are
// built with AddressSanitizer; an ASAN_OPTIONS variable still overrides).
//
// Leak detection is off here: these programs click through windows with the
// test library's synthetic events, and Qt keeps event points, shared-pointer
// counts and array data of those events in process-wide caches that it never
// frees before exit; LeakSanitizer reports them as leaks of every window test
// although neither the program nor the test can release them. The program's
// own leak check is a start and close of the main window in a program of its
// own (tests/sanitize), where leak detection is on and nothing is suppressed.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}
