#include "filedialog/ui/browsedialog.h"

#include "filedialog/specialdirs.h"
#include "filedialog/ui/browsefolder.h"
#include "filedialog/ui/browsemessages.h"
#include "filedialog/ui/foldertreemodel.h"
#include "filedialog/unitstate.h"
#include "widgets/fonts.h"
#include "widgets/guard.h"
#include "widgets/text.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>


TnxBrowseDialog::TnxBrowseDialog(TnxBrowseFolder& component, QWidget* owner,
                                 const nx::FolderTarget& root, const nx::FolderTarget& init,
                                 const nx::SpecialDirs& dirs)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowSystemMenuHint),
      c_(component), init_(init)
{
    const TnxBrowseOptions& o = c_.Options;
    const bool newStyle = o.contains(bifNewDialogStyle);
    setObjectName(QStringLiteral("BrowseDialog"));
    setWindowTitle(widgets::fromUtf8(nx::msg::kBrowseCaption));
    setFont(widgets::gothicFont(12));
    setModal(true);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(10, 10, 10, 10);
    lay->setSpacing(6);

    title_ = new QLabel(widgets::fromBytes(c_.Title), this);
    title_->setObjectName(QStringLiteral("TitleLabel"));
    title_->setTextFormat(Qt::PlainText);
    title_->setWordWrap(true);
    title_->setVisible(!c_.Title.empty());
    lay->addWidget(title_);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusText"));
    status_->setTextFormat(Qt::PlainText);
    // A long path must not widen the dialog.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    status_->setMinimumHeight(status_->fontMetrics().height());
    status_->setVisible(o.contains(bifStatusText));
    lay->addWidget(status_);

    model_ = new nx::FolderTreeModel(root, dirs, o.contains(bifBrowseIncludeFiles), this);
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("FolderTree"));
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->setModel(model_);
    tree_->setMinimumSize(200, 150);
    tree_->expand(model_->rootItem());
    lay->addWidget(tree_, 1);

    auto* row = new QHBoxLayout;
    row->setSpacing(5);
    if (newStyle && !o.contains(bifNonNewFolderButton)) {
        newFolder_ = new QPushButton(widgets::fromUtf8(nx::msg::kNewFolderButton), this);
        newFolder_->setObjectName(QStringLiteral("NewFolder"));
        newFolder_->setAutoDefault(false);
        connect(newFolder_, &QPushButton::clicked, this,
                [this] { guarded([this] { newFolderClick(); }); });
        row->addWidget(newFolder_);
    }
    row->addStretch(1);
    ok_ = new QPushButton(widgets::fromUtf8(nx::msg::kBrowseOk), this);
    ok_->setObjectName(QStringLiteral("OK"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(widgets::fromUtf8(nx::msg::kBrowseCancel), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));
    cancel_->setAutoDefault(false);
    for (QPushButton* b : {ok_, cancel_}) {
        b->setMinimumWidth(75);
        row->addWidget(b);
    }
    lay->addLayout(row);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { guarded([this] { selectionChanged(); }); });
    connect(model_, &nx::FolderTreeModel::renameFailed, this, [this](const QString& name, int err) {
        guarded([&] { renameFailed(name, err); });
    });
    setSizeGripEnabled(newStyle);
}

TnxBrowseDialog::~TnxBrowseDialog() = default;

template <class F>
void TnxBrowseDialog::guarded(F&& f)
{
    // A failing handler ends the chooser, and Execute returns false.
    if (!fault_.run(std::forward<F>(f)))
        widgets::endModal(this, QDialog::Rejected);
}

