// Choosing the working folder, and the options dialog.
#include "app/mainform.h"

void TMainForm::ButtonDirClick() {}

void TMainForm::OptionCunfigMenuClick() {}
