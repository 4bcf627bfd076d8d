// FileListBox: the current-names list on screen. A view over the names of
// the core list, so that 100,000 names cost no widget item each.
#pragma once

#include "rename/namelist.h"

#include <QAbstractListModel>
#include <QListView>

namespace renaming {

class NameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit NameListModel(NameList& list, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Runs `change` on the list and tells the view the whole list is new.
    template <class F>
    void reset(F&& change)
    {
        beginResetModel();
        struct End {
            NameListModel* m;
            ~End() { m->endResetModel(); }
        } end{this};
        change();
    }

private:
    NameList& list_;
};

class TFileListBox : public QListView {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    int Count() const { return list_.Count(); }
    const std::string& NameAt(int i) const { return list_.NameAt(i); }
    const std::string& Folder() const { return list_.Folder(); }
    void SetFolder(const std::string& path);
    void Reread();
    // Files the list cannot show (see NameList::Unshown).
    int Unshown() const { return list_.Unshown(); }
    // The order and the filter of the reads to come.
    void setOrder(ListOrder order) { list_.setOrder(order); }
    ListOrder order() const { return list_.order(); }
    void setFilter(NameFilter filter) { list_.setFilter(std::move(filter)); }
    const NameFilter& filter() const { return list_.filter(); }

    NameList& list() { return list_; }

private:
    // Runs a read with the busy cursor shown once it passes 100 entries, and
    // always puts the previous cursor back, and leaves no entry selected.
    template <class F>
    void read(F&& f);

    NameList list_;
    NameListModel* model_;
};

}  // namespace renaming
