// State that the component unit keeps once per process: it supports one
// dialog of the unit at a time.
#pragma once

#include <cstdint>
#include <string>

namespace nx {

struct UnitState {
    // Folder browser: the last captured dialog rectangle.
    int32_t lastLeft = 0, lastTop = 0, lastWidth = 0, lastHeight = 0;
    // File list window.
    bool IsOpenMode = false;    // the window was opened by an open dialog
    bool SizeAdjusted = false;  // the window has passed its first size negotiation
    bool BrowseShown = false;   // its folder browser has been shown
    std::string SearchText;     // the partial-match search text; empty: no filter
    // Start-up and shut-down counter of the unit.
    int initCounter = 0;
};

UnitState& unit();

// Unit start-up and shut-down: the counter runs down at start-up and back up
// at shut-down, which also empties the search text.
void unitInitialize();
void unitFinalize();

}  // namespace nx
