#include "filedialog/ui/opendialog.h"

#include "filedialog/ui/listform.h"
#include "filedialog/ui/messages.h"
#include "filedialog/unitstate.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The bounding size of all monitors.
QSize virtualDesktop()
{
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->virtualGeometry().size();
    return {};
}

}  // namespace

void applyImeMode(QWidget* window, TImeMode mode)
{
    // The window's own input-method support only: its edits keep theirs, so
    // names can still be typed in any script.
    if (mode != imDontCare)
        window->setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
}

TnxFileDialogBase::TnxFileDialogBase(QObject* Owner, bool openMode, const char* title)
    : QObject(Owner), Title(title), openMode_(openMode)
{
    const QSize desk = virtualDesktop();
    FormWidth = desk.width() * 2 / 5;
    FormHeight = desk.height() / 2;
}

TnxFileDialogBase::~TnxFileDialogBase() = default;

QWidget* TnxFileDialogBase::ownerWindow() const
{
    for (QObject* o = parent(); o; o = o->parent())
        if (o->isWidgetType())
            return static_cast<QWidget*>(o)->window();
    return nullptr;
}

void TnxFileDialogBase::SetSelfImeMode(TImeMode Value)
{
    ImeMode_ = Value;
    if (ListForm_)
        applyImeMode(ListForm_, Value);
}

bool TnxFileDialogBase::Execute()
{
    nx::unit().SizeAdjusted = false;
    ModalResult_ = 0;
    bool result = false;
    nx::unit().IsOpenMode = openMode_;

    // The window is freed and forgotten however showing it ends.
    struct Release {
        TnxFileDialogBase* self;
        std::unique_ptr<TListForm> form;
        ~Release()
        {
            form.reset();
            self->ListForm_ = nullptr;
        }
    } release{this, std::make_unique<TListForm>(this)};
    TListForm* form = release.form.get();
    ListForm_ = form;
    if (openMode_)
        form->OpenDialog = static_cast<TnxOpenDialog*>(this);
    else
        form->SaveDialog = static_cast<TnxSaveDialog*>(this);
    form->setOuterBounds(QRect(FormLeft, FormTop, FormWidth, FormHeight));

    const int shown = form->exec();
    // A handler of the owner that threw while the window was shown: the
    // window is freed on the way out and ModalResult stays 0.
    form->fault_.rethrow();
    if (shown == TListForm::kResultOk) {
        result = true;
        ModalResult_ = TListForm::kResultOk;
    } else {
        ModalResult_ = TListForm::kResultCancel;
    }
    return result;
}

void TnxFileDialogBase::GetFilesList()
{
    if (!ListForm_)
        return;
    ListForm_->CurDir = Directory;
    ListForm_->NameMask = FindText;
    ListForm_->SetFilesToList();
}

TnxOpenDialog::TnxOpenDialog(QObject* Owner) : TnxFileDialogBase(Owner, true, nx::msg::kOpenTitle)
{
}

TnxSaveDialog::TnxSaveDialog(QObject* Owner) : TnxFileDialogBase(Owner, false, nx::msg::kSaveTitle)
{
}
