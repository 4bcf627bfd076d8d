// The tools on the memo's lines on 100,000 lines: the live table of the
// replace and conversion dialogs after a change of their settings, applying
// a result to the memo, and reading a Shift-JIS CSV of 100,000 rows into it.
// Each row gives milliseconds against its target.
#include "bench/driver.h"

#include "app/mainform.h"
#include "lines/importfile.h"
#include "lines/namemap.h"
#include "lines/replacer.h"
#include "lines/ui/convertdialog.h"
#include "lines/ui/memolines.h"
#include "lines/ui/replacedialog.h"
#include "rename/ui/memo.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using namespace bench;

int lineCount() { return config().quick ? 10000 : 100000; }

QString memoText()
{
    QString text;
    char buf[96];
    for (int i = 0; i < lineCount(); ++i) {
        std::snprintf(buf, sizeof buf, "IMG_%07d 旅行 らーめん\n", i);
        text += QString::fromUtf8(buf);
    }
    return text;
}

std::unique_ptr<lines::ui::TReplaceDialog> replace;
std::unique_ptr<lines::ui::TConvertDialog> convert;

void settle(const lines::ui::TLinesDialog& d)
{
    while (d.busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
}

void openReplace(bool regex)
{
    TMainForm& form = window();
    form.Memo2->setPlainText(memoText());
    replace = std::make_unique<lines::ui::TReplaceDialog>(lines::ui::snapshotOf(*form.Memo2), nullptr);
    replace->UseRegex->setChecked(regex);
    replace->ReplaceAll->setChecked(true);
    replace->ReplaceEdit->setText(regex ? QStringLiteral("$2-$1") : QStringLiteral("photo_"));
    replace->show();
    // One search untimed, so that no timed run pays for first use.
    replace->SearchEdit->setText(regex ? QStringLiteral("(IMG)_(\\d+)") : QStringLiteral("IMG_"));
    settle(*replace);
}

// From the keystroke that changes the search text until the table shows
// the lines it changes; two texts in turn, so that each run is new work.
double keystroke(const QString& a, const QString& b)
{
    static int turn = 0;
    const QString next = (turn++ % 2) ? a : b;
    const double t0 = now();
    replace->SearchEdit->setText(next);
    settle(*replace);
    const double t = now() - t0;
    if (replace->changes().size() != static_cast<size_t>(lineCount()))
        std::fprintf(stderr, "changed %zu of %d\n", replace->changes().size(), lineCount());
    return t * 1000;
}

double literalKeystroke() { return keystroke(QStringLiteral("IMG_"), QStringLiteral("IMG_0")); }
double regexKeystroke()
{
    return keystroke(QStringLiteral("(IMG)_(\\d+)"), QStringLiteral("(IMG)_0*(\\d+)"));
}

void closeDialogs()
{
    replace.reset();
    convert.reset();
    window().Memo2->clear();
}

// Applying 100,000 changed lines to the memo as one edit, until it has
// laid them out.
double apply()
{
    TMainForm& form = window();
    form.Memo2->setPlainText(memoText());
    QApplication::processEvents();
    lines::ReplaceSettings s;
    s.search = u"IMG_";
    s.replacement = u"photo_";
    const auto snap = lines::ui::snapshotOf(*form.Memo2);
    const lines::Outcome o =
        lines::Replacer(s).run(snap.lines, {0, static_cast<int>(snap.lines.size())}, nullptr);
    const double t0 = now();
    lines::ui::applyChanges(*form.Memo2, o.changes);
    QApplication::processEvents();
    const double t = now() - t0;
    if (form.Memo2->Lines[lineCount() - 1].rfind("photo_", 0) != 0)
        std::fprintf(stderr, "not applied\n");
    return t * 1000;
}

void openConvert()
{
    TMainForm& form = window();
    form.Memo2->setPlainText(memoText());
    convert = std::make_unique<lines::ui::TConvertDialog>(lines::ui::snapshotOf(*form.Memo2), nullptr);
    convert->show();
    settle(*convert);
}

// From choosing a conversion until the table shows what it changes.
double conversion()
{
    static int turn = 0;
    const int choice = (turn++ % 2) ? 0 : 6;  // upper case, or hiragana to katakana
    const double t0 = now();
    convert->Choices[static_cast<size_t>(choice)]->setChecked(true);
    settle(*convert);
    return (now() - t0) * 1000;
}

std::string csvPath() { return config().dataDir + "/names-sjis.csv"; }

void writeCsv()
{
    std::filesystem::create_directories(config().dataDir);
    std::ofstream out(csvPath(), std::ios::binary);
    // 現在,新しい名前 then "IMG_n.jpg,旅行_n" in Shift-JIS, CR LF, one
    // quoted field in ten.
    out << "\x8c\xbb\x8d\xdd,\x90\x56\x82\xb5\x82\xa2\x96\xbc\x91\x4f\r\n";
    char buf[96];
    for (int i = 0; i < lineCount(); ++i) {
        std::snprintf(buf, sizeof buf, i % 10 ? "IMG_%07d.jpg,\x97\xb7\x8d\x73_%d\r\n"
                                              : "IMG_%07d.jpg,\"\x97\xb7\x8d\x73,%d\"\r\n",
                      i, i);
        out << buf;
    }
}

// From the file chosen until the memo holds its second column.
double importCsv()
{
    TMainForm& form = window();
    form.Memo2->clear();
    QApplication::processEvents();
    const double t0 = now();
    const lines::ImportResult r = lines::importFile(csvPath());
    if (!r.file) {
        std::fprintf(stderr, "import refused\n");
        return -1;
    }
    lines::ui::replaceAllLines(*form.Memo2, lines::columnLines(r.file->rows, 1, 1));
    QApplication::processEvents();
    const double t = now() - t0;
    if (form.Memo2->Lines.Count() != lineCount())
        std::fprintf(stderr, "imported %d of %d\n", form.Memo2->Lines.Count(), lineCount());
    return t * 1000;
}

const bool registered = [] {
    add({"replace_live_literal_100k_ms", 100, [] { openReplace(false); }, literalKeystroke, nullptr,
         closeDialogs});
    add({"replace_live_regex_100k_ms", 300, [] { openReplace(true); }, regexKeystroke, nullptr,
         closeDialogs});
    add({"replace_apply_100k_ms", 500, nullptr, apply, nullptr, closeDialogs});
    add({"convert_live_100k_ms", 300, openConvert, conversion, nullptr, closeDialogs});
    add({"import_sjis_csv_100k_ms", 500, writeCsv, importCsv, nullptr, closeDialogs});
    return true;
}();

}  // namespace
