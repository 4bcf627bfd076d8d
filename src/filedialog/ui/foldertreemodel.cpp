#include "filedialog/ui/foldertreemodel.h"

#include "filedialog/places.h"
#include "filedialog/specialdirs.h"
#include "filedialog/ui/browsemessages.h"
#include "filedialog/ui/mountedvolumes.h"
#include "platform/fs.h"
#include "platform/noreplace.h"
#include "widgets/text.h"

#include <QApplication>
#include <QCollator>
#include <QIcon>
#include <QStyle>

#include <algorithm>
#include <cerrno>

namespace nx {

namespace {

// The icon theme's picture of a place, or the style's own where the theme
// has none.
QIcon placeIcon(Place::Kind k)
{
    struct Look {
        Place::Kind kind;
        const char* themeName;
        QStyle::StandardPixmap fallback;
    };
    static constexpr Look kLooks[] = {
        {Place::Kind::home, "user-home", QStyle::SP_DirHomeIcon},
        {Place::Kind::desktop, "user-desktop", QStyle::SP_DesktopIcon},
        {Place::Kind::documents, "folder-documents", QStyle::SP_DirIcon},
        {Place::Kind::download, "folder-download", QStyle::SP_DirIcon},
        {Place::Kind::music, "folder-music", QStyle::SP_DirIcon},
        {Place::Kind::pictures, "folder-pictures", QStyle::SP_DirIcon},
        {Place::Kind::videos, "folder-videos", QStyle::SP_DirIcon},
        {Place::Kind::publicShare, "folder-publicshare", QStyle::SP_DirIcon},
        {Place::Kind::templates, "folder-templates", QStyle::SP_DirIcon},
        {Place::Kind::bookmark, "folder", QStyle::SP_DirLinkIcon},
        {Place::Kind::removable, "drive-removable-media", QStyle::SP_DriveFDIcon},
        {Place::Kind::optical, "media-optical", QStyle::SP_DriveCDIcon},
        {Place::Kind::network, "folder-remote", QStyle::SP_DriveNetIcon},
        {Place::Kind::fsRoot, "drive-harddisk", QStyle::SP_DriveHDIcon},
    };
    for (const Look& l : kLooks)
        if (l.kind == k)
            return QIcon::fromTheme(QString::fromLatin1(l.themeName),
                                    QApplication::style()->standardIcon(l.fallback));
    return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

}  // namespace

struct FolderTreeModel::Node {
    enum class Kind { top, place, folder, file };
    Node* parent = nullptr;
    Kind kind = Kind::folder;
    Place::Kind place = Place::Kind::bookmark;  // for Kind::place
    std::string name;  // the entry's name in its parent folder, a place's display name
    std::string path;  // empty for the top
    bool listed = false;
    int row = 0;  // position among the parent's children
    std::vector<std::unique_ptr<Node>> children;

