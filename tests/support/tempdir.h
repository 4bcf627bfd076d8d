// Scratch folders for tests: made fresh, removed with everything in them.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Writes `content` to the file `name` (bytes, any name).
    void write(const std::string& name, const std::string& content = "x") const;
    std::string read(const std::string& name) const;
    void mkdir(const std::string& name) const;
    bool exists(const std::string& name) const;  // lstat: links count as entries
    // Names in the folder, sorted by bytes, without "." and "..".
    std::vector<std::string> names() const;

private:
    std::string path_;
};

// Restores the current folder when it goes out of scope.
class CwdGuard {
public:
    CwdGuard();
    ~CwdGuard();

private:
    int fd_;
};

}  // namespace testing_support
