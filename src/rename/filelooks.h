// Looks at the files of a run's entries on threads beside the run's own:
// a look costs a system call, about half a move's time on a memory file
// system, and the run needs one for every entry (is it a regular file, is
// it read-only, which file is it). Only where the system's own calls are in
// force: a test's Sys counts the calls, and fails them, in their order.
#pragma once

#include "platform/fileid.h"
#include "platform/nameinfo.h"
#include "rename/plan.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace renaming {

struct FileLook {
    platform::NameKind kind = platform::NameKind::missing;
    platform::FileId id;  // when kind is regular
};

// The name `name` in the folder `dir` looked at now.
FileLook lookAt(int dir, const std::string& name);

// What a decision is told of a name so looked at.
NameState stateOf(const FileLook& l, bool& isReadOnly);

// Every name of `names` in the folder `dir` looked at now, on as many
// threads as help where there are many.
std::vector<FileLook> lookAtAll(int dir, const std::vector<std::string>& names);

// The names looked at on a thread of their own, a few thousand ahead of a
// run that asks for them in their order; where there is no such thread, or
// it has not come to a name yet, the run looks itself. With `order`, the
// names looked at are names[order[0]], names[order[1]] ..., and the run asks
// for them by their place in `order`.
class LookAhead {
public:
    LookAhead(int dir, const std::vector<std::string>& names);
    LookAhead(int dir, const std::vector<std::string>& names, std::vector<int> order);
    ~LookAhead();
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // The look at the `i`th name, when one was taken. The room of a name asked
    // goes to one further ahead: a name asked again, or after a later one,
    // has none.
    bool take(size_t i, FileLook& out);

private:
    LookAhead(int dir, const std::vector<std::string>& names, std::vector<int> order, bool ordered);
    size_t count() const { return ordered_ ? order_.size() : names_.size(); }
    void work();

    static constexpr int kAhead = 4096;
    int dir_;
    const std::vector<std::string>& names_;
    const std::vector<int> order_;
    const bool ordered_ = false;
    std::vector<FileLook> ring_;
    std::unique_ptr<std::atomic<int>[]> taken_;  // per room: the name it holds, plus one
    std::atomic<int> asked_{0};                  // the names the run has asked for
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

}  // namespace renaming
