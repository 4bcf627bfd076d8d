#include "rename/outcome.h"

#include "rename/messages.h"

#include <cstdio>

namespace renaming {

namespace {

std::string formatted(const char* format, int n)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

}  // namespace

Counted countedAs(Outcome o)
{
    switch (o) {
    case Outcome::noName:
        return Counted::ignored;
    case Outcome::copied:
    case Outcome::moved:
        return Counted::success;
    case Outcome::oldStays:
    case Outcome::notRemoved:
        return Counted::deleteFailed;
    case Outcome::badLine:
    case Outcome::hiddenName:
    case Outcome::unacceptable:
    case Outcome::oldGone:
    case Outcome::oldNotFile:
    case Outcome::taken:
    case Outcome::takenByRun:
    case Outcome::notMade:
        break;
    }
    return Counted::failed;
}

void countInto(RunCounts& c, Outcome o)
{
    switch (countedAs(o)) {
    case Counted::success:
        ++c.success;
        break;
    case Counted::failed:
        ++c.failed;
        break;
    case Counted::ignored:
        ++c.ignored;
        break;
    case Counted::deleteFailed:
        ++c.deleteFailed;
        break;
    }
}

const std::vector<RunStep>& stepsOf(Outcome o)
{
    static const std::vector<RunStep> none, failed{RunStep::createFailed}, made{RunStep::created},
        moved{RunStep::created, RunStep::deleted}, kept{RunStep::created, RunStep::deleteFailed};
    switch (o) {
    case Outcome::badLine:
    case Outcome::noName:
        return none;
    case Outcome::hiddenName:
    case Outcome::unacceptable:
    case Outcome::oldGone:
    case Outcome::oldNotFile:
    case Outcome::taken:
    case Outcome::takenByRun:
    case Outcome::notMade:
        return failed;
    case Outcome::copied:
        return made;
    case Outcome::moved:
        return moved;
    case Outcome::oldStays:
    case Outcome::notRemoved:
        return kept;
    }
    return none;
}

std::string outcomeWords(Outcome o, int because)
{
    switch (o) {
    case Outcome::copied:
    case Outcome::moved: {
        std::string s = o == Outcome::copied ? msg::kOutcomeCopied : msg::kOutcomeMoved;
        if (because >= 0)
            s += formatted(msg::kOutcomeFreed, because + 1);
        return s;
    }
    case Outcome::oldStays:
        return msg::kOutcomeOldStays;
    case Outcome::badLine:
        return msg::kOutcomeBadLine;
    case Outcome::noName:
        return msg::kOutcomeNoName;
    case Outcome::hiddenName:
        return msg::kOutcomeHidden;
    case Outcome::unacceptable:
        return msg::kOutcomeUnacceptable;
    case Outcome::oldGone:
        return msg::kOutcomeOldGone;
    case Outcome::oldNotFile:
        return msg::kOutcomeOldNotFile;
    case Outcome::taken:
        return msg::kOutcomeTaken;
    case Outcome::takenByRun:
        return formatted(msg::kOutcomeTakenByRun, because + 1);
    case Outcome::notMade:
        return msg::kOutcomeNotMade;
    case Outcome::notRemoved:
        return msg::kOutcomeNotRemoved;
    }
    return {};
}

bool refusesName(Outcome o) { return o == Outcome::hiddenName || o == Outcome::unacceptable; }

}  // namespace renaming
