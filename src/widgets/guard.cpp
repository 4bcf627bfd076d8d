#include "widgets/guard.h"

#include "platform/error.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QCoreApplication>
#include <QDialog>
#include <QString>

namespace widgets {

QString reportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showError(std::exception_ptr error) noexcept
{
    try {
        QString message;
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const platform::ToolkitError& e) {
            message = fromBytes(e.what());
        } catch (...) {
            // Not one of ours: shown as an error with an empty message.
        }
        messageBox(reportText(message), QCoreApplication::applicationName(),
                   kMbOk | kMbIconStop);
    } catch (...) {
        // The report itself failed (no memory for the box): nothing more
        // can be told.
    }
}

void endModal(QDialog* dialog, int result)
{
    // Queued to the dialog: dropped if the dialog is gone first.
    QMetaObject::invokeMethod(
        dialog, [dialog, result] { dialog->done(result); }, Qt::QueuedConnection);
}

}  // namespace widgets
