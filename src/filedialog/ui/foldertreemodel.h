// The chooser's tree: a root item (the virtual top, whose children are the
// places of places.h: the home folder, the user folders, the bookmarks, the
// removable and network volumes and "/"; or a folder of the file system)
// and, below it, folders read lazily as the user opens them.
#pragma once

#include "filedialog/browsetarget.h"

#include <QAbstractItemModel>

#include <memory>
#include <string>
#include <vector>

namespace nx {

class SpecialDirs;

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The item's file-system path as bytes (empty for the top).
    static constexpr int PathRole = Qt::UserRole + 1;

    FolderTreeModel(const FolderTarget& root, const SpecialDirs& dirs, bool includeFiles,
                    QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    QModelIndex rootItem() const;
    bool isTop(const QModelIndex& i) const;
    bool isFolder(const QModelIndex& i) const;
    std::string pathOf(const QModelIndex& i) const;  // empty for the top
    QString nameOf(const QModelIndex& i) const;

    // The item of a folder choice, reading the folders on the way
    // and adding those the listing leaves out (hidden ones); the root item
    // when the folder lies outside the tree, invalid for FolderTarget::none.
    QModelIndex locate(const FolderTarget& target);

    // Adds a folder just made inside `parent`'s folder and returns it; it is
    // the one item whose name can then be edited, which renames the folder.
    QModelIndex addFolder(const QModelIndex& parent, const std::string& name);

signals:
    // A name given to the new folder could not be taken (errno value); the
    // folder keeps its name.
    void renameFailed(const QString& name, int err);

private:
    struct Node;
    Node* nodeOf(const QModelIndex& i) const;
    QModelIndex indexOf(Node* n) const;
    void ensureListed(Node* n);
    void sortChildren(std::vector<std::unique_ptr<Node>>& v) const;
    Node* appendChild(Node* parent, std::unique_ptr<Node> child);

    std::unique_ptr<Node> invisible_;
    bool includeFiles_;
    Node* editable_ = nullptr;
};

}  // namespace nx
