// A captioned group of radio buttons with one selected item, read and set
// by its index.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int ItemIndex() const;
    void setItemIndex(int index);
    QRadioButton* button(int index) const;
    int count() const { return static_cast<int>(buttons_.size()); }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    std::vector<QRadioButton*> buttons_;
};
