// PagesDlg: the options dialog. One page: how "フォルダ指定" chooses its
// start folder (desktop, the last processed folder, a specified folder),
// and whether the main window's place and size are restored and whether it
// starts maximised. The caller fills it and takes the values back.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

class TPagesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPagesDlg(QWidget* Owner);
    ~TPagesDlg() override;

    // Controls, in their declared order.
    QTabWidget* PageControl1;
    QWidget* Panel1;
    QWidget* Panel2;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QWidget* ConfigTabSheet;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton0;
    QLineEdit* LasrDirEdit;
    QLineEdit* RootDirEdit;
    QPushButton* DefDirRefBtn;
    QCheckBox* CheckWinMem;
    QCheckBox* CheckInitMax;

    void DefDirRefBtnClick();

    // The folders behind the two read-only edits, as byte strings: a name
    // that is not valid in the display encoding still comes back unchanged.
    void setLastDir(const std::string& path);
    void setRootDir(const std::string& path);
    const std::string& rootDir() const { return rootDir_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::string rootDir_;
};
