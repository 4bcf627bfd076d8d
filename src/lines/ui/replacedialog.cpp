#include "lines/ui/replacedialog.h"

#include "lines/ui/messages.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdio>

namespace lines::ui {

using widgets::fromUtf8;
using widgets::named;

namespace {

// A field with its label as buddy: the label names it, also to a screen reader.
QLineEdit* field(QWidget* parent, QFormLayout* form, const char* text, const char* name)
{
    auto* label = new QLabel(fromUtf8(text), parent);
    auto* edit = named(new QLineEdit(parent), name);
    label->setBuddy(edit);
    edit->setAccessibleName(fromUtf8(text));
    form->addRow(label, edit);
    return edit;
}

QString formatted(const char* format, int n)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, format, n);
    return QString::fromUtf8(buf);
}

}  // namespace

TReplaceDialog::TReplaceDialog(MemoSnapshot memo, DateSource* dates, QWidget* owner)
    : TLinesDialog(msg::kReplaceCaption, std::move(memo), owner), dates_(dates)
{
    setObjectName(QStringLiteral("ReplaceDialog"));
    auto* form = new QFormLayout;
    SearchEdit = field(this, form, msg::kSearch, "SearchEdit");
    ReplaceEdit = field(this, form, msg::kReplacement, "ReplaceEdit");
    ReplaceEdit->setToolTip(fromUtf8(msg::kReplacementHint));

    UseRegex = named(new QCheckBox(fromUtf8(msg::kUseRegex), this), "UseRegex");
    MatchCase = named(new QCheckBox(fromUtf8(msg::kMatchCase), this), "MatchCase");
    ReplaceAll = named(new QCheckBox(fromUtf8(msg::kReplaceAll), this), "ReplaceAll");
    UseCounter = named(new QCheckBox(fromUtf8(msg::kUseCounter), this), "UseCounter");
    auto* checks = new QGridLayout;
    checks->addWidget(UseRegex, 0, 0);
    checks->addWidget(MatchCase, 0, 1);
    checks->addWidget(ReplaceAll, 1, 0);
    checks->addWidget(UseCounter, 1, 1);

    DateGroup = named(new QGroupBox(fromUtf8(msg::kDateGroup), this), "DateGroup");
    DateModified = named(new QRadioButton(fromUtf8(msg::kDateModified), DateGroup), "DateModified");
    DateTaken = named(new QRadioButton(fromUtf8(msg::kDateTaken), DateGroup), "DateTaken");
    DateModified->setChecked(true);
    auto* dateRow = new QHBoxLayout(DateGroup);
    dateRow->addWidget(DateModified);
    dateRow->addWidget(DateTaken);
    dateRow->addStretch(1);

    body()->addLayout(form);
    body()->addLayout(checks);
    body()->addWidget(DateGroup);

    for (QLineEdit* e : {SearchEdit, ReplaceEdit})
        connect(e, &QLineEdit::textChanged, this, [this] { settingsChanged(); });
    for (QCheckBox* c : {UseRegex, MatchCase, ReplaceAll, UseCounter})
        connect(c, &QCheckBox::toggled, this, [this] { settingsChanged(); });
    connect(DateModified, &QRadioButton::toggled, this, [this] { settingsChanged(); });

    setTabOrder(SearchEdit, ReplaceEdit);
    SearchEdit->setFocus();
    settingsChanged();
}

ReplaceSettings TReplaceDialog::settings() const
{
    ReplaceSettings s;
    s.search = SearchEdit->text().toStdU16String();
    s.replacement = ReplaceEdit->text().toStdU16String();
    s.regex = UseRegex->isChecked();
    s.matchCase = MatchCase->isChecked();
    s.all = ReplaceAll->isChecked();
    s.counter = UseCounter->isChecked();
    s.date = DateTaken->isChecked() ? DateKind::taken : DateKind::modified;
    return s;
}

TLinesDialog::Work TReplaceDialog::prepare()
{
    auto replacer = std::make_shared<Replacer>(settings());
    Work w;
    if (const auto& p = replacer->problem()) {
        switch (p->kind) {
        case ReplaceProblem::Kind::pattern: {
            char buf[1024];
            std::snprintf(buf, sizeof buf, msg::kPatternError, p->offset, p->message.c_str());
            w.problem = QString::fromUtf8(buf);
            break;
        }
        case ReplaceProblem::Kind::lineBreak: w.problem = fromUtf8(msg::kReplacementBreak); break;
        case ReplaceProblem::Kind::nul: w.problem = fromUtf8(msg::kReplacementNul); break;
        }
        return w;
    }
    DateSource* dates = dates_;
    w.run = [replacer, dates](const std::vector<Text>& lines, LineRange range, const CancelFlag& cancel) {
        return replacer->run(lines, range, dates, &cancel);
    };
    return w;
}

QString TReplaceDialog::withoutDateText(int count) const
{
    return formatted(DateTaken->isChecked() ? msg::kNoDateTaken : msg::kNoFileBeside, count);
}

}  // namespace lines::ui
