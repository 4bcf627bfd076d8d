// What tests of the settings file share: the file a first close writes, and a
// program that runs from a scratch folder of its own (its settings file lands
// there) in a scratch working folder.
#pragma once

#include "platform/exepath.h"
#include "settings/values.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <memory>

namespace testing_support {

// A first close in the normal state, every value at its zero state and the
// window at its design-time bounds.
inline constexpr const char* kFirstClose =
    "[ウィンドウの位置とサイズを記憶する]\r\n"
    "WinMem=0\r\n"
    "[ウィンドウを最大化で表示]\r\n"
    "InitMax=0\r\n"
    "[ウィンドウの位置とサイズ]\r\n"
    "Top=172\r\n"
    "Left=217\r\n"
    "Height=596\r\n"
    "Width=851\r\n"
    "[ルートフォルダ指定の方法]\r\n"
    "RootDirSel=0\r\n"
    "[前回処理したフォルダ]\r\n"
    "LastDir=\r\n"
    "[フォルダ指定のルートフォルダ]\r\n"
    "RootDir=\r\n";

class ProgramInScratch : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::resetValues();
        platform::setExecutablePath(home / "meibo");
        cwd = std::make_unique<CwdGuard>(work.path());
    }
    void TearDown() override
    {
        cwd.reset();
        platform::setExecutablePath("");
        settings::resetValues();
    }

    ScratchDir home;
    ScratchDir work;
    std::unique_ptr<CwdGuard> cwd;
};

}  // namespace testing_support
