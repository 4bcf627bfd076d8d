#include "rename/renamerun.h"

#include "platform/fileops.h"
#include "platform/syscalls.h"
#include "rename/messages.h"

#include <fcntl.h>
#include <linux/fs.h>

#include <cerrno>

namespace renaming {

namespace {

// Outcome of trying to make the new name by moving the old file there.
enum class Move { done, targetExists, notPossible };

// Moving a file to a new name inside its folder is the copy and the delete
// in one step that cannot be interrupted half-way: nothing can be lost to a
// power cut, no space is needed and no time is spent copying.
Move moveNoReplace(const std::string& from, const std::string& to)
{
    if (!platform::acceptableName(from) || !platform::acceptableName(to))
        return Move::notPossible;  // and the copy refuses it too
    if (platform::sys().renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                                  RENAME_NOREPLACE) == 0)
        return Move::done;
    return errno == EEXIST ? Move::targetExists : Move::notPossible;
}

}  // namespace

RunCounts runRename(const RunRequest& rq)
{
    RunCounts c;
    const auto& entries = *rq.entries;
    const int total = static_cast<int>(entries.size());
    auto step = [&](RunStep s, const std::string& name) {
        if (rq.onStep)
            rq.onStep(s, name);
    };
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const std::string line = rq.line ? rq.line(i) : std::string();
        const std::string& oldName = entries[static_cast<size_t>(i)];
        if (!checkFileName(line, rq.cp)) {
            ++c.failed;
        } else if (const std::string newName = makeNewFileName(oldName, line, rq.rule, rq.cp);
                   newName.empty()) {
            ++c.ignored;
        } else {
            Move moved = Move::notPossible;
            if (rq.deleteOld && !platform::isReadOnly(oldName))
                moved = moveNoReplace(oldName, newName);
            if (moved == Move::done) {
                step(RunStep::created, newName);
                step(RunStep::deleted, oldName);
                ++c.success;
            } else if (moved == Move::targetExists ||
                       !platform::copyFileNoReplace(oldName, newName, nullptr, rq.deleteOld)) {
                step(RunStep::createFailed, newName);
                ++c.failed;
            } else {
                step(RunStep::created, newName);
                if (!rq.deleteOld) {
                    ++c.success;
                } else if (platform::deleteFile(oldName)) {
                    step(RunStep::deleted, oldName);
                    ++c.success;
                } else {
                    step(RunStep::deleteFailed, oldName);
                    ++c.deleteFailed;
                }
            }
        }
        if (rq.onProgress)
            rq.onProgress(i + 1, total);
    }
    return c;
}

const char* stepEnding(RunStep step)
{
    switch (step) {
    case RunStep::created:
        return msg::kCreated;
    case RunStep::createFailed:
        return msg::kCreateFailed;
    case RunStep::deleted:
        return msg::kDeleted;
    case RunStep::deleteFailed:
        return msg::kDeleteFailed;
    }
    return "";
}

std::string stepText(RunStep step, const std::string& name)
{
    return std::string(msg::kFileOpen) + name + stepEnding(step);
}

std::string summaryText(const RunCounts& c, bool deleteOld)
{
    std::string s = std::string(msg::kSuccess) + std::to_string(c.success) + msg::kItemsSep +
                    msg::kFailed + std::to_string(c.failed) + msg::kItemsSep + msg::kIgnored +
                    std::to_string(c.ignored) + msg::kItemsSep;
    if (deleteOld)
        s += std::string(msg::kDeleteFailedCount) + std::to_string(c.deleteFailed) + msg::kItems;
    return s;
}

}  // namespace renaming
