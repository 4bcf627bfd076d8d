// A Sys that passes every call to the real one unless a test has put a hook
// in its place, and that records the calls it saw, so that a test can make
// the disk fail at one chosen point or check the order of calls.
#pragma once

#include "platform/syscalls.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class FaultSys : public platform::Sys {
public:
    std::vector<std::string> calls;

    std::function<int(const char*, int, mode_t)> onOpen;
    std::function<ssize_t(int, const void*, size_t)> onWrite;
    std::function<int(int, int)> onClone;
    std::function<ssize_t(int, off_t*, int, off_t*, size_t)> onCopyRange;
    std::function<int(int, const char*, int, const char*, unsigned)> onRenameat2;
    std::function<int(int, const char*, int, const char*, int)> onLinkat;
    std::function<int(int, const char*, int)> onUnlinkat;
    std::function<int(int)> onFdatasync;
    std::function<int(int)> onFsync;

    int open(const char* path, int flags, mode_t mode) override
    {
        calls.push_back("open");
        return onOpen ? onOpen(path, flags, mode) : Sys::open(path, flags, mode);
    }
    ssize_t write(int fd, const void* buf, size_t n) override
    {
        return onWrite ? onWrite(fd, buf, n) : Sys::write(fd, buf, n);
    }
    int cloneFile(int dst, int src) override
    {
        calls.push_back("clone");
        return onClone ? onClone(dst, src) : Sys::cloneFile(dst, src);
    }
    ssize_t copyFileRange(int in, off_t* inOff, int out, off_t* outOff, size_t len) override
    {
        calls.push_back("copy_file_range");
        return onCopyRange ? onCopyRange(in, inOff, out, outOff, len)
                           : Sys::copyFileRange(in, inOff, out, outOff, len);
    }
    int renameat2(int od, const char* op, int nd, const char* np, unsigned flags) override
    {
        calls.push_back("renameat2");
        return onRenameat2 ? onRenameat2(od, op, nd, np, flags)
                           : Sys::renameat2(od, op, nd, np, flags);
    }
    int linkat(int od, const char* op, int nd, const char* np, int flags) override
    {
        calls.push_back("linkat");
        return onLinkat ? onLinkat(od, op, nd, np, flags) : Sys::linkat(od, op, nd, np, flags);
    }
    int unlinkat(int d, const char* p, int flags) override
    {
        calls.push_back("unlinkat");
        return onUnlinkat ? onUnlinkat(d, p, flags) : Sys::unlinkat(d, p, flags);
    }
    int fdatasync(int fd) override
    {
        calls.push_back("fdatasync");
        return onFdatasync ? onFdatasync(fd) : Sys::fdatasync(fd);
    }
    int fsync(int fd) override
    {
        calls.push_back("fsync");
        return onFsync ? onFsync(fd) : Sys::fsync(fd);
    }

    // Index of the first call named `name`, or -1.
    int indexOf(const std::string& name) const
    {
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i] == name)
                return static_cast<int>(i);
        return -1;
    }
};

// Hooks that make the file system look like one without the newer calls.
inline int refuse(int e)
{
    errno = e;
    return -1;
}

}  // namespace testing_support
