// A small window for trying the component unit's open and save dialogs by
// hand: choose a folder and an extension, open a dialog with a few options,
// and read what it handed back.
#include "app/application.h"
#include "filedialog/ui/fonts.h"
#include "filedialog/ui/messagebox.h"
#include "filedialog/ui/opendialog.h"
#include "platform/fs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QString tr8(const char* s) { return QString::fromUtf8(s); }
std::string bytes(const QString& s) { return s.toLocal8Bit().toStdString(); }
QString local(const std::string& s) { return QString::fromLocal8Bit(s.c_str()); }

class DemoWindow : public QWidget {
public:
    DemoWindow()
    {
        setWindowTitle(tr8("nxFileDialog デモ"));
        setFont(nx::gothicFont(13));
        folder_ = new QLineEdit(local(platform::currentFolder()), this);
        ext_ = new QLineEdit(QStringLiteral("*"), this);
        find_ = new QLineEdit(this);
        icons_ = new QCheckBox(tr8("アイコンを表示"), this);
        icons_->setChecked(true);
        dirLine_ = new QCheckBox(tr8("フォルダを表示"), this);
        dirLine_->setChecked(true);
        findBtn_ = new QCheckBox(tr8("検索ボタン"), this);
        findBtn_->setChecked(true);
        folderBtn_ = new QCheckBox(tr8("フォルダボタン"), this);
        folderBtn_->setChecked(true);
        confirmDelete_ = new QCheckBox(tr8("削除の前に確認する (OnBeforeDelete)"), this);
        log_ = new QPlainTextEdit(this);
        log_->setReadOnly(true);

        auto* form = new QFormLayout;
        form->addRow(tr8("フォルダ"), folder_);
        form->addRow(tr8("拡張子"), ext_);
        form->addRow(tr8("名前パターン"), find_);
        auto* checks = new QHBoxLayout;
        for (QCheckBox* c : {icons_, dirLine_, findBtn_, folderBtn_})
            checks->addWidget(c);
        auto* buttons = new QHBoxLayout;
        auto* openBtn = new QPushButton(tr8("開くダイアログ..."), this);
        auto* saveBtn = new QPushButton(tr8("保存ダイアログ..."), this);
        buttons->addWidget(openBtn);
        buttons->addWidget(saveBtn);
        auto* all = new QVBoxLayout(this);
        all->addLayout(form);
        all->addLayout(checks);
        all->addWidget(confirmDelete_);
        all->addLayout(buttons);
        all->addWidget(log_);
        resize(560, 420);

        open_.Title = "ファイル一覧";
        connect(openBtn, &QPushButton::clicked, this, [this] { run(open_); });
        connect(saveBtn, &QPushButton::clicked, this, [this] { run(save_); });
        for (TnxFileDialogBase* d : {static_cast<TnxFileDialogBase*>(&open_),
                                     static_cast<TnxFileDialogBase*>(&save_)}) {
            d->OnAfterRename = [this](QObject*, const std::string& o, const std::string& n,
                                      bool ok) {
                say(tr8("名前の変更 ") + local(o) + QStringLiteral(" → ") + local(n) +
                    (ok ? tr8(" 成功") : tr8(" 失敗")));
            };
            d->OnBeforeDelete = [this](QObject*, const std::string& p, bool& Action) {
                // The window never asks before deleting; a host may.
                if (confirmDelete_->isChecked())
                    Action = nx::messageBox(tr8("削除しますか: ") + local(p), windowTitle(),
                                            nx::kMbOkCancel | nx::kMbIconInformation) == nx::kIdOk;
            };
        }
    }

private:
    void run(TnxFileDialogBase& d)
    {
        d.Directory = bytes(folder_->text());
        d.FileExt = bytes(ext_->text());
        d.FindText = bytes(find_->text());
        d.DisplayIcon = icons_->isChecked();
        d.DisplayDirectory = dirLine_->isChecked();
        d.Options = {};
        if (findBtn_->isChecked())
            d.Options << doFindBtn;
        if (folderBtn_->isChecked())
            d.Options << doFolderBtn;
        d.BrowseTitle = "表示するフォルダを選んでください";
        const bool ok = d.Execute();
        say(QStringLiteral("Execute = %1, ModalResult = %2").arg(ok ? "True" : "False").arg(d.ModalResult()));
        say(QStringLiteral("  FilePath = ") + local(d.FilePath()));
        const std::string name = &d == &open_ ? open_.FileName() : save_.FileName();
        say(QStringLiteral("  FileName = ") + local(name));
        say(QStringLiteral("  Directory = ") + local(d.Directory));
        folder_->setText(local(d.Directory));
    }

    void say(const QString& line) { log_->appendPlainText(line); }

    QLineEdit* folder_;
    QLineEdit* ext_;
    QLineEdit* find_;
    QCheckBox* icons_;
    QCheckBox* dirLine_;
    QCheckBox* findBtn_;
    QCheckBox* folderBtn_;
    QCheckBox* confirmDelete_;
    QPlainTextEdit* log_;
    TnxOpenDialog open_{this};
    TnxSaveDialog save_{this};
};

}  // namespace

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    DemoWindow w;
    w.show();
    return app.exec();
}
