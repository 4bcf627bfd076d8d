#include "filedialog/unitstate.h"

namespace nx {

UnitState& unit()
{
    static UnitState state;
    return state;
}

void unitInitialize() { --unit().initCounter; }

void unitFinalize()
{
    if (++unit().initCounter == 0)
        unit().SearchText.clear();
}

namespace {
// The unit starts with the program and ends with it.
struct UnitLifetime {
    UnitLifetime() { unitInitialize(); }
    ~UnitLifetime() { unitFinalize(); }
} lifetime;
}  // namespace

}  // namespace nx
