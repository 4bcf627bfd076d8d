#include "settings/ui/pagesdlg.h"

#include "filedialog/ui/browsefolder.h"
#include "settings/ui/messages.h"
#include "widgets/dock.h"
#include "widgets/fonts.h"
#include "widgets/guard.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

namespace {

using widgets::Dock;
using widgets::named;

// Every control at a fixed place; the dialog does not change size.
constexpr widgets::Place kLayout[] = {
    {"PagesDlg", nullptr, Dock::none, {0, 0, 427, 299}},
    {"Panel1", "PagesDlg", Dock::none, {0, 0, 427, 265}},
    {"PageControl1", "Panel1", Dock::none, {5, 5, 417, 255}},
    {"GroupBox1", "ConfigTabSheet", Dock::none, {4, 8, 401, 161}},
    {"RadioButton1", "GroupBox1", Dock::none, {12, 24, 381, 17}},
    {"LasrDirEdit", "GroupBox1", Dock::none, {32, 44, 357, 24}},
    {"RadioButton2", "GroupBox1", Dock::none, {12, 76, 381, 17}},
    {"RootDirEdit", "GroupBox1", Dock::none, {32, 96, 289, 24}},
    {"DefDirRefBtn", "GroupBox1", Dock::none, {328, 96, 63, 25}},
    {"RadioButton0", "GroupBox1", Dock::none, {12, 128, 381, 17}},
    {"CheckWinMem", "ConfigTabSheet", Dock::none, {16, 176, 265, 17}},
    {"CheckInitMax", "ConfigTabSheet", Dock::none, {16, 200, 241, 17}},
    {"Panel2", "PagesDlg", Dock::none, {0, 265, 427, 34}},
    {"OKBtn", "Panel2", Dock::none, {234, 2, 89, 25}},
    {"CancelBtn", "Panel2", Dock::none, {328, 2, 89, 25}},
};

}  // namespace

TPagesDlg::TPagesDlg(QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("PagesDlg"));
    setWindowTitle(widgets::fromUtf8(settings::msg::kCaption));
    setModal(true);
    setFixedSize(427, 299);
    const QFont f16 = widgets::gothicFont(16);

    Panel1 = named(new QWidget(this), "Panel1");
    PageControl1 = named(new QTabWidget(Panel1), "PageControl1");
    PageControl1->setFont(f16);

    Panel2 = named(new QWidget(this), "Panel2");
    OKBtn = named(new QPushButton(widgets::fromUtf8(settings::msg::kOk), Panel2), "OKBtn");
    CancelBtn = named(new QPushButton(widgets::fromUtf8(settings::msg::kCancel), Panel2), "CancelBtn");

    ConfigTabSheet = named(new QWidget, "ConfigTabSheet");
    PageControl1->addTab(ConfigTabSheet, widgets::fromUtf8(settings::msg::kConfigTab));

    GroupBox1 = named(new QGroupBox(widgets::fromUtf8(settings::msg::kStartFolderGroup), ConfigTabSheet),
                      "GroupBox1");
    RadioButton1 =
        named(new QRadioButton(widgets::fromUtf8(settings::msg::kLastFolder), GroupBox1), "RadioButton1");
    LasrDirEdit = named(new QLineEdit(GroupBox1), "LasrDirEdit");
    RadioButton2 =
        named(new QRadioButton(widgets::fromUtf8(settings::msg::kSpecifiedFolder), GroupBox1), "RadioButton2");
    RootDirEdit = named(new QLineEdit(GroupBox1), "RootDirEdit");
    // A screen reader names each edit after the choice it belongs to.
    LasrDirEdit->setAccessibleName(widgets::fromUtf8(settings::msg::kLastFolder));
    RootDirEdit->setAccessibleName(widgets::fromUtf8(settings::msg::kSpecifiedFolder));
    PageControl1->setAccessibleName(widgets::fromUtf8(settings::msg::kConfigTab));
    DefDirRefBtn = named(new QPushButton(widgets::fromUtf8(settings::msg::kBrowse), GroupBox1), "DefDirRefBtn");
    DefDirRefBtn->setAutoDefault(false);
    RadioButton0 = named(new QRadioButton(widgets::fromUtf8(settings::msg::kDesktop), GroupBox1), "RadioButton0");
    RadioButton0->setChecked(true);

    CheckWinMem = named(new QCheckBox(widgets::fromUtf8(settings::msg::kWinMem), ConfigTabSheet), "CheckWinMem");
    CheckInitMax =
        named(new QCheckBox(widgets::fromUtf8(settings::msg::kInitMax), ConfigTabSheet), "CheckInitMax");

    for (QWidget* w : std::initializer_list<QWidget*>{
             GroupBox1, RadioButton1, LasrDirEdit, RadioButton2, RootDirEdit, DefDirRefBtn,
             RadioButton0, CheckWinMem, CheckInitMax, OKBtn, CancelBtn})
        w->setFont(f16);
    for (QWidget* w : std::initializer_list<QWidget*>{RadioButton1, RadioButton2, RadioButton0,
                                                      CheckWinMem, CheckInitMax})
        w->setMinimumHeight(17);

    // The two edits only show: a folder comes in through "参照" alone.
    for (QLineEdit* e : {LasrDirEdit, RootDirEdit}) {
        e->setReadOnly(true);
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        e->setPalette(pal);
    }

    widgets::applyLayout(this, kLayout);

    OKBtn->setDefault(true);
    CancelBtn->setAutoDefault(false);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(DefDirRefBtn, &QPushButton::clicked, this,
            widgets::guard([this] { DefDirRefBtnClick(); }));

    QWidget* order[] = {PageControl1, RadioButton1, LasrDirEdit, RadioButton2, RootDirEdit,
                        RadioButton0, DefDirRefBtn, CheckWinMem, CheckInitMax, OKBtn, CancelBtn};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    for (QWidget* w : std::initializer_list<QWidget*>{DefDirRefBtn, OKBtn, CancelBtn})
        w->setFocusPolicy(Qt::StrongFocus);
    // Of the three choices only the selected one is a Tab stop.
    for (QRadioButton* r : {RadioButton0, RadioButton1, RadioButton2}) {
        r->setFocusPolicy(r->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        connect(r, &QRadioButton::toggled, r, widgets::guard([r](bool on) {
                    r->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
                }));
    }
}

TPagesDlg::~TPagesDlg() = default;

namespace {
// A long path shows from its start, as a user reads it.
void showPath(QLineEdit* e, const std::string& path)
{
    e->setText(widgets::fromBytes(path));
    e->setCursorPosition(0);
}
}  // namespace

void TPagesDlg::setLastDir(const std::string& path) { showPath(LasrDirEdit, path); }

void TPagesDlg::setRootDir(const std::string& path)
{
    rootDir_ = path;
    showPath(RootDirEdit, path);
}

void TPagesDlg::DefDirRefBtnClick()
{
    // The browser starts from the top, not from the folder shown.
    TnxBrowseFolder browser(this);
    browser.InitSpecialDir = sfNone;
    browser.InitDir.assign(1, '\\');
    if (browser.Execute()) {
        setRootDir(browser.Directory());
        RadioButton2->setChecked(true);
    }
}

void TPagesDlg::showEvent(QShowEvent* e)
{
    // Centred on the screen.
    if (const QScreen* s = screen()) {
        const QRect a = s->geometry();
        move(a.x() + (a.width() - frameGeometry().width()) / 2,
             a.y() + (a.height() - frameGeometry().height()) / 2);
    }
    QDialog::showEvent(e);
}
