#include "rename/journalwriter.h"

#include "platform/foldersync.h"
#include "platform/textfile.h"
#include "rename/messages.h"

#include <cstdio>

namespace renaming {

namespace {
constexpr auto kSyncEvery = std::chrono::seconds(1);
// Room for the records a broken journal ends with, and more.
constexpr size_t kLastWords = 256;
}

JournalWriter::JournalWriter(platform::UniqueFd fd, std::string path)
    : file_(std::move(fd), kLastWords), path_(std::move(path)), lastSync_(std::chrono::steady_clock::now())
{
}

JournalWriter::~JournalWriter()
{
    put();
    file_.finish();
}

void JournalWriter::put()
{
    if (!file_.valid() || broken_ || pending_.empty())
        return;
    const bool written = file_.append(pending_).ok();
    pending_.clear();
    if (!written) {
        broken_ = true;
        // In the room held back, so that a kill from here on still leaves
        // where the journal went silent.
        unrecordedFrom_ = pendingEntry_;
        if (unrecordedFrom_ >= 0)
            file_.appendHeld(journal_text::unrecorded(unrecordedFrom_));
        return;
    }
    pendingEntry_ = -1;
    anyDone_ = anyDone_ || pendingDone_;
    pendingDone_ = false;
    if (std::chrono::steady_clock::now() - lastSync_ >= kSyncEvery)
        sync();
}

void JournalWriter::changed(int entry)
{
    if (!broken_ || entry < 0)
        return;
    const auto at = static_cast<size_t>(entry);
    if (at >= changedSince_.size())
        changedSince_.resize(at + 1);
    if (!changedSince_[at]) {
        changedSince_[at] = true;
        ++changedCount_;
    }
}

void JournalWriter::sync()
{
    lastSync_ = std::chrono::steady_clock::now();  // before put(), which would sync too
    put();
    if (!file_.valid() || broken_)
        return;
    if (!file_.sync())
        broken_ = true;
    // The journal's name in its folder, with the first records: a journal
    // on the disk that no name leads to would be lost to a power cut.
    if (!broken_ && !folderSynced_ && !path_.empty()) {
        folderSynced_ = true;
        if (!platform::syncFolder(path_.substr(0, path_.rfind('/') + 1)))
            broken_ = true;
    }
}

void JournalWriter::begin(const JournalFolder& folder, int64_t started, int entries, bool deleteOld)
{
    if (!file_.valid() || broken_)
        return;
    pending_ += journal_text::header(folder, started, entries, deleteOld);
    pendingEntry_ = 0;  // without its start, nothing of the run is recorded
    put();
}

void JournalWriter::intent(int entry, JournalOp op, const std::string& from, const std::string& to,
                           const platform::FileId& before)
{
    if (!file_.valid() || broken_)
        return;
    if (op == JournalOp::move && aheadNext_ < ahead_.size() && ahead_[aheadNext_] == entry) {
        ++aheadNext_;
        return;
    }
    journal_text::appendIntent(pending_, entry, op, from, to, before);
    pendingEntry_ = entry;
    put();
    // The copy the removal relies on is recorded for good before the only
    // other place of its content goes.
    if (op == JournalOp::remove)
        sync();
}

void JournalWriter::movesAhead(const std::vector<Move>& moves)
{
    ahead_.clear();
    aheadNext_ = 0;
    if (!file_.valid() || broken_ || moves.empty())
        return;
    for (const Move& m : moves) {
        journal_text::appendIntent(pending_, m.entry, JournalOp::move, m.from, m.to, m.before);
        ahead_.push_back(m.entry);
    }
    // Where the write fails, nothing from the first of them on is recorded.
    pendingEntry_ = moves.front().entry;
    put();
}

// What came of an operation goes out with the next record: nothing happens
// to the folder in between, so the journal says just as much at any moment a
// kill may come.
void JournalWriter::done(int entry, JournalOp op, const platform::FileId& after)
{
    changed(entry);
    if (!file_.valid() || broken_)
        return;
    journal_text::appendDone(pending_, entry, op, after);
    pendingDone_ = true;
}

void JournalWriter::failed(int entry, JournalOp op, int err)
{
    if (!file_.valid() || broken_)
        return;
    journal_text::appendFailed(pending_, entry, op, err);
}

void JournalWriter::temporary(int entry, const std::string& name)
{
    if (!file_.valid() || broken_)
        return;
    pending_ += journal_text::temporary(entry, name);
    pendingEntry_ = entry;
    put();
}

void JournalWriter::stopped(int notDone)
{
    notDone_ = notDone;
    if (!file_.valid() || broken_)
        return;
    pending_ += journal_text::stopped(notDone);
    // The stop is answered before the disk has the record: end() puts the
    // journal there aside, where no writeback of the run's data holds it up.
    lastSync_ = std::chrono::steady_clock::now();
    put();
}

void JournalWriter::end()
{
    if (!file_.valid())
        return;
    if (!broken_) {
        pending_ += journal_text::end();
        put();
    }
    if (broken_) {
        // The last words: what the journal does not tell, and that the run
        // came to its end all the same.
        std::string last;
        if (unrecordedFrom_ >= 0)
            last += journal_text::unrecorded(unrecordedFrom_, changedCount_);
        if (notDone_ > 0)
            last += journal_text::stopped(notDone_);
        last += journal_text::end();
        if (!file_.appendHeld(last))
            return;
    }
    // The room taken ahead goes before the journal is put on the disk, so
    // that the disk has the journal as it ends. The run's summary does not
    // wait for the disk.
    if (!file_.finish())
        broken_ = true;
    else if (!path_.empty())
        platform::syncAside(path_);
}

std::string unrecordedText(int from)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, msg::kUnrecordedFormat, from + 1);
    return buf;
}

}  // namespace renaming
