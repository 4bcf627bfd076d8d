// The memo as the user edits it: a selection over two lines with the caret,
// a name being composed with an input method, and the right-click menu.
#include "app/mainform.h"
#include "rename/ui/memo.h"
#include "tools/screenshots.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTextCharFormat>

namespace {

const bool registered = shots::add("memo", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    renaming::TMemo& memo = *form.Memo2;
    memo.setPlainText(QString::fromUtf8("2026年12月_01\n2026年12月_02\n2026年12月_03\n"));
    memo.setFocus();
    memo.select(memo.lineStart(0) + 8, memo.lineStart(1) + 5);
    shots::save(ctx, &form, QStringLiteral("memo-selection"));

    memo.setCaret(memo.lineEnd(2));
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    const QString composing = QString::fromUtf8("りょこう");
    QInputMethodEvent e(composing, {{QInputMethodEvent::TextFormat, 0, int(composing.size()), underline},
                                    {QInputMethodEvent::Cursor, int(composing.size()), 1, {}}});
    QApplication::sendEvent(&memo, &e);
    shots::save(ctx, &form, QStringLiteral("memo-composing"));

    QMenu* menu = memo.createStandardContextMenu();
    menu->popup(memo.mapToGlobal(QPoint(40, 40)));
    shots::save(ctx, menu, QStringLiteral("memo-menu"));
    delete menu;
});

}  // namespace