    bool folder() const { return kind != Kind::file; }
    // Keeps every child's row in step after the children changed; a
    // folder can hold very many, and views ask for parents all the time.
    void renumber()
    {
        for (size_t i = 0; i < children.size(); ++i)
            children[i]->row = static_cast<int>(i);
    }
};

FolderTreeModel::FolderTreeModel(const FolderTarget& root, const SpecialDirs& dirs,
                                 bool includeFiles, QObject* parent)
    : QAbstractItemModel(parent), invisible_(std::make_unique<Node>()),
      includeFiles_(includeFiles)
{
    invisible_->listed = true;
    auto r = std::make_unique<Node>();
    if (root.kind == FolderTarget::Kind::path) {
        r->path = root.path;
        r->name = lastComponent(root.path);
        r->kind = root.path == "/" ? Node::Kind::place : Node::Kind::folder;
        r->place = Place::Kind::fsRoot;
    } else {
        // The top of the hierarchy: the places a user starts from.
        r->kind = Node::Kind::top;
        r->listed = true;
        for (Place& p : topPlaces(dirs, mountedVolumes())) {
            auto c = std::make_unique<Node>();
            c->kind = Node::Kind::place;
            c->place = p.kind;
            c->path = std::move(p.path);
            c->name = std::move(p.name);
            c->parent = r.get();
            r->children.push_back(std::move(c));
        }
        r->renumber();
    }
    r->parent = invisible_.get();
    invisible_->children.push_back(std::move(r));
}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& i) const
{
    return i.isValid() ? static_cast<Node*>(i.internalPointer()) : invisible_.get();
}

QModelIndex FolderTreeModel::indexOf(Node* n) const
{
    if (!n || n == invisible_.get())
        return {};
    return createIndex(n->row, 0, n);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    Node* p = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(p->children.size()))
        return {};
    return createIndex(row, 0, p->children[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return indexOf(nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Node* n = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return nameOf(index);
    case Qt::ToolTipRole:
        return n->kind == Node::Kind::top ? QVariant() : QVariant(widgets::fromBytes(n->path));
    case PathRole:
        return QByteArray(n->path.data(), static_cast<qsizetype>(n->path.size()));
    case Qt::DecorationRole: {
        QStyle* s = QApplication::style();
        switch (n->kind) {
        case Node::Kind::top:
            return s->standardIcon(QStyle::SP_DesktopIcon);
        case Node::Kind::place:
            return placeIcon(n->place);
        case Node::Kind::file:
            return s->standardIcon(QStyle::SP_FileIcon);
        default:
            return s->standardIcon(QStyle::SP_DirIcon);
        }
    }
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (nodeOf(index) == editable_)
        f |= Qt::ItemIsEditable;
    if (!nodeOf(index)->folder())
        f |= Qt::ItemNeverHasChildren;
    return f;
}

bool FolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Node* n = nodeOf(index);
    if (role != Qt::EditRole || !index.isValid() || n != editable_)
        return false;
    const std::string name = widgets::toBytes(value.toString());
    if (name == n->name || name.empty())
        return name == n->name;
    if (name.find('/') != std::string::npos || name == "." || name == "..") {
        emit renameFailed(value.toString(), EINVAL);
        return false;
    }
    const std::string to = joinPath(n->parent->path, name);
    // Never replaces an entry that already has the name.
    if (const platform::Status r = platform::renameNoReplace(n->path, to); !r) {
        emit renameFailed(value.toString(), r.error());
        return false;
    }
    n->name = name;
    n->path = to;
    if (n->listed) {
        // Paths below it changed: read it again when it is next opened.
        beginRemoveRows(index, 0, static_cast<int>(n->children.size()) - 1);
        n->children.clear();
        n->listed = false;
        endRemoveRows();
    }
    emit dataChanged(index, index);
    return true;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* n = nodeOf(parent);
    if (!n->folder())
        return false;
    return !n->listed || !n->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const Node* n = nodeOf(parent);
    return n->folder() && !n->listed;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) { ensureListed(nodeOf(parent)); }

void FolderTreeModel::sortChildren(std::vector<std::unique_ptr<Node>>& v) const
{
    QCollator coll;
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    coll.setNumericMode(true);
    std::vector<std::pair<QString, std::unique_ptr<Node>>> keyed;
    keyed.reserve(v.size());
    for (auto& n : v)
        keyed.emplace_back(widgets::fromBytes(n->name), std::move(n));
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        if (a.second->folder() != b.second->folder())
            return a.second->folder();
        const int c = coll.compare(a.first, b.first);
        return c != 0 ? c < 0 : a.second->name < b.second->name;
    });
    v.clear();
    for (auto& k : keyed)
        v.push_back(std::move(k.second));
}

