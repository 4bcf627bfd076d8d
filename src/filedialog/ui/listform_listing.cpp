// Listing a folder in the file list window, with the files' icons, and the
// folder line above the list.
#include "filedialog/ui/listform.h"

#include "filedialog/listing.h"
#include "filedialog/shortenpath.h"
#include "filedialog/ui/opendialog.h"
#include "filedialog/unitstate.h"
#include "platform/codepage.h"
#include "widgets/text.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

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
}  // namespace

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
            QTableWidgetItem* item =
                nx::ListView::makeEntry(widgets::fromBytes(files[i].base), files[i].base);
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
