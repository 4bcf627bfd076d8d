// The settings file: the five settings values and the main window's outer
// bounds, read once when the window is made and written once when it closes.
// Which keys, in which sections and when, is the table of settingstable.h.
#pragma once

#include "platform/codepage.h"
#include "settings/settingstable.h"
#include "settings/valuetext.h"
#include "settings/values.h"

#include <optional>
#include <string>

namespace settings {

// What the load gives the window.
struct Loaded {
    std::optional<Bounds> bounds;  // only when WinMem is set
    bool maximised = false;
};

// The file is text in the system code page `cp`. One carried over from a
// system of the other code page (a Windows machine's Shift-JIS file on a
// UTF-8 system) is known by its section names: it is read converted, and
// saves keep it in its own code page, so that the Windows profile functions
// still read every value; only a value that code page cannot hold (a folder
// name outside Shift-JIS) makes the save write it whole in `cp`.

// Fills `v` from the file at `path` (defaults for whatever is missing) and
// says where the window goes.
Loaded load(const std::string& path, Values& v,
            platform::CodePage cp = platform::systemCodePage());

// Writes `v`, and `bounds` when the window is in its normal state, to the
// file at `path`. Raises ToolkitError "<path> に書き込めません" at the first
// key that cannot be written; the keys before it stay written.
void save(const std::string& path, const Values& v, const std::optional<Bounds>& bounds,
          platform::CodePage cp = platform::systemCodePage());

}  // namespace settings
