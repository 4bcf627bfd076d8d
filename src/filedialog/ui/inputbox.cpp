#include "filedialog/ui/inputbox.h"

#include "filedialog/ui/messages.h"
#include "widgets/fonts.h"
#include "widgets/named.h"
#include "widgets/text.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace nx {

using widgets::named;

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

}  // namespace nx
