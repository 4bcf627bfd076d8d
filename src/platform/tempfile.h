// A new file that is written first and then either kept under a name or
// thrown away, so that no name ever shows it half written.
//
// It is made in the folder of a directory descriptor: unnamed (O_TMPFILE)
// where the file system can, else under a hidden scratch name of this
// program's own pattern, ".tsumugi-<pid>-<n>.tmp", which no listing of the
// program shows. keep() gives it its name without ever replacing an entry;
// discard(), and the destructor of a file not kept, remove whatever was
// made. The folder's descriptor is borrowed: it must stay open as long as
// the TempFile lives.
#pragma once

#include "platform/noreplace.h"
#include "platform/status.h"
#include "platform/uniquefd.h"

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace platform {

class TempFile {
public:
    enum class Kind {
        none,     // nothing (any more): kept, discarded, or never made
        unnamed,  // an O_TMPFILE file, gone by itself when closed
        scratch,  // a hidden file of the scratch pattern
        inPlace,  // made exclusively under its final name
    };

    // Makes a new file in the folder `dirFd` with `mode` (before the umask).
    // With `unnamed` false it always gets a scratch name (a file that is to
    // replace another one must have a name to be renamed from). A failure
    // when neither can be made.
    static Result<TempFile> create(int dirFd, mode_t mode = 0600, bool unnamed = true);

    // Makes the file under `name` itself, failing when the name is taken:
    // for a folder that takes neither an unnamed file nor a scratch name.
    // The name shows the file while it is written.
    static Result<TempFile> createInPlace(int dirFd, const std::string& name, mode_t mode = 0600);

    // True for a name of the scratch pattern (of any process).
    static bool isScratchName(std::string_view name);
    // The process number a name of the scratch pattern carries (0 for one
    // that no process can have); -1 for a name of another pattern.
    static long scratchPid(std::string_view name);

    TempFile() = default;
    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { discard(); }

    Kind kind() const { return kind_; }
    explicit operator bool() const { return kind_ != Kind::none; }
    int fd() const { return fd_.get(); }
    // The scratch or in-place name in the folder; empty for an unnamed file.
    const std::string& name() const { return name_; }

    // Gives the complete file the name `name` in its folder, never
    // replacing an entry, and closes it; a write error that only the close
    // reports fails the keep before the name shows anything. Unless done,
    // the file is still there for discard() (an in-place file can only be
    // kept under its own name). Fails as renameNoReplace does.
    Status keep(const std::string& name);

    // Gives a scratch file the name `name`, replacing an entry of that name
    // in one step (a settings file written anew), and closes it.
    Status keepReplacing(const std::string& name);

    // Removes whatever was made; true when nothing is left of it. A scratch
    // name whose removal fails is tried a second time.
    bool discard();
    // discard(), but an unnamed file is let go on a thread of its own: the
    // last close of a large file waits for the disk to finish writing out
    // its data, which an abandoned copy need not wait for.
    void discardAside();

private:
    TempFile(int dirFd, UniqueFd fd, Kind kind, std::string name)
        : dirFd_(dirFd), fd_(std::move(fd)), kind_(kind), name_(std::move(name))
    {
    }

    int dirFd_ = -1;
    UniqueFd fd_;
    Kind kind_ = Kind::none;
    std::string name_;
};

// Removes from the folder `dirFd` the scratch files that runs killed there
// left behind: regular files of the scratch pattern, owned by the user who
// runs the program, whose process is gone or is another program now (its
// number taken again). A file of a copy of this program that still runs
// may be in use and stays, as does any file whose process cannot be looked
// at (another user's, or no /proc at all). Returns how many files went;
// failures are passed over. The folder is read once for it: `listed`, where
// given, is told of every name read and its type as the folder says it
// (a dirent's d_type).
int removeStaleScratchFiles(int dirFd, const std::function<void(const char* name, unsigned char type)>& listed = {});

}  // namespace platform
