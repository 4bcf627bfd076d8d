#include "rename/journalwriter.h"

#include "platform/fdio.h"
#include "platform/syscalls.h"

namespace renaming {

namespace {
constexpr auto kSyncEvery = std::chrono::seconds(1);
}

JournalWriter::JournalWriter(platform::UniqueFd fd, std::string path)
    : fd_(std::move(fd)), path_(std::move(path))
{
}

JournalWriter::~JournalWriter() { put({}); }

void JournalWriter::put(const std::string& record)
{
    if (!fd_ || broken_ || (record.empty() && pending_.empty()))
        return;
    const bool written = pending_.empty() ? platform::writeAll(fd_.get(), record)
                                          : platform::writeAll(fd_.get(), pending_ + record);
    pending_.clear();
    if (!written) {
        broken_ = true;
        return;
    }
    anyDone_ = anyDone_ || pendingDone_;
    pendingDone_ = false;
    if (std::chrono::steady_clock::now() - lastSync_ >= kSyncEvery)
        sync();
}

void JournalWriter::sync()
{
    put({});
    if (!fd_ || broken_)
        return;
    lastSync_ = std::chrono::steady_clock::now();
    if (platform::sys().fdatasync(fd_.get()) != 0)
        broken_ = true;
}

void JournalWriter::begin(const JournalFolder& folder, int64_t started, int entries, bool deleteOld)
{
    put(journal_text::header(folder, started, entries, deleteOld));
    sync();
}

void JournalWriter::intent(int entry, JournalOp op, const std::string& from, const std::string& to,
                           const FileStamp& before)
{
    put(journal_text::intent(entry, op, from, to, before));
    // The copy the removal relies on is recorded for good before the only
    // other place of its content goes.
    if (op == JournalOp::remove)
        sync();
}

// What came of an operation goes out with the next record, in the same
// write: nothing happens to the folder in between, so the journal says just
// as much at any moment a kill may come, for half the writes.
void JournalWriter::done(int entry, JournalOp op, const FileStamp& after)
{
    if (!fd_ || broken_)
        return;
    pending_ += journal_text::done(entry, op, after);
    pendingDone_ = true;
}

void JournalWriter::failed(int entry, JournalOp op, int err)
{
    if (!fd_ || broken_)
        return;
    pending_ += journal_text::failed(entry, op, err);
}

void JournalWriter::end()
{
    put(journal_text::end());
    sync();
}

}  // namespace renaming
