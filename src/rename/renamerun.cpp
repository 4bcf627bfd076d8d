#include "rename/renamerun.h"

#include "platform/fileops.h"
#include "rename/folderondisk.h"
#include "rename/messages.h"
#include "rename/plan.h"

namespace renaming {

RunCounts runRename(const RunRequest& rq)
{
    platform::removeStaleScratchFiles(rq.folder.fd());  // what killed runs left there
    RunCounts c;
    const int dir = rq.folder.fd();
    const int total = static_cast<int>(rq.entries.size());
    const platform::CopyOptions copy{rq.deleteOld, rq.copyTick.tick ? &rq.copyTick : nullptr};
    const PlanRules rules{rq.rule, rq.cp, rq.deleteOld};
    // Each entry is decided as its plan decides it, against the folder as it
    // is at that moment; only what the file operations then answer can
    // differ from the plan.
    const FolderOnDisk folder(dir);
    auto step = [&](RunStep s, const std::string& name) {
        if (rq.onStep)
            rq.onStep(s, name);
    };
    const std::string noLine;
    for (int i = 0; i < total; ++i) {
        const size_t at = static_cast<size_t>(i);
        const std::string& oldName = rq.entries[at];
        const Decision d = decide(oldName, at < rq.lines.size() ? rq.lines[at] : noLine, rules, folder);
        const std::string& newName = d.newName;
        auto copyThenDelete = [&] {
            if (!platform::copyFileNoReplace(dir, oldName, dir, newName, nullptr, copy)) {
                step(RunStep::createFailed, newName);
                ++c.failed;
                return;
            }
            step(RunStep::created, newName);
            if (!rq.deleteOld) {
                ++c.success;
            } else if (platform::deleteFile(dir, oldName)) {
                step(RunStep::deleted, oldName);
                ++c.success;
            } else {
                step(RunStep::deleteFailed, oldName);
                ++c.deleteFailed;
            }
        };
        switch (d.outcome) {
        case Outcome::badLine:
            ++c.failed;
            break;
        case Outcome::noName:
            ++c.ignored;
            break;
        case Outcome::hiddenName:
        case Outcome::unacceptable:
        case Outcome::oldGone:
        case Outcome::oldNotFile:
        case Outcome::taken:
        case Outcome::takenByRun:
            step(RunStep::createFailed, newName);
            ++c.failed;
            break;
        case Outcome::moved: {
            // Moving a file to a new name inside its folder is the copy and
            // the delete in one step that cannot be interrupted half-way:
            // nothing can be lost to a power cut, no space is needed and no
            // time is spent copying. Where the file system cannot move
            // without replacing, the copy and the delete do it.
            const auto moved = platform::renameNoReplace(dir, oldName, dir, newName).status;
            if (moved == platform::RenameStatus::done) {
                step(RunStep::created, newName);
                step(RunStep::deleted, oldName);
                ++c.success;
            } else if (moved == platform::RenameStatus::targetExists) {
                step(RunStep::createFailed, newName);
                ++c.failed;
            } else {
                copyThenDelete();
            }
            break;
        }
        case Outcome::copied:
        case Outcome::oldStays:
            // A read-only file is never moved, since it is never deleted.
            copyThenDelete();
            break;
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
