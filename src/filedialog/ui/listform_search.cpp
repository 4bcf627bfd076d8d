// The partial-match search of the file list window.
#include "filedialog/ui/listform.h"

#include "filedialog/ui/inputbox.h"
#include "filedialog/ui/messages.h"
#include "filedialog/ui/opendialog.h"
#include "filedialog/unitstate.h"
#include "widgets/text.h"

void TListForm::FindButtonClick()
{
    TnxFileDialogBase* o = owner();
    bool DefaultEvent = true;
    if (o->OnFindBtnClick) {
        DefaultEvent = false;
        o->OnFindBtnClick(o, std::string(CurDir), DefaultEvent, nx::unit().SearchText);
    }
    if (!DefaultEvent)
        return;
    QString text = widgets::fromBytes(nx::unit().SearchText);
    if (!nx::inputQuery(this, widgets::fromUtf8(nx::msg::kSearchCaption), widgets::fromUtf8(nx::msg::kSearchPrompt), text))
        return;
    nx::unit().SearchText = widgets::toBytes(text);
    SelIndex = 0;
    SetFilesToList();
    setWindowTitle(widgets::fromUtf8(nx::msg::kSearchPrefixOpen) + text + widgets::fromUtf8(nx::msg::kSearchPrefixClose) +
                   windowTitle());
}
