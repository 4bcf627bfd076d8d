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
    "       meibo --help | --version\n"
    "\n"
    "Opens the window of Tsumugi, which renames the files of a folder in one go\n"
    "from a list of new names. With FOLDER, or with the folder that holds FILE,\n"
    "the window starts with that folder chosen, as \"フォルダ指定\" chooses one.\n"
    "A name that begins with \"-\" is given after \"--\".\n"
    "\n"
    "  --help     print this text and exit\n"
    "  --version  print the name and version and exit\n"
    "\n"
    "See meibo(1).\n";

}  // namespace

CommandLine readCommandLine(int argc, const char* const* argv)
{
    CommandLine cmd;
    if (argc < 2 || !argv[1])
        return cmd;
    const std::string_view first = argv[1];
    if (first == "--") {
        if (argc > 2 && argv[2])
            cmd.target = argv[2];
    } else if (first == "--help") {
        cmd.request = CommandLine::Request::help;
    } else if (first == "--version") {
        cmd.request = CommandLine::Request::version;
    } else if (first.size() > 1 && first.front() == '-') {
        cmd.request = CommandLine::Request::badOption;
        cmd.option = first;
    } else {
        cmd.target = std::string(first);
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
    const std::string abs = absolutePath(path, platform::currentFolder());
    if (!platform::isFolder(abs) && platform::fileExists(abs))
        return platform::folderOf(abs);
    return abs;
}

void openCommandLineFolder(TMainForm& form, int argc, const char* const* argv)
{
    const CommandLine cmd = readCommandLine(argc, argv);
    if (cmd.request != CommandLine::Request::window || !cmd.target)
        return;
    widgets::guarded([&] { form.chooseFolder(folderNamedBy(*cmd.target)); });
}

}  // namespace app
