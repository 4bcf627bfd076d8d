#include "support/tempdir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tsumugi-test-XXXXXX";
    if (!::mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir()
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

void TempDir::write(const std::string& name, const std::string& content) const
{
    std::ofstream f(file(name), std::ios::binary | std::ios::trunc);
    f << content;
    if (!f)
        throw std::runtime_error("cannot write " + name);
}

std::string TempDir::read(const std::string& name) const
{
    std::ifstream f(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void TempDir::mkdir(const std::string& name) const { ::mkdir(file(name).c_str(), 0755); }

bool TempDir::exists(const std::string& name) const
{
    struct stat st {};
    return ::lstat(file(name).c_str(), &st) == 0;
}

std::vector<std::string> TempDir::names() const
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

CwdGuard::CwdGuard() : fd_(::open(".", O_RDONLY | O_DIRECTORY)) {}

CwdGuard::~CwdGuard()
{
    if (fd_ >= 0) {
        if (::fchdir(fd_) != 0) {
        }
        ::close(fd_);
    }
}

}  // namespace testing_support
