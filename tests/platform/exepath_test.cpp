// Where the settings file lives.
#include "platform/exepath.h"
#include "platform/syscalls.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using namespace testing_support;

namespace {

TEST(SettingsPath, ExtensionRule)
{
    struct Case {
        const char* exe;
        const char* ini;
    } cases[] = {
        {"/opt/t/meibo", "/opt/t/meibo.ini"},
        {"/opt/t/meibo.exe", "/opt/t/meibo.ini"},
        {"/opt/t/meibo.tar.gz", "/opt/t/meibo.tar.ini"},
        {"/opt/v1.2/meibo", "/opt/v1.2/meibo.ini"},
        {"/opt/t/.meibo", "/opt/t/.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::iniPathFor(c.exe), c.ini) << c.exe;
}

TEST(SettingsPath, InstalledProgramUsesTheUsersConfigFolder)
{
    ScratchDir d;
    ASSERT_EQ(::mkdir((d / "bin").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((d / "build").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("bin", (d / "bin-link").c_str()), 0);
    const std::string config = d / "config";

    // Run from the installation's binary folder, however it is spelt.
    EXPECT_EQ(platform::settingsPathFor(d / "bin/meibo", d / "bin", config),
              config + "/tsumugi/meibo.ini");
    EXPECT_EQ(platform::settingsPathFor(d / "bin/meibo", d / "bin-link", config),
              config + "/tsumugi/meibo.ini");
    // Run from anywhere else: beside the executable.
    EXPECT_EQ(platform::settingsPathFor(d / "build/meibo", d / "bin", config),
              d / "build/meibo.ini");
    EXPECT_EQ(platform::settingsPathFor(d / "build/meibo", "/usr/bin", config),
              d / "build/meibo.ini");
}

TEST(SettingsPath, ConfigHomeFromTheEnvironment)
{
    EnvGuard xdg("XDG_CONFIG_HOME", "/x/conf");
    EnvGuard home("HOME", "/home/someone");
    EXPECT_EQ(platform::userConfigHome(), "/x/conf");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    EXPECT_EQ(platform::userConfigHome(), "/home/someone/.config");
}

TEST(SettingsPath, HomeIsTheAccountsWhenHomeIsNoAbsolutePath)
{
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    const std::string account = pw->pw_dir;
    struct Case {
        const char* home;  // null: unset
        std::string expected;
    } cases[] = {
        {"/home/someone", "/home/someone"},
        {"relative/home", account},
        {"", account},
        {nullptr, account},
    };
    for (const Case& c : cases) {
        EnvGuard home("HOME", c.home);
        EXPECT_EQ(platform::userHome(), c.expected) << (c.home ? c.home : "(unset)");
    }
    EnvGuard state("XDG_STATE_HOME", nullptr);
    EnvGuard home("HOME", "relative/home");
    EXPECT_EQ(platform::userStateHome(), account + "/.local/state");
}

TEST(SettingsPath, OverriddenExecutablePath)
{
    const std::string real = platform::executablePath();
    EXPECT_TRUE(real.ends_with("/test_platform")) << real;
    platform::setExecutablePath("/somewhere/meibo");
    EXPECT_EQ(platform::settingsPath(), "/somewhere/meibo.ini");
    platform::setExecutablePath("");
    EXPECT_EQ(platform::executablePath(), real);
}

}  // namespace

namespace {

class ReplacedExecutable : public platform::Sys {
public:
    ssize_t readlink(const char*, char* buf, size_t size) override
    {
        const std::string target = "/opt/t/meibo (deleted)";
        const size_t n = std::min(size, target.size());
        target.copy(buf, n);
        return static_cast<ssize_t>(n);
    }
};

TEST(SettingsPath, ExecutableReplacedWhileRunningKeepsItsSettingsFile)
{
    ReplacedExecutable s;
    platform::ScopedSys use(s);
    EXPECT_EQ(platform::executablePath(), "/opt/t/meibo");
}

}  // namespace