void FolderTreeModel::ensureListed(Node* n)
{
    if (n->listed || !n->folder())
        return;
    n->listed = true;
    std::vector<FolderEntry> entries;
    // An unreadable folder simply shows no children.
    listFolder(n->path, includeFiles_, entries);
    std::vector<std::unique_ptr<Node>> kids;
    kids.reserve(entries.size());
    for (auto& e : entries) {
        auto c = std::make_unique<Node>();
        c->kind = e.folder ? Node::Kind::folder : Node::Kind::file;
        c->name = std::move(e.name);
        c->path = joinPath(n->path, c->name);
        c->parent = n;
        kids.push_back(std::move(c));
    }
    sortChildren(kids);
    const QModelIndex at = indexOf(n);
    if (!kids.empty()) {
        beginInsertRows(at, 0, static_cast<int>(kids.size()) - 1);
        n->children = std::move(kids);
        n->renumber();
        endInsertRows();
    } else {
        // Lets views drop the expander of a folder found empty.
        emit dataChanged(at, at);
    }
}

FolderTreeModel::Node* FolderTreeModel::appendChild(Node* parent, std::unique_ptr<Node> child)
{
    child->parent = parent;
    const int row = static_cast<int>(parent->children.size());
    child->row = row;
    beginInsertRows(indexOf(parent), row, row);
    parent->children.push_back(std::move(child));
    endInsertRows();
    return parent->children.back().get();
}

QModelIndex FolderTreeModel::rootItem() const
{
    return indexOf(invisible_->children.front().get());
}

bool FolderTreeModel::isTop(const QModelIndex& i) const
{
    return i.isValid() && nodeOf(i)->kind == Node::Kind::top;
}

bool FolderTreeModel::isFolder(const QModelIndex& i) const
{
    return i.isValid() && nodeOf(i)->folder();
}

std::string FolderTreeModel::pathOf(const QModelIndex& i) const
{
    return i.isValid() ? nodeOf(i)->path : std::string();
}

QString FolderTreeModel::nameOf(const QModelIndex& i) const
{
    if (!i.isValid())
        return {};
    const Node* n = nodeOf(i);
    return n->kind == Node::Kind::top ? QString::fromUtf8(msg::kBrowseTop) : widgets::fromBytes(n->name);
}

QModelIndex FolderTreeModel::locate(const FolderTarget& target)
{
    Node* root = invisible_->children.front().get();
    if (target.kind == FolderTarget::Kind::none)
        return {};
    if (target.kind == FolderTarget::Kind::top)
        return indexOf(root);
    const std::string& path = target.path;
    Node* n = root;
    if (root->kind == Node::Kind::top) {
        // Start below the deepest of the top's places that holds the path.
        Node* best = nullptr;
        for (auto& c : root->children)
            if (isWithin(path, c->path) && (!best || c->path.size() > best->path.size()))
                best = c.get();
        if (!best)
            return indexOf(root);
        n = best;
    } else if (!isWithin(path, root->path)) {
        return indexOf(root);
    }
    size_t pos = n->path == "/" ? 1 : n->path.size() + 1;
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(pos, end - pos);
        pos = end + 1;
        ensureListed(n);
        Node* next = nullptr;
        for (auto& c : n->children)
            if (c->name == name) {
                next = c.get();
                break;
            }
        if (!next) {
            auto c = std::make_unique<Node>();
            c->name = name;
            c->path = joinPath(n->path, name);
            if (!platform::isFolder(c->path))
                break;
            next = appendChild(n, std::move(c));
        }
        n = next;
    }
    return indexOf(n);
}

QModelIndex FolderTreeModel::addFolder(const QModelIndex& parent, const std::string& name)
{
    Node* p = nodeOf(parent);
    if (!parent.isValid() || !p->folder() || p->kind == Node::Kind::top)
        return {};
    ensureListed(p);  // a fresh listing already holds the new folder
    Node* n = nullptr;
    for (auto& c : p->children)
        if (c->name == name)
            n = c.get();
    if (!n) {
        auto c = std::make_unique<Node>();
        c->name = name;
        c->path = joinPath(p->path, name);
        n = appendChild(p, std::move(c));
    }
    editable_ = n;
    return indexOf(n);
}

}  // namespace nx
