// The file list window itself: its controls and their layout, its place
// and size, showing it from its owner's properties, the selection, typing
// and double-click, and what it hands back when it is freed.
#include "filedialog/ui/listform.h"

#include "filedialog/listing.h"
#include "filedialog/ui/messages.h"
#include "filedialog/ui/opendialog.h"
#include "filedialog/unitstate.h"
#include "platform/codepage.h"
#include "widgets/dock.h"
#include "widgets/fonts.h"
#include "widgets/guard.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>

using widgets::Dock;
using widgets::named;

namespace {

// Design size of the window, frame included, and of its client area.
constexpr int kDesignWidth = 423, kDesignHeight = 416;
constexpr int kFrameWidth = 423 - 415;
constexpr int kFrameHeight = 416 - 389;
// The window's layout at design size (client area 415 x 389, the folder
// line shown): the list and the name edit stretch with the window, the
// buttons keep to its right-hand edge.
constexpr widgets::Place kLayout[] = {
    {"ListForm", nullptr, Dock::none, {0, 0, 415, 389}},
    {"DirNamePanel", "ListForm", Dock::top, {0, 0, 415, 25}},
    {"FindBtn", "DirNamePanel", Dock::none, {360, 2, 23, 22}, widgets::akTop | widgets::akRight},
    {"FolderBtn", "DirNamePanel", Dock::none, {384, 2, 23, 22}, widgets::akTop | widgets::akRight},
    {"Panel1", "ListForm", Dock::client, {0, 25, 415, 332}},
    {"ListView1", "Panel1", Dock::none, {8, 8, 398, 311}, widgets::kAnchorAll},
    {"Panel2", "ListForm", Dock::bottom, {0, 357, 415, 32}},
    {"FileEdit", "Panel2", Dock::none, {8, 5, 289, 21}, widgets::kAnchorAll},
    {"FileOpenBtn", "Panel2", Dock::none, {303, 4, 52, 25}, widgets::akRight | widgets::akBottom},
    {"FileSaveBtn", "Panel2", Dock::none, {303, 4, 52, 25}, widgets::akRight | widgets::akBottom},
    {"CloseBtn", "Panel2", Dock::none, {356, 4, 52, 25}, widgets::akRight | widgets::akBottom},
};
constexpr int kRowHeight = 18;  // at least as high as the blank state images
// Small pictures for the two tool buttons.
QIcon findGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(90, 60, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    return QIcon(pm);
}

QIcon folderGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath tab;
    tab.moveTo(1.5, 4.5);
    tab.lineTo(1.5, 2.5);
    tab.lineTo(6.5, 2.5);
    tab.lineTo(7.5, 4.5);
    tab.closeSubpath();
    p.drawPath(tab);
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.setBrush(QColor(250, 220, 120));
    p.drawRect(QRectF(1.5, 6.5, 13, 7));
    return QIcon(pm);
}
}  // namespace

// --- the window ----------------------------------------------------------

