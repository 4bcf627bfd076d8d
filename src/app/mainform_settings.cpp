// The settings file: loaded when the window is made, saved when it closes.
#include "app/mainform.h"

#include "platform/exepath.h"
#include "settings/settingsfile.h"
#include "settings/values.h"

#include <QAction>

void TMainForm::LoadSettings()
{
    // Missing bounds take the design-time ones.
    const settings::Loaded loaded =
        settings::load(platform::settingsPath(), settings::values());
    if (loaded.bounds) {
        const auto& b = *loaded.bounds;
        setOuterBounds(QRect(b.left, b.top, b.width, b.height));
    }
    setWindowState(loaded.maximised ? Qt::WindowMaximized : Qt::WindowNoState);
    OptionSwapMenu->setChecked(settings::values().SwapNames);
}

void TMainForm::SaveSettings()
{
    // A maximised window keeps the bounds of the last close in the normal
    // state; a window minimised from the normal state writes its bounds.
    std::optional<settings::Bounds> bounds;
    if (!(windowState() & Qt::WindowMaximized)) {
        const QRect r = outerBounds();
        bounds = settings::Bounds{r.x(), r.y(), r.width(), r.height()};
    }
    settings::save(platform::settingsPath(), settings::values(), bounds);
}
