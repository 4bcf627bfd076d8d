#include "lines/ui/importnames.h"

#include "lines/importfile.h"
#include "lines/namemap.h"
#include "lines/ui/columnsdialog.h"
#include "lines/ui/memolines.h"
#include "lines/ui/messages.h"
#include "rename/namelist.h"
#include "rename/namerule.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <cstring>

namespace lines::ui {

using widgets::fromUtf8;

namespace {

void tell(const QString& text, unsigned icon)
{
    widgets::messageBox(text, fromUtf8(msg::kImportCaption), widgets::kMbOk | icon);
}

QString problemText(const ImportProblem& p, const QString& name)
{
    switch (p.kind) {
    case ImportProblem::Kind::tooLarge: return fromUtf8(msg::kTooLarge).arg(name);
    case ImportProblem::Kind::notText: return fromUtf8(msg::kNotText).arg(name);
    case ImportProblem::Kind::unreadable: break;
    }
    return fromUtf8(msg::kUnreadable).arg(name, QString::fromLocal8Bit(std::strerror(p.error)));
}

std::vector<EntryName> entryNames(const renaming::NameList& list)
{
    const auto cp = platform::systemCodePage();
    std::vector<EntryName> out;
    out.reserve(list.entries().size());
    for (const std::string& name : list.entries())
        out.push_back({widgets::fromBytes(name, cp).toStdU16String(),
                       widgets::fromBytes(std::string(renaming::baseOf(name, cp)), cp).toStdU16String()});
    return out;
}

// A heading and the rows under it, at most a screenful.
void listRows(QStringList& out, const char* heading, const std::vector<UnusedRow>& rows)
{
    if (rows.empty())
        return;
    constexpr size_t kShown = 20;
    out << fromUtf8(heading).arg(rows.size());
    for (size_t i = 0; i < rows.size() && i < kShown; ++i)
        out << fromUtf8(msg::kRowOfFile).arg(rows[i].row).arg(QString::fromStdU16String(rows[i].name));
    if (rows.size() > kShown)
        out << fromUtf8(msg::kMoreRows).arg(rows.size() - kShown);
}

}  // namespace

void importNames(QWidget* owner, renaming::TMemo& memo, const renaming::NameList& list)
{
    const QString filters = fromUtf8(msg::kImportFilter) + QStringLiteral(";;") + fromUtf8(msg::kAllFilesFilter);
    const QString path = QFileDialog::getOpenFileName(owner, fromUtf8(msg::kImportCaption),
                                                      QFile::decodeName(list.Folder().c_str()), filters);
    if (!path.isEmpty())
        importNamesFrom(path, owner, memo, list);
}

void importNamesFrom(const QString& path, QWidget* owner, renaming::TMemo& memo,
                     const renaming::NameList& list)
{
    const QByteArray encoded = QFile::encodeName(path);
    ImportResult r = importFile(std::string(encoded.constData(), static_cast<size_t>(encoded.size())));
    const QString shown = QFileInfo(path).fileName();
    if (!r.file) {
        tell(problemText(r.problem.value_or(ImportProblem{}), shown), widgets::kMbIconStop);
        return;
    }
    ImportedFile& f = *r.file;
    if (f.kind == FileKind::text) {
        replaceAllLines(memo, f.lines);
        return;
    }
    TColumnsDialog columns(f.rows, f.encoding, owner);
    if (columns.exec() != QDialog::Accepted)
        return;
    const ColumnChoice c = columns.choice();
    const int skip = c.header ? 1 : 0;
    if (!c.mapping) {
        replaceAllLines(memo, columnLines(f.rows, c.column, skip));
        return;
    }
    const Mapping m = mapNames(f.rows, c.from, c.to, skip, entryNames(list));
    replaceAllLines(memo, m.lines);
    QStringList report;
    listRows(report, msg::kUnknownRows, m.unknown);
    listRows(report, msg::kAgainRows, m.again);
    if (!report.isEmpty())
        tell(report.join(QLatin1Char('\n')), widgets::kMbIconInformation);
}

}  // namespace lines::ui
