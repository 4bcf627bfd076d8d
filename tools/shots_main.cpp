// The main window and the About box.
#include "app/aboutbox.h"
#include "app/mainform.h"
#include "rename/ui/memo.h"
#include "tools/screenshots.h"

#include <QDialog>

namespace {

const bool registered = shots::add("main", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    form.Memo2->setPlainText(QString::fromUtf8("2026年12月_01\n2026年12月_02\n"));
    shots::save(ctx, &form, QStringLiteral("mainform"));
    form.resize(1200, 760);
    shots::save(ctx, &form, QStringLiteral("mainform-wide"));

    TAboutBox box(&form);
    box.show();
    shots::save(ctx, &box, QStringLiteral("aboutbox"));
    box.close();
    form.hide();
});

}  // namespace
