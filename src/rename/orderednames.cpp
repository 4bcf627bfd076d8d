#include "rename/orderednames.h"

#include "platform/nameinfo.h"

#include <cstdint>

namespace renaming {

namespace {
// Names handed to the key thread at a time; a folder of fewer names has its
// keys made after it is read, with no thread.
constexpr size_t kBatch = 4096;
}  // namespace

OrderedNames::OrderedNames(const Collation& collation, bool byTime, int dirFd)
    : collation_(collation), byTime_(byTime), dirFd_(dirFd)
{
    filling_.reserve(kBatch);
}

OrderedNames::~OrderedNames() { stop(); }

void OrderedNames::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(m_);
        done_ = true;
    }
    ready_.notify_one();
    thread_.join();
}

void OrderedNames::add(const char* name, size_t len)
{
    filling_.emplace_back(name, len);
    ++added_;
    if (filling_.size() < kBatch)
        return;
    if (!thread_.joinable())
        thread_ = std::thread([this] { work(); });
    {
        std::lock_guard lock(m_);
        queue_.push_back(std::move(filling_));
    }
    ready_.notify_one();
    filling_ = Batch();
    filling_.reserve(kBatch);
}

void OrderedNames::keyBatch(Batch& batch)
{
    for (auto& n : batch) {
        if (byTime_) {
            // Big-endian with the sign bit flipped, so that the bytes order
            // as the times do. A file gone meanwhile counts as the oldest.
            platform::FileId id;
            const int64_t t = platform::fileIdentity(dirFd_, n, id) ? id.mtimeNs : INT64_MIN;
            const uint64_t u = static_cast<uint64_t>(t) ^ (uint64_t{1} << 63);
            for (int shift = 56; shift >= 0; shift -= 8)
                keys_.bytes().push_back(static_cast<char>((u >> shift) & 0xFF));
        }
        collation_.appendKey(n, keys_.bytes());
        keys_.endKey();
    }
    batches_.push_back(std::move(batch));
}

void OrderedNames::work()
{
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(m_);
            ready_.wait(lock, [this] { return done_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            batch = std::move(queue_.front());
            queue_.pop_front();
        }
        keyBatch(batch);
    }
}

std::vector<std::string> OrderedNames::take()
{
    stop();
    if (!filling_.empty())
        keyBatch(filling_);
    filling_ = Batch();
    // Every batch but the last is full.
    auto name = [this](uint32_t i) -> std::string& { return batches_[i / kBatch][i % kBatch]; };
    const auto order = keyOrder(keys_, [&](uint32_t a, uint32_t b) { return name(a) < name(b); });
    // The keys go before the sorted list is made: a million of them are
    // as large as the names.
    keys_ = SortKeys();
    std::vector<std::string> sorted;
    sorted.reserve(order.size());
    for (uint32_t i : order)
        sorted.push_back(std::move(name(i)));
    batches_.clear();
    added_ = 0;
    return sorted;
}

}  // namespace renaming
