// Looks at the names of a list in one folder, in list order, ahead of the
// one who needs them: a look (a stat) costs about a quarter of a rename, and
// on a machine with more than one processor a helper thread makes it while
// the run renames the files before it. The asker takes the looks in order;
// one that no helper has made yet it makes itself, so that with no helper
// every look is made at its turn, exactly where a run without helpers would
// make it.
//
// A look made ahead is the folder as it was a few entries earlier: whoever
// changes the folder meanwhile (the run itself, making a name it then comes
// to) looks again (lookNow).
#pragma once

#include "platform/nameinfo.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace renaming {

struct Look {
    platform::NameKind kind = platform::NameKind::missing;
    platform::FileIdentity id;  // for a regular file
};

// A look at `name` in the folder of `dirFd`, made now.
Look lookNow(int dirFd, const std::string& name);

// The helper threads worth starting for looks beside the asker's own work:
// none where the system calls in force are a test's (whose calls and their
// order are counted), else one fewer than the processors, at most `most`.
unsigned lookHelpers(unsigned most = 1);

class LooksAhead {
public:
    // Looks at each of `names` (which outlive this object) in the folder of
    // `dirFd`, with `helpers` threads, at most `lead` names ahead of the
    // last look taken (0: as far as they go).
    LooksAhead(int dirFd, const std::vector<std::string>& names, unsigned helpers, size_t lead = 0);
    // Stops the helpers and waits for them.
    ~LooksAhead();
    LooksAhead(const LooksAhead&) = delete;
    LooksAhead& operator=(const LooksAhead&) = delete;

    // The look at names[i]: a helper's, or made now. Asked for each i once,
    // in increasing order; valid until the next.
    const Look& take(size_t i);
    // Whether looks are made ahead of take(), by helpers.
    bool ahead() const { return ready_ != nullptr; }
    // Without a lead: the look at names[i], taken before.
    const Look& at(size_t i) const { return looks_[i]; }

private:
    // Names are looked at in blocks: a helper claims one at a time.
    static constexpr size_t kBlock = 32;
    size_t blocks() const { return (names_.size() + kBlock - 1) / kBlock; }
    // Claims the next block, or returns false when all are claimed.
    bool claim(size_t& block);
    void lookAt(size_t block);
    void help();

    const int dir_;
    const std::vector<std::string>& names_;
    const size_t lead_;
    // One look a name; with a lead, a ring of the blocks a helper may be
    // ahead by.
    std::vector<Look> looks_;
    size_t slot(size_t i) const { return i % looks_.size(); }
    // Per block: 1 once its looks are all in.
    std::unique_ptr<std::atomic<uint32_t>[]> ready_;
    std::atomic<size_t> next_{0};   // the next block to claim
    std::atomic<size_t> taken_{0};  // blocks the asker has passed
    std::atomic<bool> quit_{false};
    std::vector<std::thread> helpers_;
};

}  // namespace renaming
