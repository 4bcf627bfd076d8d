// The rename run and the settings file (load at create, save at close).
#include "app/mainform.h"

void TMainForm::ButtonRenameClick() {}

void TMainForm::LoadSettings() {}

void TMainForm::SaveSettings() {}
