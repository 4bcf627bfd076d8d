#include "filedialog/ui/listform.h"

#include "filedialog/listing.h"
#include "filedialog/shortenpath.h"
#include "filedialog/ui/browsefolder.h"
#include "filedialog/ui/messages.h"
#include "filedialog/ui/opendialog.h"
#include "filedialog/unitstate.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/fs.h"
#include "widgets/dock.h"
#include "widgets/fonts.h"
#include "widgets/guard.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>

using widgets::Dock;

namespace {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

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

// The entry's file name bytes (without extension): the entry text shows the
// name, these bytes name the file even where the name is no valid text.
constexpr int kBytesRole = Qt::UserRole + 1;

// A new name for an entry that leaves the file in the listed folder and in
// the listing. "/" is never the second byte of a double-byte character.
bool staysListed(const std::string& name)
{
    return name.find('/') == std::string::npos && (name.empty() || name.front() != '.');
}

// The name without folder and without its last extension.
std::string nameOnly(const std::string& path)
{
    const auto cp = platform::systemCodePage();
    const size_t sep = platform::findLastChar(path, "/", cp);
    const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    return nx::splitName(name, cp).base;
}

// Entries sort by text with the user's locale comparison, letter case
// ignored as in the main window's list; texts that compare equal keep a
// fixed order.
class EntryItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override
    {
        static const QCollator collator = [] {
            QCollator c;
            c.setNumericMode(false);
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        const int c = collator.compare(text(), other.text());
        return c != 0 ? c < 0 : text() < other.text();
    }
};

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

// The icon a desktop shows for a file: from the icon theme by its MIME
// type, else the generic file icon. Looked up once per type.
class FileIcons {
public:
    QIcon iconFor(const std::string& path)
    {
        const QString p = widgets::fromBytes(path);
        const QMimeType mt = mimes_.mimeTypeForFile(p);
        const QString key = mt.name();
        auto it = cache_.find(key);
        if (it != cache_.end())
            return *it;
        QIcon icon = QIcon::fromTheme(mt.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(mt.genericIconName());
        if (icon.isNull())
            icon = provider_.icon(QFileInfo(p));
        if (icon.isNull())
            icon = provider_.icon(QAbstractFileIconProvider::File);
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        cache_.insert(key, icon);
        return icon;
    }

private:
    QMimeDatabase mimes_;
    QFileIconProvider provider_;
    QHash<QString, QIcon> cache_;
};

// The one-line input box of the partial-match search.
bool inputQuery(QWidget* parent, const QString& caption, const QString& prompt, QString& value)
{
    QDialog box(parent);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(caption);
    box.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
    box.setFont(widgets::gothicFont(12));
    auto* label = named(new QLabel(prompt, &box), "Prompt");
    label->setTextFormat(Qt::PlainText);
    auto* edit = named(new QLineEdit(value, &box), "Edit");
    edit->setAccessibleName(prompt);
    auto* ok = named(new QPushButton(widgets::fromUtf8(nx::msg::kInputOk), &box), "OK");
    auto* cancel = named(new QPushButton(widgets::fromUtf8(nx::msg::kInputCancel), &box), "Cancel");
    label->setGeometry(8, 8, 250, 16);
    edit->setGeometry(8, 28, 250, 21);
    ok->setGeometry(98, 60, 75, 25);
    cancel->setGeometry(183, 60, 75, 25);
    box.setFixedSize(266, 93);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &box, &QDialog::reject);
    edit->selectAll();
    edit->setFocus();
    if (box.exec() != QDialog::Accepted)
        return false;
    value = edit->text();
    return true;
}

}  // namespace

// --- the list ------------------------------------------------------------

namespace nx {

// Asks the list before an editor opens, and keeps the text the list itself
// writes (the window decides what the entry ends up reading).
class EntryDelegate : public QStyledItemDelegate {
public:
    explicit EntryDelegate(ListView* view) : QStyledItemDelegate(view), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (view_->editor_)
            return nullptr;
        bool allow = true;
        if (view_->onEditing)
            view_->onEditing(index.row(), allow);
        if (!allow)
            return nullptr;
        QWidget* e = QStyledItemDelegate::createEditor(parent, option, index);
        e->setAccessibleName(QString::fromUtf8(nx::msg::kAccessibleFileName));
        view_->editor_ = e;
        view_->editRow_ = index.row();
        view_->committed_ = false;
        return e;
    }

    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

private:
    ListView* view_;
};

