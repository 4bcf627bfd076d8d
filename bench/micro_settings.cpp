// Reading the settings file at start-up: the file opened and read, and the
// nine keys looked up, as the window does before it is shown.
#include "platform/inifile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void ReadSettingsFile(benchmark::State& state)
{
    char dir[] = "/tmp/tsumugi-micro-XXXXXX";
    if (!::mkdtemp(dir)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string path = std::string(dir) + "/meibo.ini";
    {
        // The file as a first close writes it, plus lines of other programs.
        std::string text =
            "[ウィンドウの位置とサイズを記憶する]\r\nWinMem=1\r\n[ウィンドウを最大化で表示]\r\n"
            "InitMax=0\r\n[ウィンドウの位置とサイズ]\r\nTop=172\r\nLeft=217\r\nHeight=596\r\n"
            "Width=851\r\n[ルートフォルダ指定の方法]\r\nRootDirSel=1\r\n[前回処理したフォルダ]\r\n"
            "LastDir=/home/user/写真/2026\r\n[フォルダ指定のルートフォルダ]\r\nRootDir=\r\n";
        for (int i = 0; i < state.range(0); ++i)
            text += "[other" + std::to_string(i) + "]\r\nkey=value\r\n";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    const struct {
        const char* section;
        const char* key;
    } keys[] = {{"ウィンドウの位置とサイズを記憶する", "WinMem"},
                {"ウィンドウを最大化で表示", "InitMax"},
                {"ウィンドウの位置とサイズ", "Top"},
                {"ウィンドウの位置とサイズ", "Left"},
                {"ウィンドウの位置とサイズ", "Height"},
                {"ウィンドウの位置とサイズ", "Width"},
                {"ルートフォルダ指定の方法", "RootDirSel"},
                {"前回処理したフォルダ", "LastDir"},
                {"フォルダ指定のルートフォルダ", "RootDir"}};
    for (auto _ : state) {
        platform::IniFile ini(path);
        size_t n = 0;
        for (const auto& k : keys)
            n += ini.read(k.section, k.key, "").size();
        benchmark::DoNotOptimize(n);
    }
    ::unlink(path.c_str());
    ::rmdir(dir);
}
BENCHMARK(ReadSettingsFile)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
