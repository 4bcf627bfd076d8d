// Opening a folder from outside the window: named on the command line, as a
// file manager's "Open With" names it, and what --help and --version print.
#include "app/commandline.h"
#include "app/mainform_fixture.h"
#include "app/messages.h"
#include "platform/fs.h"
#include "support/modal.h"
#include "widgets/text.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>

#include <gtest/gtest.h>

#include <ostream>

using namespace testing_support;
using app::CommandLine;

namespace {

// --- reading the command line -----------------------------------------------

struct ArgsCase {
    const char* name;
    std::vector<const char*> args;  // after the program's name
    CommandLine::Request request;
    std::optional<std::string> target;
};

void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.name; }

class ReadCommandLine : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ReadCommandLine, TheFirstArgumentCounts)
{
    const auto& c = GetParam();
    std::vector<const char*> argv{"meibo"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const CommandLine cmd = app::readCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(cmd.request, c.request);
    EXPECT_EQ(cmd.target, c.target);
}

using R = CommandLine::Request;
INSTANTIATE_TEST_SUITE_P(
    Args, ReadCommandLine,
    ::testing::Values(
        ArgsCase{"None", {}, R::window, std::nullopt},
        ArgsCase{"Folder", {"/home/u/写真"}, R::window, "/home/u/写真"},
        ArgsCase{"SeveralTakeTheFirst", {"a", "b", "--help"}, R::window, "a"},
        ArgsCase{"NotUtf8", {"\xFF\xFE"}, R::window, "\xFF\xFE"},
        ArgsCase{"Help", {"--help"}, R::help, std::nullopt},
        ArgsCase{"HelpBeforeAFolder", {"--help", "/tmp"}, R::help, std::nullopt},
        ArgsCase{"Version", {"--version"}, R::version, std::nullopt},
        ArgsCase{"DashDashMakesAPath", {"--", "--help"}, R::window, "--help"},
        ArgsCase{"DashDashAlone", {"--"}, R::window, std::nullopt},
        ArgsCase{"LoneDashIsAName", {"-"}, R::window, "-"},
        ArgsCase{"UnknownOption", {"-x", "/tmp"}, R::badOption, std::nullopt},
        ArgsCase{"UnknownLongOption", {"--open"}, R::badOption, std::nullopt},
        ArgsCase{"ShortHelp", {"-h"}, R::help, std::nullopt},
        ArgsCase{"ShortVersion", {"-V", "/tmp"}, R::version, std::nullopt},
        ArgsCase{"ToolkitOptionAndItsValueBeforeAFolder",
                 {"-style", "fusion", "/tmp"}, R::window, "/tmp"},
        ArgsCase{"ToolkitOptionsAfterTheFolder", {"/tmp", "-platform", "xcb"}, R::window, "/tmp"},
        ArgsCase{"ToolkitOptionWithTwoDashes", {"--platform", "offscreen", "-V"}, R::version,
                 std::nullopt},
        ArgsCase{"ToolkitOptionJoinedToItsValue", {"-style=fusion", "--bogus"}, R::badOption,
                 std::nullopt},
        ArgsCase{"ToolkitFlag", {"-reverse", "a"}, R::window, "a"},
        ArgsCase{"ValueOfAToolkitOptionIsNoFolder", {"-title", "x"}, R::window, std::nullopt},
        ArgsCase{"UnknownOptionJoinedToAValue", {"-bogus=1"}, R::badOption, std::nullopt},
        ArgsCase{"LowerCaseVIsUnknown", {"-v"}, R::badOption, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnswerWithoutWindow, HelpVersionAndUnknownOptions)
{
    const char* help[] = {"meibo", "--help"};
    const auto h = app::answerWithoutWindow(app::readCommandLine(2, help));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->status, 0);
    EXPECT_TRUE(h->out.starts_with("Usage: meibo [FOLDER | FILE]\n")) << h->out;
    EXPECT_EQ(h->err, "");

    // The version is the one the About box shows.
    const char* version[] = {"meibo", "--version"};
    const auto v = app::answerWithoutWindow(app::readCommandLine(2, version));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->status, 0);
    const std::string about = app::msg::kVersion;
    const std::string shown = about.substr(about.rfind(' ') + 1);
    EXPECT_EQ(v->out, "meibo (Tsumugi) " + shown + "\n");

    const char* bad[] = {"meibo", "--frobnicate"};
    const auto b = app::answerWithoutWindow(app::readCommandLine(2, bad));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->status, 2);
    EXPECT_EQ(b->out, "");
    EXPECT_NE(b->err.find("'--frobnicate'"), std::string::npos) << b->err;

    const char* folder[] = {"meibo", "/tmp"};
    EXPECT_FALSE(app::answerWithoutWindow(app::readCommandLine(2, folder)));
}

