// Shortening a folder path for a line of limited width: the result is the
// path itself when that fits, never wider than the path, always ends with
// the path's name part, and fits whenever anything but the name was left.
// Cutting folders one at a time always comes to an end.
#include "filedialog/shortenpath.h"
#include "fuzzcheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>

using platform::CodePage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const CodePage cp = in.ConsumeBool() ? CodePage::cp932 : CodePage::utf8;
    // A width per byte value, so that a text's width is the sum over its
    // bytes, as a font's advance widths add up.
    std::array<int, 256> w{};
    const int spread = in.ConsumeIntegralInRange<int>(0, 15);
    for (int b = 0; b < 256; ++b)
        w[static_cast<size_t>(b)] = 1 + (b * 31 + spread) % (spread + 1);
    const nx::TextWidth width = [&](const std::string& s) {
        int sum = 0;
        for (unsigned char c : s)
            sum += w[c];
        return sum;
    };
    const int maxWidth = in.ConsumeIntegralInRange<int>(-5, 400);
    std::string path = in.ConsumeRemainingBytesAsString();
    if (path.size() > 2000)
        path.resize(2000);

    const std::string out = nx::ShortenPath(path, width, maxWidth, cp);
    if (width(path) <= maxWidth)
        FUZZ_CHECK(out == path);
    FUZZ_CHECK(width(out) <= width(path));
    const size_t last = platform::findLastChar(path, "/", cp);
    const std::string name = last == std::string::npos ? path : path.substr(last + 1);
    FUZZ_CHECK(out.size() >= name.size() &&
               out.compare(out.size() - name.size(), name.size(), name) == 0);
    if (out != name)
        FUZZ_CHECK(width(out) <= maxWidth || out == path);

    // Cutting the folder part again and again empties it in a bounded
    // number of steps.
    if (last != std::string::npos) {
        std::string dir = path.substr(0, last + 1);
        size_t steps = 0;
        while (!dir.empty()) {
            nx::CutFirstFolder(dir, cp);
            FUZZ_CHECK(++steps <= path.size() + 3);
        }
    }
    return 0;
}
