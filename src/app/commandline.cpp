#include "app/commandline.h"

#include "app/mainform.h"
#include "platform/fs.h"
#include "platform/pathparts.h"
#include "widgets/guard.h"

#include <string_view>

#ifndef TSUMUGI_VERSION
#error "TSUMUGI_VERSION is set by the build"
#endif

namespace app {

namespace {

constexpr const char* kHelp =
    "Usage: meibo [FOLDER | FILE]\n"
    "       meibo -h | --help | -V | --version\n"
    "\n"
    "Opens the window of Tsumugi, which renames the files of a folder in one go\n"
    "from a list of new names. With FOLDER, or with the folder that holds FILE,\n"
    "the window starts with that folder chosen, as \"フォルダ指定\" chooses one.\n"
    "A name that begins with \"-\" is given after \"--\".\n"
    "\n"
    "  -h, --help     print this text and exit\n"
    "  -V, --version  print the name and version and exit\n"
    "\n"
    "The Qt library's own options, such as -style NAME, are passed on to it.\n"
    "See meibo(1).\n";

// The options the toolkit takes out of the command line itself (its
// application classes and the X11 platform plugin), each also written with
// two dashes.
constexpr std::string_view kToolkitWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session", "style",
    "stylesheet", "display", "name", "visual"};
constexpr std::string_view kToolkitFlags[] = {"reverse", "testability", "widgetcount",
                                              "nograb", "dograb"};
// Written only as "-name=value".
constexpr std::string_view kToolkitJoined[] = {"style", "stylesheet", "qmljsdebugger"};

}  // namespace

bool isToolkitOption(std::string_view arg, bool& takesValue)
{
    takesValue = false;
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
        for (std::string_view o : kToolkitJoined)
            if (arg.substr(0, eq) == o)
                return true;
        return false;
    }
    for (std::string_view o : kToolkitWithValue)
        if (arg == o)
            return takesValue = true;
    for (std::string_view o : kToolkitFlags)
        if (arg == o)
            return true;
    return false;
}

CommandLine readCommandLine(int argc, const char* const* argv)
{
    CommandLine cmd;
    for (int i = 1; i < argc && argv[i]; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            if (!cmd.target && i + 1 < argc && argv[i + 1])
                cmd.target = argv[i + 1];
            break;
        }
        bool takesValue = false;
        if (isToolkitOption(arg, takesValue)) {
            i += takesValue ? 1 : 0;
            continue;
        }
        if (cmd.target)
            continue;  // only the first argument counts
        if (arg == "--help" || arg == "-h") {
            cmd.request = CommandLine::Request::help;
            break;
        }
        if (arg == "--version" || arg == "-V") {
            cmd.request = CommandLine::Request::version;
            break;
        }
        if (arg.size() > 1 && arg.front() == '-') {
            cmd.request = CommandLine::Request::badOption;
            cmd.option = arg;
            break;
        }
        cmd.target = std::string(arg);
    }
    return cmd;
}

std::optional<NoWindow> answerWithoutWindow(const CommandLine& cmd)
{
    switch (cmd.request) {
    case CommandLine::Request::window:
        return std::nullopt;
    case CommandLine::Request::help:
        return NoWindow{0, kHelp, {}};
    case CommandLine::Request::version:
        return NoWindow{0, std::string("meibo (Tsumugi) ") + TSUMUGI_VERSION + "\n", {}};
    case CommandLine::Request::badOption:
        break;
    }
    return NoWindow{2, {},
                    "meibo: unknown option '" + cmd.option +
                        "'\nTry 'meibo --help' for more information.\n"};
}

std::string absolutePath(const std::string& path, const std::string& base)
{
    const bool relative = path.empty() || path.front() != '/';
    const std::string whole = relative && !base.empty() ? base + "/" + path : path;
    if (whole.empty())
        return ".";
    std::string out;
    size_t start = 0;
    while (start <= whole.size()) {
        size_t end = whole.find('/', start);
        if (end == std::string::npos)
            end = whole.size();
        const std::string_view part(whole.data() + start, end - start);
        if (!part.empty() && part != ".") {
            if (!out.empty() || whole.front() == '/')
                out += '/';
            out += part;
        }
        start = end + 1;
    }
    if (out.empty())
        return whole.front() == '/' ? "/" : ".";
    return out;
}

std::string folderNamedBy(const std::string& path)
{
    const std::string abs = absolutePath(path, platform::currentFolder().value());
    if (!platform::isFolder(abs) && platform::fileExists(abs))
        return platform::folderOf(abs);
    return abs;
}

void openCommandLineFolder(TMainForm& form, const CommandLine& cmd)
{
    if (cmd.request != CommandLine::Request::window || !cmd.target)
        return;
    widgets::guarded([&] { form.chooseFolder(folderNamedBy(*cmd.target)); });
}

}  // namespace app
