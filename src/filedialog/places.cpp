#include "filedialog/places.h"

#include "filedialog/folderpath.h"
#include "filedialog/specialdirs.h"
#include "platform/fs.h"

#include <algorithm>
#include <string_view>

namespace nx {

namespace {

// File systems that reach another machine.
constexpr std::string_view kNetworkTypes[] = {
    "nfs",        "nfs4",       "cifs",        "smb3",       "smbfs",      "ncpfs",
    "afs",        "ceph",       "glusterfs",   "davfs",      "fuse.sshfs", "fuse.davfs",
    "fuse.rclone", "fuse.s3fs", "fuse.curlftpfs", "fuse.glusterfs", "fuse.gvfsd-fuse"};
constexpr std::string_view kOpticalTypes[] = {"iso9660", "udf"};

// Where udisks and the desktop mount what the user plugs in.
constexpr std::string_view kRemovableFolders[] = {"/media", "/run/media"};

bool oneOf(std::string_view v, const auto& list)
{
    return std::find(std::begin(list), std::end(list), v) != std::end(list);
}

}  // namespace

std::optional<Place::Kind> volumeKind(const Volume& v)
{
    const std::string root = normalizePath(v.root);
    if (root.empty() || root[0] != '/' || root == "/")
        return std::nullopt;
    if (oneOf(v.fsType, kNetworkTypes))
        return Place::Kind::network;
    if (oneOf(v.fsType, kOpticalTypes))
        return Place::Kind::optical;
    for (std::string_view folder : kRemovableFolders)
        if (root != folder && isWithin(root, std::string(folder)))
            return Place::Kind::removable;
    return std::nullopt;
}

std::vector<Place> topPlaces(const SpecialDirs& dirs, const std::vector<Volume>& volumes)
{
    std::vector<Place> out;
    auto add = [&](Place::Kind kind, const std::string& raw, std::string name) {
        const std::string path = normalizePath(raw);
        if (path.empty() || path[0] != '/')
            return;
        if (std::any_of(out.begin(), out.end(), [&](const Place& p) { return p.path == path; }))
            return;
        if (!platform::isFolder(path))
            return;
        out.push_back({kind, path, name.empty() ? lastComponent(path) : std::move(name)});
    };
    const std::string home = normalizePath(dirs.home());
    if (home != "/")
        add(Place::Kind::home, home, {});
    static constexpr std::pair<UserDir, Place::Kind> kUserPlaces[] = {
        {UserDir::desktop, Place::Kind::desktop},
        {UserDir::documents, Place::Kind::documents},
        {UserDir::download, Place::Kind::download},
        {UserDir::music, Place::Kind::music},
        {UserDir::pictures, Place::Kind::pictures},
        {UserDir::videos, Place::Kind::videos},
        {UserDir::publicShare, Place::Kind::publicShare},
        {UserDir::templates, Place::Kind::templates},
    };
    for (const auto& [dir, kind] : kUserPlaces) {
        const std::string path = normalizePath(dirs.userDir(dir));
        if (path != home && path != "/")
            add(kind, path, {});
    }
    for (const Bookmark& b : dirs.bookmarks())
        if (b.path != "/")
            add(Place::Kind::bookmark, b.path, b.label);
    for (const Volume& v : volumes)
        if (const auto kind = volumeKind(v))
            add(*kind, v.root, v.label);
    out.push_back({Place::Kind::fsRoot, "/", "/"});
    return out;
}

}  // namespace nx
