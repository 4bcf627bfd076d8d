#include "support/scratch.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

ScratchDir::ScratchDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tsumugi-test-XXXXXX";
    if (!::mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    // Read-only folders inside would stop the removal of their entries. Only
    // real folders: a link may point out of the scratch folder.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            ::chmod(it->path().c_str(), 0755);
    std::filesystem::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& name, const std::string& content) const
{
    writeFile(file(name), content);
}

std::string ScratchDir::read(const std::string& name) const
{
    std::ifstream f(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void ScratchDir::mkdir(const std::string& name) const { ::mkdir(file(name).c_str(), 0755); }

bool ScratchDir::exists(const std::string& name) const { return testing_support::exists(file(name)); }

std::vector<std::string> ScratchDir::names() const
{
    std::vector<std::string> out;
    if (DIR* d = ::opendir(path_.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                out.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

CwdGuard::CwdGuard() : fd_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

CwdGuard::CwdGuard(const std::string& enter) : CwdGuard()
{
    if (::chdir(enter.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + enter);
}

CwdGuard::~CwdGuard()
{
    if (fd_ >= 0) {
        if (::fchdir(fd_) != 0) {
            // Nothing sensible to do in a destructor; the next test will notice.
        }
        ::close(fd_);
    }
}

EnvGuard::EnvGuard(const char* name, const char* value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

EnvGuard::~EnvGuard()
{
    if (old_)
        ::setenv(name_.c_str(), old_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

void writeFile(const std::string& path, const std::string& bytes, mode_t mode)
{
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        if (!f)
            throw std::runtime_error("cannot write " + path);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!f)
            throw std::runtime_error("cannot write " + path);
    }
    ::chmod(path.c_str(), mode);
}

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

std::map<std::string, std::string> snapshot(const std::string& dir)
{
    std::map<std::string, std::string> out;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        throw std::runtime_error("cannot list " + dir);
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        const std::string p = dir + "/" + name;
        ::lstat(p.c_str(), &st);
        if (S_ISREG(st.st_mode))
            out[name] = readFile(p);
        else if (S_ISDIR(st.st_mode))
            out[name] = "<dir>";
        else if (S_ISLNK(st.st_mode))
            out[name] = "<link>";
        else
            out[name] = "<other>";
    }
    ::closedir(d);
    return out;
}

}  // namespace testing_support
