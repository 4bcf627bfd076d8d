// The user's locale collation through Qt, for the current-names list.
#pragma once

#include "rename/collation.h"

#include <QLocale>

namespace renaming {

// Case-insensitive collation of `locale` (the user's locale by default).
std::shared_ptr<const Collation> qtCollation(const QLocale& locale = QLocale());

}  // namespace renaming
