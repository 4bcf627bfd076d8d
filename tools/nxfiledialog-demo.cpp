// A small window for trying the component unit's open and save dialogs by
// hand: choose a folder and an extension, open a dialog with a few options,
// and read what it handed back.
#include "filedialog/ui/opendialog.h"
#include "platform/fs.h"
#include "widgets/fonts.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <stdexcept>

namespace {

class DemoWindow : public QWidget {
public:
    DemoWindow()
    {
        setWindowTitle(widgets::fromUtf8("nxFileDialog デモ"));
        setFont(widgets::gothicFont(13));
        folder_ = new QLineEdit(widgets::fromBytes(platform::currentFolder().value()), this);
        ext_ = new QLineEdit(QStringLiteral("*"), this);
        find_ = new QLineEdit(this);
        icons_ = new QCheckBox(widgets::fromUtf8("アイコンを表示"), this);
        icons_->setChecked(true);
        dirLine_ = new QCheckBox(widgets::fromUtf8("フォルダを表示"), this);
        dirLine_->setChecked(true);
        findBtn_ = new QCheckBox(widgets::fromUtf8("検索ボタン"), this);
        findBtn_->setChecked(true);
        folderBtn_ = new QCheckBox(widgets::fromUtf8("フォルダボタン"), this);
        folderBtn_->setChecked(true);
        confirmDelete_ = new QCheckBox(widgets::fromUtf8("削除の前に確認する (OnBeforeDelete)"), this);
        throwOnClose_ = new QCheckBox(widgets::fromUtf8("閉じる前に例外を投げる (OnBeforeClose)"), this);
        log_ = new QPlainTextEdit(this);
        log_->setReadOnly(true);

        auto* form = new QFormLayout;
        form->addRow(widgets::fromUtf8("フォルダ"), folder_);
        form->addRow(widgets::fromUtf8("拡張子"), ext_);
        form->addRow(widgets::fromUtf8("名前パターン"), find_);
        auto* checks = new QHBoxLayout;
        for (QCheckBox* c : {icons_, dirLine_, findBtn_, folderBtn_})
            checks->addWidget(c);
        auto* buttons = new QHBoxLayout;
        auto* openBtn = new QPushButton(widgets::fromUtf8("開くダイアログ..."), this);
        auto* saveBtn = new QPushButton(widgets::fromUtf8("保存ダイアログ..."), this);
        buttons->addWidget(openBtn);
        buttons->addWidget(saveBtn);
        auto* all = new QVBoxLayout(this);
        all->addLayout(form);
        all->addLayout(checks);
        all->addWidget(confirmDelete_);
        all->addWidget(throwOnClose_);
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
                say(widgets::fromUtf8("名前の変更 ") + widgets::fromBytes(o) + QStringLiteral(" → ") + widgets::fromBytes(n) +
                    (ok ? widgets::fromUtf8(" 成功") : widgets::fromUtf8(" 失敗")));
            };
            // A host's handler may throw: Execute hands the exception on once
            // the window is gone.
            d->OnBeforeClose = [this](QObject*, const std::string& p, bool&) {
                if (throwOnClose_->isChecked())
                    throw std::runtime_error("OnBeforeClose: " + p);
            };
            d->OnBeforeDelete = [this](QObject*, const std::string& p, bool& Action) {
                // The window never asks before deleting; a host may.
                if (confirmDelete_->isChecked())
                    Action = widgets::messageBox(widgets::fromUtf8("削除しますか: ") + widgets::fromBytes(p), windowTitle(),
                                            widgets::kMbOkCancel | widgets::kMbIconInformation) == widgets::kIdOk;
            };
        }
    }

private:
    void run(TnxFileDialogBase& d)
    {
        d.Directory = widgets::toBytes(folder_->text());
        d.FileExt = widgets::toBytes(ext_->text());
        d.FindText = widgets::toBytes(find_->text());
        d.DisplayIcon = icons_->isChecked();
        d.DisplayDirectory = dirLine_->isChecked();
        d.Options = {};
        if (findBtn_->isChecked())
            d.Options << doFindBtn;
        if (folderBtn_->isChecked())
            d.Options << doFolderBtn;
        d.BrowseTitle = "表示するフォルダを選んでください";
        bool ok = false;
        try {
            ok = d.Execute();
        } catch (const std::exception& e) {
            say(QStringLiteral("Execute raised \"") + widgets::fromBytes(e.what()) +
                QStringLiteral("\", ModalResult = %1").arg(d.ModalResult()));
            return;
        }
        say(QStringLiteral("Execute = %1, ModalResult = %2").arg(ok ? "True" : "False").arg(d.ModalResult()));
        say(QStringLiteral("  FilePath = ") + widgets::fromBytes(d.FilePath()));
        const std::string name = &d == &open_ ? open_.FileName() : save_.FileName();
        say(QStringLiteral("  FileName = ") + widgets::fromBytes(name));
        say(QStringLiteral("  Directory = ") + widgets::fromBytes(d.Directory));
        folder_->setText(widgets::fromBytes(d.Directory));
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
    QCheckBox* throwOnClose_;
    QPlainTextEdit* log_;
    TnxOpenDialog open_{this};
    TnxSaveDialog save_{this};
};

}  // namespace

int main(int argc, char** argv)
{
    // A plain application object, as any host program of the dialogs has.
    QApplication app(argc, argv);
    DemoWindow w;
    w.show();
    return app.exec();
}
