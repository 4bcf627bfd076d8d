// The settings values: program-wide, alive for the whole run, at their zero
// state until the settings file is read.
#pragma once

#include <cstdint>
#include <string>

namespace settings {

struct Values {
    bool WinMem = false;      // restore the window's last position and size
    bool InitMax = false;     // open the main window maximised
    int32_t RootDirSel = 0;   // start folder of "フォルダ指定": 0 desktop, 1 LastDir, 2 RootDir
    std::string LastDir;      // working folder of the last rename run
    std::string RootDir;      // the folder specified for choice 2
    // The current-names list's order (0 by name, 1 with digits by value, 2 by
    // modification time) and the patterns of the files it shows (all when
    // empty). A file without them keeps today's list.
    int32_t SortOrder = 0;
    std::string FileMask;
    bool SwapNames = false;   // a run with the old files deleted swaps names (the option menu)
};

// The program's one set of values.
Values& values();

// Back to the zero state (start-up, and tests).
void resetValues();

}  // namespace settings