ListView::ListView(QWidget* parent) : QTableWidget(0, 1, parent)
{
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    verticalHeader()->hide();
    setShowGrid(true);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setIconSize(QSize(16, 16));
    setItemDelegate(new EntryDelegate(this));
    // The selection stays visible while the list has no focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

void ListView::editEntry(int row)
{
    if (QTableWidgetItem* it = item(row, 0)) {
        setFocus();
        editItem(it);
    }
}

QWidget* ListView::editorWidget() const { return editor_; }

void ListView::sortByText()
{
    horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    setSortingEnabled(true);
}

void ListView::commitData(QWidget* editor)
{
    if (editor != editor_)
        return;
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        committed_ = true;
        committedText_ = line->text();
    }
}

void ListView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor != editor_) {
        QTableWidget::closeEditor(editor, hint);
        return;
    }
    // The edit is over before the window handles it: a message box shown
    // then cannot commit it a second time.
    const int row = editRow_;
    const bool committed = committed_ && hint != QAbstractItemDelegate::RevertModelCache;
    const QString text = committedText_;
    editor_ = nullptr;
    editRow_ = -1;
    committed_ = false;
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (committed) {
        if (onEdited)
            onEdited(row, text);
    } else if (onEditAbandoned) {
        onEditAbandoned();
    }
}

void ListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableWidget::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && onDoubleClick)
        onDoubleClick();
}

}  // namespace nx

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
    connect(FindBtn, &QToolButton::clicked, this, [this] { guarded([this] { FindButtonClick(); }); });
    connect(FolderBtn, &QToolButton::clicked, this,
            [this] { guarded([this] { FolderButtonClick(); }); });
    connect(FileOpenBtn, &QPushButton::clicked, this, [this] {
        guarded([this] {
            setResult(kResultOk);  // the button's own preset, before its handler
            FileOpenBtnClick();
        });
    });
    connect(FileSaveBtn, &QPushButton::clicked, this, [this] { guarded([this] { FileSaveBtnClick(); }); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { guarded([this] { done(kResultCancel); }); });
    connect(FileEdit, &QLineEdit::textChanged, this, [this] { guarded([this] { FileEditChange(); }); });
    connect(ListView1, &QTableWidget::itemSelectionChanged, this,
            [this] { guarded([this] { ListView1SelectItem(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([&] { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos)); });
    });
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { guarded([this] { PopupMenu1Popup(); }); });
    connect(FileRename, &QAction::triggered, this, [this] { guarded([this] { FileRenameClick(); }); });
    connect(FileDelete, &QAction::triggered, this, [this] { guarded([this] { FileDeleteClick(); }); });
    ListView1->onEditing = [this](int row, bool& allow) {
        if (!guarded([&] { ListView1Editing(row, allow); }))
            allow = false;
    };
    ListView1->onEdited = [this](int row, const QString& text) {
        guarded([&] { commitEdit(row, text); });
    };
    ListView1->onEditAbandoned = [this] { guarded([this] { ListView1EditAbandoned(); }); };
    ListView1->onDoubleClick = [this] { guarded([this] { ListView1DblClick(); }); };
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

// --- showing and listing -----------------------------------------------------

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

void TListForm::SetFilesToList()
{
    TnxFileDialogBase* o = owner();
    const auto cp = platform::systemCodePage();
    {
        // Sorting, redrawing and the cursor come back however the listing ends.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ListView1->setSortingEnabled(false);
        ListView1->setUpdatesEnabled(false);
        struct Restore {
            nx::ListView* list;
            ~Restore()
            {
                list->sortByText();
                list->setUpdatesEnabled(true);
                QApplication::restoreOverrideCursor();
            }
        } restore{ListView1};

        CurDir = nx::withTrailingSeparator(CurDir, cp);
        const std::string pattern = nx::listingPattern(CurDir, NameMask);
        ListView1->clearContents();
        ListView1->setRowCount(0);
        const auto files = nx::listFiles(pattern, ExtFilter, nx::unit().SearchText, cp);
        ListView1->setRowCount(static_cast<int>(files.size()));
        FileIcons icons;
        for (size_t i = 0; i < files.size(); ++i) {
            auto* item = new EntryItem(widgets::fromBytes(files[i].base));
            item->setData(kBytesRole, QByteArray(files[i].base.data(),
                                                 static_cast<qsizetype>(files[i].base.size())));
            if (ShowIcons)
                item->setIcon(icons.iconFor(CurDir + files[i].name));
            ListView1->setItem(static_cast<int>(i), 0, item);
        }
    }
    LastIndex = ListView1->rowCount() - 1;

    if (nx::unit().IsOpenMode) {
        if (LastIndex > 0) {
            if (isEnabled())
                ListView1->setFocus();
            if (SelIndex == 0)
                selectRow(LastIndex);
            FileOpenBtn->setEnabled(true);
        } else {
            FileOpenBtn->setEnabled(false);
        }
    } else {
        FileSaveBtn->setEnabled(true);
        if (LastIndex >= 0)
            ListView1->scrollToItem(ListView1->item(LastIndex, 0));
        if (o)
            FileEdit->setText(widgets::fromBytes(nameOnly(o->FileName_)));
        if (isEnabled())
            FileEdit->setFocus();
    }
    DisplayDirectory();
}

void TListForm::DisplayDirectory()
{
    int width = DirNamePanel->width() - 10;
    if (FolderBtn->isHidden())
        FindBtn->move(FolderBtn->x(), FindBtn->y());
    if (!FindBtn->isHidden())
        width -= 30;
    if (!FolderBtn->isHidden())
        width -= 30;
    TnxFileDialogBase* o = owner();
    if (ShowDirLine && o) {
        const QFontMetrics fm(font());
        const std::string line = nx::ShortenPath(
            o->Directory, [&fm](const std::string& s) { return fm.horizontalAdvance(widgets::fromBytes(s)); },
            width, platform::systemCodePage());
        DirNamePanel->setText(QStringLiteral("  ") + widgets::fromBytes(line));
        DirNamePanel->repaint();
    }
}

// --- selection, typing, double-click -------------------------------------------

int TListForm::selectedCount() const { return ListView1->selectionModel()->selectedRows().size(); }

int TListForm::selectedRow() const
{
    const auto rows = ListView1->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

std::string TListForm::entryBytes(int row) const
{
    const QTableWidgetItem* it = ListView1->item(row, 0);
    if (!it)
        return {};
    const QByteArray b = it->data(kBytesRole).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

void TListForm::selectRow(int row)
{
    if (QTableWidgetItem* it = ListView1->item(row, 0)) {
        ListView1->setCurrentItem(it);
        ListView1->scrollToItem(it);
    }
}

QStringList TListForm::entryTexts() const
{
    QStringList out;
    for (int i = 0; i < ListView1->rowCount(); ++i)
        out << ListView1->item(i, 0)->text();
    return out;
}

void TListForm::ListView1SelectItem()
{
    const int row = selectedRow();
    if (row >= 0) {
        FileOpenBtn->setEnabled(true);
        SelPath = CurDir + entryBytes(row) + ExtFilter;
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

// --- open and save -------------------------------------------------------------

void TListForm::FileOpenBtnClick()
{
    TnxFileDialogBase* o = owner();
    bool Action = true;
    if (o->OnBeforeClose)
        o->OnBeforeClose(o, std::string(SelPath), Action);
    if (!Action) {
        setResult(kResultNone);
        return;
    }
    FileOpenBtn->setEnabled(false);
    int result = kResultCancel;
    if (selectedCount() == 1) {
        result = kResultOk;
        o->FilePath_ = SelPath;
        o->FileName_ = nameOnly(SelPath);
    }
    FileOpenBtn->setEnabled(true);
    done(result);
}

void TListForm::FileSaveBtnClick()
{
    TnxFileDialogBase* o = owner();
    bool Action = true;
    auto typedPath = [this] { return CurDir + nx::trimBlanks(widgets::toBytes(FileEdit->text())) + ExtFilter; };
    SelPath = typedPath();
    if (o->OnBeforeClose)
        o->OnBeforeClose(o, std::string(SelPath), Action);
    if (!Action) {
        setResult(kResultNone);
        return;
    }
    hide();
    SelPath = typedPath();
    int result = kResultOk;
    if (platform::fileExists(SelPath) &&
        widgets::messageBox(widgets::fromUtf8(nx::msg::kOverwriteText), widgets::fromUtf8(nx::msg::kSaveCaption),
                       widgets::kMbOkCancel | widgets::kMbIconInformation) != widgets::kIdOk)
        result = kResultCancel;
    if (result == kResultOk) {
        o->FilePath_ = SelPath;
        o->FileName_ = nameOnly(SelPath);
    }
    done(result);
}

// --- context menu, rename, delete ----------------------------------------------

void TListForm::PopupMenu1Popup()
{
    const bool one = selectedCount() == 1;
    for (QAction* a : PopupMenu1->actions())
        a->setVisible(one);
}

void TListForm::setDefaultButtons(bool on)
{
    // A window has one default button: the one of the two that is shown.
    const bool open = nx::unit().IsOpenMode;
    FileOpenBtn->setDefault(on && open);
    FileSaveBtn->setDefault(on && !open);
}

void TListForm::FileRenameClick()
{
    if (selectedCount() != 1)
        return;
    FileOpenBtn->setDefault(false);
    Editing = true;
    selectRow(SelIndex);
    ListView1->editEntry(SelIndex);
}

void TListForm::ListView1Editing(int row, bool& AllowEdit)
{
    // Only the selected entry is edited: the rename acts on its path, so an
    // edit of another row (the current one, made so by the keyboard) would
    // rename a file the user never chose.
    if (selectedCount() != 1 || selectedRow() != row) {
        AllowEdit = false;
        return;
    }
    // Enter then ends the edit instead of pressing a button.
    setDefaultButtons(false);
    Editing = true;
    AllowEdit = true;
}

void TListForm::ListView1Edited(int row, QString& S)
{
    TnxFileDialogBase* o = owner();
    bool Action = true;
    bool Ok = true;
    const std::string OldPath = SelPath;
    const QString OldText = ListView1->item(row, 0)->text();
    const std::string typed = nx::trimBlanks(widgets::toBytes(S));
    SelPath = CurDir + typed + ExtFilter;
    // Refused like an empty name: a "/" would move the file out of the
    // listed folder, a leading "." would hide it from every listing.
    const std::string name = staysListed(typed) ? typed : std::string();
    if (o->OnBeforeRename)
        o->OnBeforeRename(o, OldPath, std::string(SelPath), Action);
    if (Action) {
        // A name of blanks alone would leave the extension as the whole
        // name, a hidden file that no listing shows: that is no rename.
        // The name committed unchanged is no rename and no failure.
        Ok = !name.empty() &&
             (SelPath == OldPath || platform::renameNoReplace(OldPath, SelPath));
        if (o->OnAfterRename)
            o->OnAfterRename(o, OldPath, std::string(SelPath), Ok);
        else if (!Ok)
            widgets::messageBox(widgets::fromUtf8(nx::msg::kRenameFailed), widgets::fromUtf8(nx::msg::kRenameCaption),
                           widgets::kMbOk | widgets::kMbIconInformation);
    }
    if (!(Action && Ok)) {
        selectRow(SelIndex);
        SelPath = OldPath;
        S = OldText;
    }
    setDefaultButtons(true);
    if (!nx::unit().IsOpenMode)
        FileEdit->setText(S);
    Editing = false;
}

void TListForm::commitEdit(int row, const QString& text)
{
    QTableWidgetItem* it = ListView1->item(row, 0);
    if (!it)
        return;
    QString S = text;
    const std::string before = SelPath;
    const std::string name = nx::trimBlanks(widgets::toBytes(text));
    ListView1Edited(row, S);
    // After a rename the entry names the new file; after a failure or a
    // veto, still the old one. Its text is what the handler left.
    if (SelPath != before)
        it->setData(kBytesRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    it->setText(S);  // the list sorts itself again here
    // The selection follows the entry to its new place, so that the next
    // rename or delete acts on the file the user sees selected.
    const int now = ListView1->row(it);
    if (now >= 0 && it->isSelected()) {
        SelIndex = now;
        SelPath = CurDir + entryBytes(now) + ExtFilter;
    }
}

void TListForm::ListView1EditAbandoned()
{
    setDefaultButtons(true);
    Editing = false;
}

void TListForm::FileDeleteClick()
{
    TnxFileDialogBase* o = owner();
    const int Idx = SelIndex;
    const std::string Path = SelPath;
    bool Action = true;
    bool Ok = true;
    if (selectedCount() != 1)
        return;
    if (o->OnBeforeDelete)
        o->OnBeforeDelete(o, std::string(SelPath), Action);
    if (!Action)
        return;
    if (platform::deleteFile(SelPath)) {
        // Without a current entry the list picks no neighbour by itself.
        ListView1->selectionModel()->clear();
        ListView1->removeRow(Idx);
        --LastIndex;
        if (Idx <= LastIndex) {
            selectRow(Idx);
            ListView1->setFocus();
        }
    } else {
        Ok = false;
    }
    if (ListView1->rowCount() == 0) {
        if (nx::unit().IsOpenMode)
            FileOpenBtn->setEnabled(false);
        else
            FileSaveBtn->setEnabled(false);
    }
    if (o->OnAfterDelete)
        o->OnAfterDelete(o, Path, Ok);
    else if (!Ok)
        widgets::messageBox(widgets::fromUtf8(nx::msg::kDeleteFailed), widgets::fromUtf8(nx::msg::kDeleteCaption),
                       widgets::kMbOk | widgets::kMbIconInformation);
}

// --- search and folder -----------------------------------------------------------

void TListForm::FindButtonClick()
{
    TnxFileDialogBase* o = owner();
    bool DefaultEvent = true;
    if (o->OnFindBtnClick) {
        DefaultEvent = false;
        o->OnFindBtnClick(o, std::string(CurDir), DefaultEvent, nx::unit().SearchText);
    }
    if (!DefaultEvent)
        return;
    QString text = widgets::fromBytes(nx::unit().SearchText);
    if (!inputQuery(this, widgets::fromUtf8(nx::msg::kSearchCaption), widgets::fromUtf8(nx::msg::kSearchPrompt), text))
        return;
    nx::unit().SearchText = widgets::toBytes(text);
    SelIndex = 0;
    SetFilesToList();
    setWindowTitle(widgets::fromUtf8(nx::msg::kSearchPrefixOpen) + text + widgets::fromUtf8(nx::msg::kSearchPrefixClose) +
                   windowTitle());
}

void TListForm::FolderButtonClick()
{
    TnxFileDialogBase* o = owner();
    bool DefaultEvent = true;
    if (o->OnFolderBtnClick) {
        DefaultEvent = false;
        o->OnFolderBtnClick(o, std::string(CurDir), DefaultEvent);
    }
    if (!DefaultEvent)
        return;
    nx::unit().BrowseShown = false;
    auto browser = std::make_unique<TnxBrowseFolder>(this);
    struct Forget {
        TnxBrowseFolder*& ref;
        ~Forget() { ref = nullptr; }
    } forget{BrowseFolder};
    BrowseFolder = browser.get();
    browser->RootDir = RootDir;
    browser->InitDir = CurDir;
    browser->RootSpecialDir = sfNone;
    browser->Title = BrowseTitle;
    browser->OnSelectionChanged = [this](QObject* s, QWidget* w, const std::string& d,
                                         std::string& status, bool& ok) {
        BrowseSelectionChanged(s, w, d, status, ok);
    };
    browser->OnShow = [this](QObject* s) { BrowseShow(s); };
    browser->Execute();
}

void TListForm::BrowseShow(QObject*)
{
    if (!BrowseFolder)
        return;
    const QRect r = outerBounds();
    BrowseFolder->FormTop = r.top() + 30;
    BrowseFolder->FormLeft = r.left() + r.width() - BrowseFolder->FormWidth() + 100;
    if (QWidget* dlg = BrowseFolder->Handle()) {
        if (auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("OK")))
            ok->hide();
        if (auto* cancel = dlg->findChild<QPushButton*>(QStringLiteral("Cancel")))
            cancel->setText(widgets::fromUtf8(nx::msg::kBrowseClose));
    }
    nx::unit().BrowseShown = true;
}

void TListForm::BrowseSelectionChanged(QObject*, QWidget*, const std::string& Directory,
                                       std::string&, bool&)
{
    if (!nx::unit().BrowseShown)
        return;
    CurDir = Directory;
    if (TnxFileDialogBase* o = owner())
        o->Directory = CurDir;
    SelIndex = 0;
    SetFilesToList();
}
