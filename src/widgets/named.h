// A control is found by its name: every control of a form carries the name
// its design gives it.
#pragma once

#include <QString>

namespace widgets {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace widgets