TEST(AbsolutePath, RelativeToTheStartFolder)
{
    struct Case {
        const char* path;
        const char* base;
        const char* expected;
    } const cases[] = {
        {"pick", "/w", "/w/pick"},
        {"./pick/", "/w", "/w/pick"},
        {"a//b/./c", "/w", "/w/a/b/c"},
        {".", "/w", "/w"},
        {"", "/w", "/w"},
        {"..", "/w/x", "/w/x/.."},  // as the system resolves it, links and all
        {"/abs//x/", "/w", "/abs/x"},
        {"/", "/w", "/"},
        {"rel", "", "rel"},
        {"", "", "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " from " + c.base);
        EXPECT_EQ(app::absolutePath(c.path, c.base), c.expected);
    }
}

// --- a real start of the program ----------------------------------------

struct Finished {
    int status = -1;
    QByteArray out, err;
};

// Runs the program with `args`, on the offscreen platform or with no display
// at all: nothing but the window may need one.
Finished runProgram(const QStringList& args, bool display)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               display ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MEIBO_EXE), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    Finished r;
    if (p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

TEST(ProgramStart, HelpAndVersionPrintAndExitWithoutADisplay)
{
    const Finished help = runProgram({QStringLiteral("--help")}, false);
    EXPECT_EQ(help.status, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: meibo [FOLDER | FILE]\n")) << help.out.toStdString();
    EXPECT_EQ(help.err, QByteArray());

    const Finished version = runProgram({QStringLiteral("--version"), QStringLiteral("/tmp")}, false);
    EXPECT_EQ(version.status, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith("meibo (Tsumugi) ")) << version.out.toStdString();
    EXPECT_EQ(version.out.count('\n'), 1);
}

TEST(ProgramStart, UnknownOptionOpensNoWindowAndExitsWithTwo)
{
    for (const bool display : {true, false}) {
        SCOPED_TRACE(display ? "with a display" : "without a display");
        const Finished bad = runProgram({QStringLiteral("--frobnicate")}, display);
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.out, QByteArray());
        EXPECT_TRUE(bad.err.contains("unknown option '--frobnicate'")) << bad.err.toStdString();
        EXPECT_TRUE(bad.err.contains("Try 'meibo --help'")) << bad.err.toStdString();
    }
}

TEST(ProgramStart, ShortFormsAndToolkitOptionsNeedNoDisplay)
{
    const Finished help = runProgram({QStringLiteral("-h")}, false);
    EXPECT_EQ(help.status, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: meibo [FOLDER | FILE]\n")) << help.out.toStdString();
    const Finished version =
        runProgram({QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-V")}, false);
    EXPECT_EQ(version.status, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith("meibo (Tsumugi) ")) << version.out.toStdString();
}

// --- the window on a folder from outside ----------------------------------

class OpenFromOutside : public PickTest {
protected:
    static void openWith(TMainForm& form, std::vector<const char*> args)
    {
        args.insert(args.begin(), "meibo");
        app::openCommandLineFolder(
            form, app::readCommandLine(static_cast<int>(args.size()), args.data()));
    }
};

TEST_F(OpenFromOutside, ArgumentIsChosenAsTheFolderButtonChoosesIt)
{
    const std::string pick = work / "pick";
    const std::string pickFile = pick + "/a.txt";
    struct Case {
        const char* what;
        std::vector<const char*> args;
    } const cases[] = {
        {"absolute folder", {pick.c_str()}},
        {"relative folder", {"pick"}},
        {"relative with dots and slashes", {"./pick//"}},
        {"a file stands for its folder", {pickFile.c_str()}},
        {"a relative file", {"pick/b.txt"}},
        {"the first of several", {"pick", "/nowhere"}},
        {"after --", {"--", "pick"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(::chdir(work.path().c_str()), 0);
        auto form = window({"w1.txt"});
        ASSERT_EQ(listed(*form), (std::vector<std::string>{"w1.txt"}));
        BoxAnswerer none;
        openWith(*form, c.args);
        EXPECT_TRUE(none.seen().empty());
        EXPECT_EQ(fieldOf(*form), pick);
        EXPECT_EQ(listed(*form), (std::vector<std::string>{"a.txt", "b.txt"}));
        EXPECT_EQ(platform::currentFolder().value(), pick);
        EXPECT_EQ(statusLine(*form), kPrompt);
    }
}

TEST_F(OpenFromOutside, FolderWhoseNameIsNotUtf8)
{
    const std::string odd = "\xFF\xFE" "写";
    work.mkdir(odd);
    writeFile(work / odd + "/x.dat", "x");
    auto form = window({"w1.txt"});
    openWith(*form, {odd.c_str()});
    EXPECT_EQ(fieldOf(*form), work / odd);
    EXPECT_EQ(listed(*form), (std::vector<std::string>{"x.dat"}));
    EXPECT_EQ(platform::currentFolder().value(), work / odd);
}

TEST_F(OpenFromOutside, WithoutAnArgumentNothingChanges)
{
    auto form = window({"w1.txt", "w2.txt"});
    for (std::vector<const char*> args :
         {std::vector<const char*>{}, {"--help"}, {"--version"}, {"-x", "pick"}, {"--"}}) {
        openWith(*form, args);
        EXPECT_EQ(form->EditDir->text(), QString());
        EXPECT_EQ(listed(*form), (std::vector<std::string>{"w1.txt", "w2.txt"}));
        EXPECT_EQ(platform::currentFolder().value(), work.path());
    }
}

TEST_F(OpenFromOutside, FolderThatCannotBeEnteredIsReportedAndTheStartFolderStays)
{
    auto form = window({"w1.txt"});
    BoxAnswerer answer;
    openWith(*form, {"gone"});
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].caption, QCoreApplication::applicationName());
    EXPECT_EQ(answer.seen()[0].text, u8("ファイルが見つかりません."));
    EXPECT_EQ(answer.seen()[0].icon, int(QMessageBox::Critical));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(listed(*form), (std::vector<std::string>{"w1.txt"}));
    EXPECT_EQ(platform::currentFolder().value(), work.path());
    // As after "フォルダ指定" on a folder that has gone, the field shows it.
    EXPECT_EQ(fieldOf(*form), work / "gone");
}

}  // namespace
