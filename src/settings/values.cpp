#include "settings/values.h"

namespace settings {

Values& values()
{
    static Values v;
    return v;
}

void resetValues() { values() = Values{}; }

}  // namespace settings
