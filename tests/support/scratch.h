// Test helpers on real files: a fresh folder under /tmp that is removed with
// everything in it, guards of the current folder and of an environment
// variable, and small readers and writers of whole files.
#pragma once

#include <sys/stat.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A scratch folder, addressed as `dir.file("name")` or `dir / "name"`.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::string operator/(const std::string& name) const { return file(name); }

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

// Puts the current folder back when it goes out of scope; with a folder,
// enters it first.
class CwdGuard {
public:
    CwdGuard();
    explicit CwdGuard(const std::string& enter);
    ~CwdGuard();
    CwdGuard(const CwdGuard&) = delete;
    CwdGuard& operator=(const CwdGuard&) = delete;

private:
    int fd_;
};

// Sets an environment variable (unsets it for a null value) and puts back
// what it was when it goes out of scope.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value);
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

void writeFile(const std::string& path, const std::string& bytes, mode_t mode = 0644);
std::string readFile(const std::string& path);
bool exists(const std::string& path);  // any entry, dangling links included
mode_t modeOf(const std::string& path);

// Every entry of `dir` but "." and "..": name -> content ("<dir>" for a
// folder, "<link>" for a symbolic link, "<other>" for anything else).
std::map<std::string, std::string> snapshot(const std::string& dir);

}  // namespace testing_support
