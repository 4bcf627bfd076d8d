// The command line: `meibo [FOLDER | FILE]`, `meibo -h | --help`,
// `meibo -V | --version`, with the toolkit's own options anywhere among them.
// It is read whole before the toolkit starts, so that nothing but a window
// needs a display. Arguments are bytes, as the system gave them: a folder
// whose name is not valid in the locale is still the folder it names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class TMainForm;

namespace app {

struct CommandLine {
    enum class Request {
        window,     // start the window, on `target` when there is one
        help,       // print how to start the program
        version,    // print the name and the version
        badOption,  // an option the program does not know: `option`
    };
    Request request = Request::window;
    std::optional<std::string> target;  // a folder, or a file standing for its folder
    std::string option;
};

// Reads `argv` as main() receives it, before the toolkit has taken its
// options out. Those options (and their values) are left to the toolkit
// wherever they stand; of the others only the first counts, and "--" before
// it makes it a path even when it begins with "-".
CommandLine readCommandLine(int argc, const char* const* argv);

// True when `arg` is one of the toolkit's own options; `takesValue` then
// says whether the next argument is its value.
bool isToolkitOption(std::string_view arg, bool& takesValue);

// What the program prints and its exit status when the command line asks
// for no window; nothing when it does.
struct NoWindow {
    int status = 0;
    std::string out;  // for standard output
    std::string err;  // for standard error
};
std::optional<NoWindow> answerWithoutWindow(const CommandLine& cmd);

// `path` made absolute against `base` (a relative path; `base` empty: left
// relative), with "." parts and repeated or trailing "/" dropped. ".." is
// kept, so that the path still names what the system resolves it to.
std::string absolutePath(const std::string& path, const std::string& base);

// The folder that `path` names: `path` itself when it is a folder or is
// nothing at all (entering it then fails as any folder that is gone), the
// folder holding it when it is a file. A relative path is taken from the
// current folder.
std::string folderNamedBy(const std::string& path);

// Chooses the folder that the command line `cmd` names in `form`, as
// "フォルダ指定" chooses one; an error is shown in the general error report
// and the window goes on. Nothing happens without an argument.
void openCommandLineFolder(TMainForm& form, const CommandLine& cmd);

}  // namespace app
