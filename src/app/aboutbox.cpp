#include "app/aboutbox.h"

#include "app/artwork.h"
#include "app/messages.h"
#include "widgets/dock.h"
#include "widgets/fonts.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

using widgets::Dock;
using widgets::kNatural;

constexpr widgets::Place kLayout[] = {
    {"AboutBox", nullptr, Dock::none, {0, 0, 286, 129}},
    {"Panel1", "AboutBox", Dock::none, {8, 8, 270, 81}},
    {"ProgramIcon", "Panel1", Dock::none, {8, 8, 65, 57}},
    {"ProductName", "Panel1", Dock::none, {88, 8, kNatural, kNatural}},
    {"Version", "Panel1", Dock::none, {88, 30, kNatural, kNatural}},
    {"OKButton", "AboutBox", Dock::none, {104, 96, 75, 25}},
};

}  // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString::fromUtf8(app::msg::kAboutCaption));
    setFont(widgets::gothicFont(12));
    setFixedSize(286, 129);
    setModal(true);
    const QFont f16 = widgets::gothicFont(16);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setAutoFillBackground(true);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(QPixmap::fromImage(artwork::aboutPicture()));

    ProductName = new QLabel(QString::fromUtf8(app::msg::kProductName), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setFont(f16);

    Version = new QLabel(QString::fromUtf8(app::msg::kVersion), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setFont(f16);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setFont(f16);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    widgets::applyLayout(this, kLayout);
}

void TAboutBox::keyPressEvent(QKeyEvent* e)
{
    // There is no cancel button, so Esc does nothing.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TAboutBox::showEvent(QShowEvent* e)
{
    // Centred on the screen.
    if (const QScreen* s = screen()) {
        const QRect a = s->geometry();
        move(a.x() + (a.width() - frameGeometry().width()) / 2,
             a.y() + (a.height() - frameGeometry().height()) / 2);
    }
    QDialog::showEvent(e);
}
