// The rows of a tool's table: every line it would change, with its number,
// the line as it is and the line as it would be.
#pragma once

#include "lines/lines.h"

#include <QAbstractTableModel>

#include <vector>

namespace lines::ui {

class ChangesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { number, current, changed, columns };

    ChangesModel(const std::vector<Text>& lines, QObject* parent = nullptr);

    void setChanges(std::vector<LineChange> changes);
    const std::vector<LineChange>& changes() const { return changes_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    const std::vector<Text>& lines_;
    std::vector<LineChange> changes_;
};

}  // namespace lines::ui