TListForm::TListForm(TnxFileDialogBase* Owner) : QDialog(Owner ? Owner->ownerWindow() : nullptr)
{
    setObjectName(QStringLiteral("ListForm"));
    setWindowTitle(widgets::fromUtf8(nx::msg::kOpenTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setFont(widgets::gothicFont(12));
    move(413, 166);
    resize(kDesignWidth - kFrameWidth, kDesignHeight - kFrameHeight);
    buildControls();
    FormCreate();
}

TListForm::~TListForm() { FormDestroy(); }

void TListForm::buildControls()
{
    DirNamePanel = named(new QLabel(this), "DirNamePanel");
    DirNamePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    DirNamePanel->setTextFormat(Qt::PlainText);
    DirNamePanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DirNamePanel->hide();
    FindBtn = named(new QToolButton(DirNamePanel), "FindBtn");
    FindBtn->setAutoRaise(true);
    FindBtn->setIcon(findGlyph());
    FindBtn->setToolTip(widgets::fromUtf8(nx::msg::kFindHint));
    FindBtn->setAccessibleName(widgets::fromUtf8(nx::msg::kFindHint));
    FindBtn->hide();
    FolderBtn = named(new QToolButton(DirNamePanel), "FolderBtn");
    FolderBtn->setAutoRaise(true);
    FolderBtn->setIcon(folderGlyph());
    FolderBtn->setToolTip(widgets::fromUtf8(nx::msg::kFolderHint));
    FolderBtn->setAccessibleName(widgets::fromUtf8(nx::msg::kFolderHint));
    FolderBtn->hide();

    Panel1 = named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ListView1 = named(new nx::ListView(Panel1), "ListView1");
    ListView1->setFont(widgets::gothicFont(13));
    ListView1->setAccessibleName(widgets::fromUtf8(nx::msg::kAccessibleFiles));
    ListView1->verticalHeader()->setMinimumSectionSize(kRowHeight);
    ListView1->verticalHeader()->setDefaultSectionSize(
        qMax(kRowHeight, QFontMetrics(ListView1->font()).height() + 4));
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);

    Panel2 = named(new QFrame(this), "Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FileEdit = named(new QLineEdit(Panel2), "FileEdit");
    FileEdit->setAccessibleName(widgets::fromUtf8(nx::msg::kAccessibleFileName));
    FileEdit->hide();
    FileOpenBtn = named(new QPushButton(widgets::fromUtf8(nx::msg::kFileOpenBtn), Panel2), "FileOpenBtn");
    FileOpenBtn->setDefault(true);
    FileOpenBtn->setEnabled(false);
    FileSaveBtn = named(new QPushButton(widgets::fromUtf8(nx::msg::kFileSaveBtn), Panel2), "FileSaveBtn");
    FileSaveBtn->setEnabled(false);
    FileSaveBtn->hide();
    CloseBtn = named(new QPushButton(widgets::fromUtf8(nx::msg::kCloseBtn), Panel2), "CloseBtn");
    CloseBtn->setAutoDefault(false);

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    FileRename = named(PopupMenu1->addAction(widgets::fromUtf8(nx::msg::kFileRename)), "FileRename");
    FileDelete = named(PopupMenu1->addAction(widgets::fromUtf8(nx::msg::kFileDelete)), "FileDelete");

    widgets::applyLayout(this, kLayout);
    // A lone search button takes the folder button's place.
    widgets::DockLayout* line = widgets::dockOf(DirNamePanel);
    line->beforeArrange = [this, line, own = line->placement(FindBtn)] {
        line->place(FindBtn, FolderBtn->isHidden() ? line->placement(FolderBtn) : own);
    };

    setTabOrder(ListView1, FileEdit);
    setTabOrder(FileEdit, FileOpenBtn);
    setTabOrder(FileOpenBtn, FileSaveBtn);
    setTabOrder(FileSaveBtn, CloseBtn);

    // The owner's handlers run inside these: each connection is guarded.
    auto on = [this](void (TListForm::*handler)()) {
        return [this, handler] { guarded([&] { (this->*handler)(); }); };
    };
    connect(FindBtn, &QToolButton::clicked, this, on(&TListForm::FindButtonClick));
    connect(FolderBtn, &QToolButton::clicked, this, on(&TListForm::FolderButtonClick));
    connect(FileOpenBtn, &QPushButton::clicked, this, [this] {
        guarded([this] {
            setResult(kResultOk);  // the button's own preset, before its handler
            FileOpenBtnClick();
        });
    });
    connect(FileSaveBtn, &QPushButton::clicked, this, on(&TListForm::FileSaveBtnClick));
    connect(CloseBtn, &QPushButton::clicked, this,
            [this] { guarded([this] { done(kResultCancel); }); });
    connect(FileEdit, &QLineEdit::textChanged, this, on(&TListForm::FileEditChange));
    connect(ListView1, &QTableWidget::itemSelectionChanged, this,
            on(&TListForm::ListView1SelectItem));
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([&] { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos)); });
    });
    connect(PopupMenu1, &QMenu::aboutToShow, this, on(&TListForm::PopupMenu1Popup));
    connect(FileRename, &QAction::triggered, this, on(&TListForm::FileRenameClick));
    connect(FileDelete, &QAction::triggered, this, on(&TListForm::FileDeleteClick));
    ListView1->onEditing = [this](int row, bool& allow) {
        if (!guarded([&] { ListView1Editing(row, allow); }))
            allow = false;
    };
    ListView1->onEdited = [this](int row, const QString& text) {
        guarded([&] { commitEdit(row, text); });
    };
    ListView1->onEditAbandoned = on(&TListForm::ListView1EditAbandoned);
    ListView1->onDoubleClick = on(&TListForm::ListView1DblClick);
}

template <class F>
bool TListForm::guarded(F&& f)
{
    // What a handler throws belongs to the caller of the owner's Execute:
    // it is kept, the window's loop ends, and Execute throws it again.
    if (fault_.run(std::forward<F>(f)))
        return true;
    widgets::endModal(this, kResultNone);
    return false;
}

TnxFileDialogBase* TListForm::owner() const
{
    if (nx::unit().IsOpenMode)
        return OpenDialog;
    return SaveDialog;
}

// --- geometry --------------------------------------------------------------

QRect TListForm::outerBounds() const
{
    const QRect g = geometry();
    const QRect f = frameGeometry();
    if (f != g)
        return f;
    return QRect(g.x(), g.y(), g.width() + kFrameWidth, g.height() + kFrameHeight);
}

