#include "app/mainform.h"

#include "app/aboutbox.h"
#include "app/artwork.h"
#include "app/messages.h"
#include "app/radiogroup.h"
#include "app/runaside.h"
#include "platform/codepage.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "settings/settingstable.h"
#include "widgets/dock.h"
#include "widgets/fonts.h"
#include "widgets/guard.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

using widgets::Dock;

namespace {

using widgets::named;

// A handler behind the guard that does nothing while a run or an undo goes
// on its own thread: the window takes no input then, also none that reaches
// a control another way than by the keyboard and mouse (an accessibility
// tool pressing a button).
template <class F>
auto whenIdle(F fn)
{
    return widgets::guard([fn] {
        if (!app::workingAside())
            fn();
    });
}

// The panels are borderless containers, placed by the layout table.
QWidget* panel(QWidget* parent, const char* name) { return named(new QWidget(parent), name); }

// The window's layout at design size: the area between the menu bar and the
// status line is 843 x 515. Only the folder field, the two lists and the
// status line stretch with the window.
constexpr widgets::Place kLayout[] = {
    {"ClientArea", nullptr, Dock::none, {0, 0, 843, 515}},
    {"PanelTop", "ClientArea", Dock::top, {0, 0, 843, 41}},
    {"PanelDir", "PanelTop", Dock::left, {0, 0, 136, 41}},
    {"ButtonDir", "PanelDir", Dock::none, {8, 8, 121, 26}},
    {"PanelDirEdit", "PanelTop", Dock::none, {136, 8, 707, 26},
     widgets::akLeft | widgets::akTop | widgets::akRight},
    // Made to fill its parent when the window is created (FormCreate).
    {"EditDir", "PanelDirEdit", Dock::none, {0, 0, 697, 26}},
    {"PanelBottom", "ClientArea", Dock::client, {0, 41, 843, 474}},
    {"PanelRight", "PanelBottom", Dock::right, {497, 0, 346, 474}},
    {"GroupBox1", "PanelRight", Dock::none, {9, 0, 329, 369}},
    {"RadioGroupName", "GroupBox1", Dock::none, {8, 24, 313, 81}},
    {"CheckBoxOldDel", "GroupBox1", Dock::none, {16, 124, 209, 17}},
    {"ButtonCopy", "PanelRight", Dock::none, {9, 376, 161, 41}},
    {"ButtonTest", "PanelRight", Dock::none, {9, 423, 161, 41}},
    {"ButtonRename", "PanelRight", Dock::none, {177, 423, 161, 41}},
    {"PanelLeft", "PanelBottom", Dock::client, {0, 0, 497, 474}},
    {"GroupBox2", "PanelLeft", Dock::client, {0, 0, 497, 474}},
    // Its width follows the resize rule (FormResize).
    {"PanelBef", "GroupBox2", Dock::left, {2, 19, 239, 453}},
    {"PanelLabel1", "PanelBef", Dock::top, {0, 0, 239, 28}},
    {"Label1", "PanelLabel1", Dock::none, {7, 8, widgets::kNatural, widgets::kNatural}},
    {"PanelFileList", "PanelBef", Dock::client, {0, 28, 239, 425}},
    {"FileListBox", "PanelFileList", Dock::client, {0, 0, 239, 425}},
    {"PanelAft", "GroupBox2", Dock::client, {241, 19, 254, 453}},
    {"PanelLabel2", "PanelAft", Dock::top, {0, 0, 254, 28}},
    {"Label2", "PanelLabel2", Dock::none, {7, 8, widgets::kNatural, widgets::kNatural}},
    {"PanelMemo", "PanelAft", Dock::client, {0, 28, 254, 425}},
    {"Memo2", "PanelMemo", Dock::client, {0, 0, 254, 425}},
};

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(widgets::fromUtf8(app::msg::kCaption));
    setWindowIcon(artwork::programIcon());
    setFont(widgets::gothicFont(12));
    buildMenus();
    buildControls();
    buildRunControls();
    connectPairingAid();
    buildListGuard();
    setUpDrops();
    setOuterBounds(QRect(settings::kDesignBounds.left, settings::kDesignBounds.top,
                         settings::kDesignBounds.width, settings::kDesignBounds.height));
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildMenus()
{
    MainMenu = named(new QMenuBar(this), "MainMenu");
    MainMenu->setFont(QApplication::font("QMenuBar"));
    setMenuBar(MainMenu);
    File = named(MainMenu->addMenu(widgets::fromUtf8(app::msg::kFileMenu)), "File");
    FileExitMenu = named(File->addAction(widgets::fromUtf8(app::msg::kFileExit)), "FileExitMenu");
    // The desktop's usual key to quit, shown beside the item.
    FileExitMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Between the file and option menus, as an addition of its own.
    EditMenu = named(MainMenu->addMenu(widgets::fromUtf8(app::msg::kEditMenu)), "EditMenu");
    EditPreviewMenu =
        named(EditMenu->addAction(widgets::fromUtf8(app::msg::kEditPreview)), "EditPreviewMenu");
    EditUndoMenu = named(EditMenu->addAction(widgets::fromUtf8(app::msg::kEditUndo)), "EditUndoMenu");
    EditUndoMenu->setEnabled(false);
    // The tools on the memo's lines: after the edit menu's own items, and
    // the import above the file menu's exit.
    EditMenu->addSeparator();
    EditReplaceMenu =
        named(EditMenu->addAction(widgets::fromUtf8(app::msg::kEditReplace)), "EditReplaceMenu");
    EditReplaceMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    EditConvertMenu =
        named(EditMenu->addAction(widgets::fromUtf8(app::msg::kEditConvert)), "EditConvertMenu");
    FileImportMenu = named(new QAction(widgets::fromUtf8(app::msg::kFileImport), File), "FileImportMenu");
    File->insertAction(FileExitMenu, FileImportMenu);
    File->insertSeparator(FileExitMenu);
    connect(EditReplaceMenu, &QAction::triggered, this, whenIdle([this] { EditReplaceMenuClick(); }));
    connect(EditConvertMenu, &QAction::triggered, this, whenIdle([this] { EditConvertMenuClick(); }));
    connect(FileImportMenu, &QAction::triggered, this, whenIdle([this] { FileImportMenuClick(); }));
    OptionMenu = named(MainMenu->addMenu(widgets::fromUtf8(app::msg::kOptionMenu)), "OptionMenu");
    OptionCunfigMenu =
        named(OptionMenu->addAction(widgets::fromUtf8(app::msg::kOptionConfig)), "OptionCunfigMenu");
    buildListMenus();
    Help = named(MainMenu->addMenu(widgets::fromUtf8(app::msg::kHelpMenu)), "Help");
    HelpAboutMenu = named(Help->addAction(widgets::fromUtf8(app::msg::kHelpAbout)), "HelpAboutMenu");
    for (QMenu* m : {File, EditMenu, OptionMenu, Help})
        m->setFont(QApplication::font("QMenu"));

    connect(FileExitMenu, &QAction::triggered, this, whenIdle([this] { FileExitMenuClick(); }));
    connect(OptionCunfigMenu, &QAction::triggered, this, whenIdle([this] { OptionCunfigMenuClick(); }));
    connect(HelpAboutMenu, &QAction::triggered, this, whenIdle([this] { HelpAboutMenuClick(); }));
    connect(EditPreviewMenu, &QAction::triggered, this, whenIdle([this] { EditPreviewMenuClick(); }));
    connect(EditUndoMenu, &QAction::triggered, this, whenIdle([this] { EditUndoMenuClick(); }));
    // Whether the folder holds a run to take back is looked at as the menu opens.
    connect(EditMenu, &QMenu::aboutToShow, this, widgets::guard([this] { updateUndoMenu(); }));
}

void TMainForm::buildControls()
{
    const QFont f16 = widgets::gothicFont(16);
    const QFont f19 = widgets::gothicFont(19);

    QWidget* central = panel(this, "ClientArea");
    setCentralWidget(central);

    StatusBar = named(new QStatusBar(this), "StatusBar");
    StatusBar->setFont(QApplication::font("QStatusBar"));
    StatusBar->setFixedHeight(25);
    StatusBar->setSizeGripEnabled(true);
    statusLabel_ = named(new QLabel(widgets::fromUtf8(app::msg::kPrompt), StatusBar), "SimpleText");
    statusLabel_->setTextFormat(Qt::PlainText);
    // A long file name in the status line must not widen the window.
    statusLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusLabel_->setMinimumWidth(1);
    StatusBar->addWidget(statusLabel_, 1);
    progress_ = named(new QProgressBar(StatusBar), "Progress");
    progress_->setFixedWidth(160);
    progress_->setMaximumHeight(16);
    progress_->setTextVisible(true);
    progress_->hide();
    StatusBar->addPermanentWidget(progress_);
    copyProgress_ = named(new QLabel(StatusBar), "CopyProgress");
    copyProgress_->setTextFormat(Qt::PlainText);
    copyProgress_->hide();
    StatusBar->addPermanentWidget(copyProgress_);
    setStatusBar(StatusBar);

    // Top row: the folder button and the folder field.
    PanelTop = panel(central, "PanelTop");
    PanelDir = panel(PanelTop, "PanelDir");
    ButtonDir = named(new QPushButton(widgets::fromUtf8(app::msg::kButtonDir), PanelDir), "ButtonDir");
    ButtonDir->setFont(f16);
    PanelDirEdit = panel(PanelTop, "PanelDirEdit");
    EditDir = named(new QLineEdit(PanelDirEdit), "EditDir");
    EditDir->setReadOnly(true);
    EditDir->setFont(f16);
    {
        QPalette pal = EditDir->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        EditDir->setPalette(pal);
    }

    PanelBottom = panel(central, "PanelBottom");

    // Right-hand column: settings and the action buttons, fixed from the top.
    PanelRight = panel(PanelBottom, "PanelRight");
    GroupBox1 = named(new QGroupBox(widgets::fromUtf8(app::msg::kGroupSettings), PanelRight), "GroupBox1");
    GroupBox1->setFont(f16);
    RadioGroupName = named(new TRadioGroup(widgets::fromUtf8(app::msg::kRuleGroup),
                                           {widgets::fromUtf8(app::msg::kRuleReplace),
                                            widgets::fromUtf8(app::msg::kRuleAppend)},
                                           GroupBox1),
                           "RadioGroupName");
    RadioGroupName->button(0)->setObjectName(QStringLiteral("RadioGroupNameItem0"));
    RadioGroupName->button(1)->setObjectName(QStringLiteral("RadioGroupNameItem1"));
    RadioGroupName->setItemIndex(0);
    CheckBoxOldDel =
        named(new QCheckBox(widgets::fromUtf8(app::msg::kDeleteOld), GroupBox1), "CheckBoxOldDel");
    CheckBoxOldDel->setMinimumHeight(17);

    ButtonCopy = named(new QPushButton(widgets::fromUtf8(app::msg::kButtonCopy), PanelRight), "ButtonCopy");
    ButtonCopy->setFont(f16);
    ButtonTest = named(new QPushButton(widgets::fromUtf8(app::msg::kButtonTest), PanelRight), "ButtonTest");
    ButtonTest->setFont(f19);
    ButtonRename =
        named(new QPushButton(widgets::fromUtf8(app::msg::kButtonRename), PanelRight), "ButtonRename");
    ButtonRename->setFont(f19);
    ButtonRename->setToolTip(widgets::fromUtf8(app::msg::kRenameHint));

    // Left: the current names and the new names side by side.
    PanelLeft = panel(PanelBottom, "PanelLeft");
    GroupBox2 = named(new QGroupBox(widgets::fromUtf8(app::msg::kGroupNames), PanelLeft), "GroupBox2");
    GroupBox2->setFont(f16);
    PanelBef = panel(GroupBox2, "PanelBef");
    PanelLabel1 = panel(PanelBef, "PanelLabel1");
    Label1 = named(new QLabel(widgets::fromUtf8(app::msg::kLabelCurrent), PanelLabel1), "Label1");
    PanelFileList = panel(PanelBef, "PanelFileList");
    FileListBox = named(new renaming::TFileListBox(PanelFileList), "FileListBox");
    PanelAft = panel(GroupBox2, "PanelAft");
    PanelLabel2 = panel(PanelAft, "PanelLabel2");
    Label2 = named(new QLabel(widgets::fromUtf8(app::msg::kLabelAfter), PanelLabel2), "Label2");
    PanelMemo = panel(PanelAft, "PanelMemo");
    Memo2 = named(new renaming::TMemo(PanelMemo), "Memo2");
    widgets::applyLayout(this, kLayout);
    // The group box lays out its columns by the resize rule, whenever it is
    // laid out: also when it changes size before the window hears of it.
    widgets::dockOf(GroupBox2)->beforeArrange = [this] { FormResize(); };

    // Names a screen reader says for the controls without a caption.
    EditDir->setAccessibleName(QStringLiteral("フォルダ"));
    FileListBox->setAccessibleName(widgets::fromUtf8(app::msg::kLabelCurrent));
    Memo2->setAccessibleName(widgets::fromUtf8(app::msg::kLabelAfter));
    // Without its own name the group would borrow the enclosing box's title.
    RadioGroupName->setAccessibleName(widgets::fromUtf8(app::msg::kRuleGroup).trimmed());

    // Keyboard focus order.
    QWidget* order[] = {ButtonDir,      EditDir,    RadioGroupName->button(0),
                        RadioGroupName->button(1), CheckBoxOldDel, ButtonTest,
                        ButtonRename,   ButtonCopy, Memo2,     FileListBox};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    for (QWidget* w : {static_cast<QWidget*>(ButtonDir), static_cast<QWidget*>(ButtonCopy),
                       static_cast<QWidget*>(ButtonTest), static_cast<QWidget*>(ButtonRename)})
        w->setFocusPolicy(Qt::StrongFocus);
    ButtonDir->setFocus();

    // Each handler's errors end at its connection, in the general error report.
    connect(ButtonDir, &QPushButton::clicked, this, whenIdle([this] { ButtonDirClick(); }));
    connect(ButtonCopy, &QPushButton::clicked, this, whenIdle([this] { ButtonCopyClick(); }));
    connect(ButtonTest, &QPushButton::clicked, this, whenIdle([this] { ButtonTestClick(); }));
    connect(ButtonRename, &QPushButton::clicked, this, whenIdle([this] { ButtonRenameClick(); }));
}

void TMainForm::FormCreate()
{
    widgets::DockLayout* dir = widgets::dockOf(PanelDirEdit);
    widgets::Placement fill = dir->placement(EditDir);
    fill.dock = Dock::client;
    dir->place(EditDir, fill);
    dir->arrange();
    LoadSettings();
    applyListSettings();
}

void TMainForm::FormResize()
{
    // The left column is half the group box; the right one takes the rest.
    widgets::dockOf(GroupBox2)->setExtent(PanelBef, GroupBox2->width() / 2);
}

void TMainForm::resizeEvent(QResizeEvent* e)
{
    // The docked controls have their new sizes by now.
    QMainWindow::resizeEvent(e);
    FormResize();
    widgets::dockOf(GroupBox2)->arrange();
}

void TMainForm::closeEvent(QCloseEvent* e) { e->setAccepted(FormClose()); }

bool TMainForm::FormClose()
{
    // The user has been told once that the settings cannot be written; a
    // window that can never be closed is worse than settings not saved.
    if (saveFailureShown_)
        return true;
    // Should the save fail, the error report shows it and the window stays.
    if (widgets::guarded([this] { SaveSettings(); }))
        return true;
    saveFailureShown_ = true;
    return false;
}

void TMainForm::FileExitMenuClick() { close(); }

void TMainForm::HelpAboutMenuClick()
{
    TAboutBox box(this);
    box.exec();
}

std::string TMainForm::MakeNewFileName(const std::string& oldName,
                                       const std::string& line) const
{
    const auto rule = RadioGroupName->ItemIndex() == 1 ? renaming::NameRule::append
                                                        : renaming::NameRule::replace;
    return renaming::makeNewFileName(oldName, line, rule, platform::systemCodePage());
}

bool TMainForm::CheckFileName(const std::string& line) const
{
    return renaming::checkFileName(line, platform::systemCodePage());
}

void TMainForm::setStatusText(const QString& text) { statusLabel_->setText(text); }