void TnxBrowseDialog::initialize()
{
    c_.Handle_ = this;

    QModelIndex sel = model_->locate(init_);
    if (!sel.isValid())
        sel = model_->rootItem();
    for (QModelIndex p = sel.parent(); p.isValid(); p = p.parent())
        tree_->expand(p);
    tree_->setCurrentIndex(sel);
    tree_->scrollTo(sel);
    // The initial selection's handler runs before the chooser is shown.
    fault_.rethrow();

    // The natural size: what the layout asks for, frame included.
    layout()->activate();
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize natural = sizeHint() + frame;
    c_.MinWidth_ = natural.width();
    c_.MinHeight_ = natural.height();

    if (c_.OnShow)
        c_.OnShow(&c_);
    if (!c_.Caption.empty())
        setWindowTitle(widgets::fromBytes(c_.Caption));
    if (c_.Options.contains(bifNewDialogStyle))
        return;  // the resizable chooser keeps its own size and place

    if (c_.FormWidth_ < c_.MinWidth_)
        c_.FormWidth_ = c_.MinWidth_;
    if (c_.FormHeight_ < c_.MinHeight_)
        c_.FormHeight_ = c_.MinHeight_;
    int x = c_.FormLeft;
    int y = c_.FormTop;
    if (c_.FormLeft == 0 && c_.FormTop == 0) {
        // Centred on the primary screen; the division truncates toward zero,
        // so a chooser wider than the screen starts at a negative x.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect s = screen ? screen->geometry() : QRect();
        x = s.x() + (s.width() - c_.FormWidth_) / 2;
        y = s.y() + (s.height() - c_.FormHeight_) / 2;
    }
    placed_ = QRect(x, y, c_.FormWidth_, c_.FormHeight_);
    // Readable as a property: some window systems shift a window that
    // starts off the screen's edge.
    setProperty("placedRect", placed_);
    applyFrame();
}

void TnxBrowseDialog::applyFrame()
{
    if (placed_.isEmpty())
        return;
    // The given rectangle is the outer one; the window manager's frame, once
    // known, comes off the client size.
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(placed_.size() - frame);
    move(placed_.topLeft());
}

void TnxBrowseDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!placed_.isEmpty())
        QTimer::singleShot(0, this, [this] { fitFrame(); });
}

bool TnxBrowseDialog::event(QEvent* e)
{
    // A window manager tells the frame's size some time after the window
    // shows; by its first activation it is known.
    if (e->type() == QEvent::WindowActivate && !placed_.isEmpty())
        fitFrame();
    return QDialog::event(e);
}

void TnxBrowseDialog::fitFrame()
{
    // Only until the frame is known: after that the place is the user's.
    if (frameFitted_)
        return;
    if (frameGeometry() != geometry())
        frameFitted_ = true;
    if (frameGeometry() != placed_)
        applyFrame();
}

void TnxBrowseDialog::selectionChanged()
{
    const QModelIndex cur = tree_->currentIndex();
    const bool onlyFs = c_.Options.contains(bifReturnOnlyFSDirs);
    ok_->setEnabled(cur.isValid() && !(onlyFs && model_->isTop(cur)));
    if (newFolder_)
        newFolder_->setEnabled(model_->isFolder(cur) && !model_->isTop(cur));
    if (!c_.OnSelectionChanged)
        return;
    std::string status;
    bool okEnabled = ok_->isEnabled();
    c_.OnSelectionChanged(&c_, c_.Handle_, model_->pathOf(cur), status, okEnabled);
    ok_->setEnabled(okEnabled);
    status_->setText(widgets::fromBytes(status));
}

void TnxBrowseDialog::done(int r)
{
    // The place and size the chooser had when it closed, however it closed.
    const QRect f = frameGeometry();
    auto& u = nx::unit();
    u.lastLeft = f.x();
    u.lastTop = f.y();
    u.lastWidth = f.width();
    u.lastHeight = f.height();
    QDialog::done(r);
}

std::string TnxBrowseDialog::chosenPath() const
{
    return model_->pathOf(tree_->currentIndex());
}

QString TnxBrowseDialog::chosenName() const
{
    return model_->nameOf(tree_->currentIndex());
}
