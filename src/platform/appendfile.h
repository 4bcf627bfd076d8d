// A file that only grows at its end, record by record: each append is one
// positioned write (pwrite) at the end this object keeps, so that what is
// appended is in the file for every reader at once and stays there when the
// program is killed; sync() puts it on the disk. Room for the records is
// taken from the file system ahead in large steps, so that most writes land
// inside the file and leave its size alone, which keeps them cheap.
//
// While the file is open it may end in zero bytes of the room taken ahead,
// which finish() (or the owner letting go) cuts off; a program killed before
// that leaves them. Where the file system cannot take room ahead, each
// write makes the file longer.
//
// Nothing of the file is viewed in memory: a file that another program, or
// a failing disk, cut short meanwhile loses records, never the program (a
// write past its end leaves zeros before it, which no reader takes for a
// record), and the memory a run uses does not grow with its journal.
//
// A few bytes of the room taken can be held back for last words: when the
// disk fills up, the appends that would need more room are refused, and
// the room held back still takes what the owner has to say about that.
#pragma once

#include "platform/status.h"
#include "platform/uniquefd.h"

#include <cstdint>
#include <string_view>

namespace platform {

class AppendFile {
public:
    AppendFile() = default;
    // Appends to `fd`, a regular file open for writing without O_APPEND
    // (a write there would go past the room taken ahead), after what it
    // holds now, holding `held` bytes of room back for appendHeld().
    explicit AppendFile(UniqueFd fd, size_t held = 0);
    ~AppendFile() { finish(); }
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool valid() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // What has been appended, with what the file held before.
    uint64_t length() const { return length_; }

    // Appends `bytes` in one write. A failure when they could not all be
    // written; what was appended before stays, and the next
    // append goes where these were to go. Refused (ENOSPC), writing
    // nothing, where the disk has no room for them beside the room held
    // back.
    Status append(std::string_view bytes);
    // The same, in the room held back where there is no other.
    Status appendHeld(std::string_view bytes);
    // Puts everything appended on the disk.
    Status sync();
    // Cuts off the room taken ahead; later records make the file longer
    // one by one. Also done when the owner lets go.
    Status finish();

private:
    // Takes room for the file to reach `end` and a step beyond, or, on a
    // disk that has not that much, `end` alone. A failure where the
    // disk is full; where the file system refuses room ahead, gives back
    // what it took and takes no more, and the writes make the file longer.
    Status takeRoom(uint64_t end);
    Status write(std::string_view bytes, uint64_t room);
    void reset() noexcept;

    UniqueFd fd_;
    uint64_t held_ = 0;
    uint64_t length_ = 0;
    uint64_t reserved_ = 0;  // how far the file reaches with the room ahead
    bool noRoom_ = false;    // no room is taken ahead (any more)
};

}  // namespace platform
