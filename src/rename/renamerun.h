// The rename run: every entry of the list gets the new name made from its
// typed line, one at a time, in list order. A new name never replaces an
// existing file, and an old file is removed only once its content is safe
// under the new name.
#pragma once

#include "platform/codepage.h"
#include "rename/namerule.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace renaming {

struct RunCounts {
    int32_t success = 0;       // made, and (when deleting) the old file removed
    int32_t failed = 0;        // line refused by the name check, or not made
    int32_t ignored = 0;       // no new name (blank or missing line)
    int32_t deleteFailed = 0;  // made, but the old file stayed
    bool operator==(const RunCounts&) const = default;
};

// What the status line reports after a file operation.
enum class RunStep {
    created,       // about the new name
    createFailed,  // about the new name
    deleted,       // about the old name
    deleteFailed,  // about the old name
};

struct RunRequest {
    // The old names, bare, resolved against the current folder.
    const std::vector<std::string>* entries = nullptr;
    // Line i of the new names; the empty string beyond the last line.
    std::function<std::string(int)> line;
    NameRule rule = NameRule::replace;
    platform::CodePage cp = platform::CodePage::utf8;
    bool deleteOld = false;
    // Called after every file operation with the name the report is about.
    std::function<void(RunStep, const std::string& name)> onStep;
    // Called after every entry with the number done so far and the total.
    std::function<void(int done, int total)> onProgress;
};

RunCounts runRename(const RunRequest& request);

// The words that follow the name in the status text of a step.
const char* stepEnding(RunStep step);

// The status text of a step: the program's words around the name's bytes.
std::string stepText(RunStep step, const std::string& name);

// "成功：n件　失敗：n件　無視：n件　", and "削除失敗：n件" when deleting.
std::string summaryText(const RunCounts& counts, bool deleteOld);

}  // namespace renaming
