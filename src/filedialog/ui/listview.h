// The list of the file list window: one text column without header, small
// icons, whole-row single selection, grid lines, in-place editing of an
// entry's text, sorted by text with the locale's comparison.
#pragma once

#include <QAbstractItemDelegate>
#include <QTableWidget>

#include <functional>
#include <string>

namespace nx {

class ListView : public QTableWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent);

    // An in-place edit of `row` is about to begin; clearing `allow` stops it.
    std::function<void(int row, bool& allow)> onEditing;
    // The edit of `row` was committed with `text`.
    std::function<void(int row, const QString& text)> onEdited;
    // The edit was abandoned (Escape).
    std::function<void()> onEditAbandoned;
    // A double-click anywhere in the list, on an entry or not.
    std::function<void()> onDoubleClick;

    // Begins an in-place edit of `row`'s text.
    void editEntry(int row);
    // Enables the sort and sorts by text.
    void sortByText();

    // An entry shows a file's name without its extension as text, and keeps
    // the name's bytes: the text is for display, the bytes name the file
    // even where the name is no valid text. Entries sort by text.
    static QTableWidgetItem* makeEntry(const QString& text, const std::string& bytes);
    static void setEntryBytes(QTableWidgetItem* entry, const std::string& bytes);
    std::string entryBytes(int row) const;

protected:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    friend class EntryDelegate;
    QWidget* editor_ = nullptr;
    int editRow_ = -1;
    bool committed_ = false;
    QString committedText_;
};

}  // namespace nx