void TListForm::setOuterBounds(const QRect& r)
{
    wantedBounds_ = r;
    const QRect g = geometry();
    const QRect f = frameGeometry();
    move(r.topLeft());
    if (f != g && isVisible())
        resize(r.width() - (f.width() - g.width()), r.height() - (f.height() - g.height()));
    else
        resize(r.width() - kFrameWidth, r.height() - kFrameHeight);
}

void TListForm::settleFrame()
{
    // Where the window system frames the window only after it is shown,
    // the frame becomes known with the first move that follows.
    if (frameSettled_ || frameGeometry() == geometry())
        return;
    frameSettled_ = true;
    if (wantedBounds_.isValid() && outerBounds() != wantedBounds_)
        setOuterBounds(wantedBounds_);
}

void TListForm::moveEvent(QMoveEvent* e)
{
    QDialog::moveEvent(e);
    if (shown_)
        settleFrame();
}

void TListForm::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    guarded([this] {
        bool resize = true;
        FormCanResize(width(), height(), resize);
        FormResize();
    });
}

void TListForm::FormCanResize(int, int, bool& Resize)
{
    // The size is never refused; the column follows the list by itself, so
    // what is left is to note the first negotiation after Execute.
    Resize = true;
    nx::unit().SizeAdjusted = true;
}

void TListForm::FormResize()
{
    if (nx::unit().SizeAdjusted && ShowDirLine)
        DisplayDirectory();
}
// --- showing -----------------------------------------------------------------

void TListForm::FormCreate() { SelIndex = 0; }

void TListForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!shown_) {
        shown_ = true;
        // The frame is known now: the outer bounds asked for before are
        // the ones the window gets.
        settleFrame();
        guarded([this] { FormShow(); });
    }
}

void TListForm::FormShow()
{
    TnxFileDialogBase* o = owner();
    if (!o)
        return;
    const bool open = nx::unit().IsOpenMode;
    Editing = false;
    ShowDirLine = false;
    FindBtn->hide();
    FolderBtn->hide();
    DirNamePanel->hide();
    NameMask.clear();
    nx::unit().SearchText.clear();
    FileOpenBtn->setVisible(open);
    FileSaveBtn->setVisible(!open);
    FileEdit->setVisible(!open);
    setDefaultButtons(true);

    setWindowTitle(widgets::fromBytes(o->Title));
    CurDir = o->Directory;
    ExtFilter = nx::makeExtFilter(o->FileExt, platform::systemCodePage());
    NameMask = o->FindText;
    RootDir = o->RootDir;
    BrowseTitle = o->BrowseTitle;
    ShowIcons = o->DisplayIcon;
    if (o->DisplayDirectory) {
        DirNamePanel->show();
        ShowDirLine = true;
    }
    if (o->Options.contains(doFindBtn)) {
        DirNamePanel->show();
        FindBtn->show();
    }
    if (o->Options.contains(doFolderBtn)) {
        DirNamePanel->show();
        FolderBtn->show();
    }
    widgets::arrangeAll(this);

    SetFilesToList();
    if (!open)
        FileEdit->setFocus();
    applyImeMode(this, o->ImeMode());
    o->Handle_ = this;
    if (o->OnShow)
        o->OnShow(o);
    if (FolderBtn->isHidden())
        FindBtn->move(FolderBtn->x(), FindBtn->y());
}
// --- selection, typing, double-click -------------------------------------------

int TListForm::selectedCount() const { return ListView1->selectionModel()->selectedRows().size(); }

int TListForm::selectedRow() const
{
    const auto rows = ListView1->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

void TListForm::selectRow(int row)
{
    if (QTableWidgetItem* it = ListView1->item(row, 0)) {
        ListView1->setCurrentItem(it);
        ListView1->scrollToItem(it);
    }
}

void TListForm::ListView1SelectItem()
{
    const int row = selectedRow();
    if (row >= 0) {
        FileOpenBtn->setEnabled(true);
        SelPath = CurDir + ListView1->entryBytes(row) + ExtFilter;
        SelIndex = row;
        if (!nx::unit().IsOpenMode)
            FileEdit->setText(ListView1->item(row, 0)->text());
    } else {
        FileOpenBtn->setEnabled(false);
    }
}

void TListForm::FileEditChange() { FileSaveBtn->setEnabled(!FileEdit->text().isEmpty()); }

void TListForm::ListView1DblClick()
{
    if (nx::unit().IsOpenMode && !Editing)
        FileOpenBtnClick();
}

void TListForm::FormDestroy()
{
    TnxFileDialogBase* o = owner();
    if (!o)
        return;
    o->Handle_ = nullptr;
    const QRect r = outerBounds();
    o->FormTop = r.top();
    o->FormLeft = r.left();
    o->FormWidth = r.width();
    o->FormHeight = r.height();
}

void TListForm::reject() { done(kResultCancel); }
