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
#include <exception>
#include <functional>
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

// The names looked at on a thread of their own, a few thousand ahead of a
// run that asks for them in their order; where there is no such thread, or
// it has not come to a name yet, the run looks itself.
class LookAhead {
public:
    LookAhead(int dir, const std::vector<std::string>& names);
    ~LookAhead();
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // The look at the `i`th name, when one was taken. The room of a name asked
    // goes to one further ahead: a name asked again, or after a later one,
    // has none.
    bool take(size_t i, FileLook& out);

private:
    void work();

    static constexpr int kAhead = 4096;
    int dir_;
    const std::vector<std::string>& names_;
    std::vector<FileLook> ring_;
    std::unique_ptr<std::atomic<int>[]> taken_;  // per room: the name it holds, plus one
    std::atomic<int> asked_{0};                  // the names the run has asked for
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

// The files of a run's entries looked at on a thread of their own from the
// moment the run starts, while it makes its plan: in the entries' order
// until the run tells the order it will ask in, then in that order, as far
// ahead as the thread gets: fewer of the looks fall beside the moves, where
// each costs the moves some of its time. Each file is looked at once, by
// the thread or, where the thread has not come to it yet (or there is
// none), by the run. The thread does one piece of the run's work before its
// looks (the read of the folder), beside the plan too.
class EarlyLooks {
public:
    // `first` is done before any look: on the thread, or here where there
    // is none.
    EarlyLooks(int dir, const std::vector<std::string>& names, std::function<void()> first = {});
    ~EarlyLooks();
    EarlyLooks(const EarlyLooks&) = delete;
    EarlyLooks& operator=(const EarlyLooks&) = delete;

    // The names not looked at yet go in `order` (their indexes) from now on;
    // those not in it are left to the run. Told once.
    void follow(std::vector<int> order);
    // The look at the `i`th name: the thread's, or one taken now. The same
    // look, however often asked.
    const FileLook& take(size_t i);
    // Returns once `first` is done; throws what it threw.
    void awaitFirst();

private:
    void work();
    // Looks at the `i`th name unless it is looked at, or being looked at;
    // false in the last case.
    bool lookOn(size_t i);

    enum : unsigned char { kFree, kLooking, kLooked };
    // Room for a look per name, whose pages are touched as the looks come,
    // by the thread that takes them.
    struct Free {
        size_t n;
        void operator()(FileLook* p) const { std::allocator<FileLook>().deallocate(p, n); }
    };
    int dir_;
    const std::vector<std::string>& names_;
    std::unique_ptr<FileLook[], Free> looks_;
    std::unique_ptr<std::atomic<unsigned char>[]> state_;  // per name
    std::vector<int> order_;                               // written before ordered_
    std::atomic<bool> ordered_{false};
    std::atomic<bool> firstDone_{false};
    std::exception_ptr firstError_;  // written before firstDone_
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

}  // namespace renaming
