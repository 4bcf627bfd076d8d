#include "widgets/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace widgets {

int messageBox(const QString& text, const QString& caption, unsigned flags)
{
    QPointer<QWidget> previous = QApplication::activeWindow();
    QPointer<QWidget> focus = QApplication::focusWidget();
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = previous;

    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
    switch (flags & 0xF0) {
    case kMbIconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case kMbIconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    int answer = kIdOk;
    if ((flags & 0x0F) == kMbYesNo) {
        // Esc and the close box answer no.
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        yes->setObjectName(QStringLiteral("Yes"));
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        no->setObjectName(QStringLiteral("No"));
        box.setEscapeButton(no);
        box.setDefaultButton(yes);
        box.exec();
        answer = box.clickedButton() == yes ? kIdYes : kIdNo;
    } else {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        ok->setObjectName(QStringLiteral("OK"));
        QPushButton* cancel = nullptr;
        if ((flags & 0x0F) == kMbOkCancel) {
            cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
            cancel->setObjectName(QStringLiteral("Cancel"));
            box.setEscapeButton(cancel);
        } else {
            box.setEscapeButton(ok);
        }
        box.setDefaultButton(ok);
        box.exec();
        answer = (cancel && box.clickedButton() == cancel) ? kIdCancel : kIdOk;
    }

    if (previous) {
        previous->activateWindow();
        if (focus)
            focus->setFocus();
    }
    return answer;
}

}  // namespace widgets
