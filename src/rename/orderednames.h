// Names as a folder gives them, put in the list's order: each name gets its
// key (its modification time first, for that order, then its collation key)
// and the names are sorted by their keys. In a large folder the keys are
// made on a thread of their own while the folder is still being read, as
// the two take about as long.
#pragma once

#include "rename/collation.h"
#include "rename/keysort.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace renaming {

class OrderedNames {
public:
    // Names of the folder `dirFd`, ordered by `collation`, and by their
    // modification time first when `byTime`.
    OrderedNames(const Collation& collation, bool byTime, int dirFd);
    ~OrderedNames();
    OrderedNames(const OrderedNames&) = delete;
    OrderedNames& operator=(const OrderedNames&) = delete;

    void add(const char* name, size_t len);
    size_t size() const { return added_; }
    // Every name added, in order.
    std::vector<std::string> take();

private:
    using Batch = std::vector<std::string>;
    void keyBatch(Batch& batch);
    void work();
    void stop();

    const Collation& collation_;
    const bool byTime_;
    const int dirFd_;
    size_t added_ = 0;
    Batch filling_;
    // Keyed by the key thread, once it runs; read by the caller after it.
    std::vector<Batch> batches_;
    SortKeys keys_;

    std::mutex m_;
    std::condition_variable ready_;
    std::deque<Batch> queue_;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace renaming
