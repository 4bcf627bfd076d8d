#include "rename/plan.h"

#include "platform/fs.h"

#include <unordered_map>

namespace renaming {

namespace {

// The folder as the planned steps before the current one will have left it:
// names made or removed by earlier entries, over the folder as it is now.
// Those names are compared as the folder's file system compares them, or a
// name made by one entry would look free to a later one that differs only
// in case, where the run finds it taken.
class PlannedFolder : public FolderView {
public:
    explicit PlannedFolder(const FolderView& now) : now_(now) {}

    NameState state(const std::string& name) const override
    {
        if (changed_.empty())
            return now_.state(name);
        const auto it = changed_.find(key(name));
        return it == changed_.end() ? now_.state(name) : it->second.state;
    }
    bool readOnly(const std::string& name) const override
    {
        // Only names the folder has now are asked about: a run never makes
        // a read-only file under an entry's name before that entry's turn.
        return now_.readOnly(name);
    }
    size_t nameMax() const override { return now_.nameMax(); }
    bool foldsCase() const override { return now_.foldsCase(); }
    // The entry that last made or removed `name`, or -1.
    int changedBy(const std::string& name) const
    {
        if (changed_.empty())
            return -1;
        const auto it = changed_.find(key(name));
        return it == changed_.end() ? -1 : it->second.by;
    }
    void set(const std::string& name, NameState s, int by)
    {
        // Asked only once a name changes: a plan that changes nothing
        // never has the folder probed.
        if (changed_.empty())
            folds_ = now_.foldsCase();
        changed_[key(name)] = {s, by};
    }

private:
    std::string key(const std::string& name) const
    {
        return folds_ ? platform::caseFolded(name) : name;
    }
    struct Change {
        NameState state;
        int by;
    };
    const FolderView& now_;
    bool folds_ = false;
    std::unordered_map<std::string, Change> changed_;
};

}  // namespace

Decision decide(const std::string& oldName, const std::string& line, const PlanRules& rules,
                const FolderView& folder)
{
    if (!checkFileName(line, rules.cp))
        return {Outcome::badLine, {}};
    std::string newName = makeNewFileName(oldName, line, rules.rule, rules.cp);
    if (newName.empty())
        return {Outcome::noName, {}};
    auto with = [&](Outcome o) { return Decision{o, std::move(newName)}; };
    if (newName[0] == '.')
        return with(Outcome::hiddenName);
    // Every file system takes names of up to 14 bytes; only a longer one
    // has the folder asked.
    if ((newName.size() > 14 && newName.size() > folder.nameMax()) || newName.find('\0') != std::string::npos)
        return with(Outcome::unacceptable);
    switch (folder.state(oldName)) {
    case NameState::missing:
        return with(Outcome::oldGone);
    case NameState::other:
        return with(Outcome::oldNotFile);
    case NameState::regular:
        break;
    }
    if (folder.newNameState(newName) != NameState::missing)
        return with(Outcome::taken);
    if (!rules.deleteOld)
        return with(Outcome::copied);
    return with(folder.readOnly(oldName) ? Outcome::oldStays : Outcome::moved);
}

Decision decideName(const std::string& oldName, const std::string& line, const PlanRules& rules,
                    size_t nameMax)
{
    class NothingInTheWay : public FolderView {
    public:
        explicit NothingInTheWay(size_t max) : max_(max) {}
        NameState state(const std::string&) const override { return NameState::regular; }
        NameState newNameState(const std::string&) const override { return NameState::missing; }
        bool readOnly(const std::string&) const override { return false; }
        size_t nameMax() const override { return max_; }

    private:
        size_t max_;
    };
    return decide(oldName, line, rules, NothingInTheWay(nameMax));
}

Plan makePlan(const std::vector<std::string>& entries, const std::vector<std::string>& lines,
              int lineCount, const PlanRules& rules, const FolderView& folder)
{
    if (rules.swaps())
        return makeSwapPlan(entries, lines, lineCount, rules, folder);
    Plan plan;
    plan.entries.reserve(entries.size());
    PlannedFolder planned(folder);
    const std::string noLine;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int at = static_cast<int>(i);
        const std::string& oldName = entries[i];
        Decision d = decide(oldName, i < lines.size() ? lines[i] : noLine, rules, planned);
        PlannedEntry e{oldName, std::move(d.newName), d.outcome, -1};
        const int by = e.newName.empty() ? -1 : planned.changedBy(e.newName);
        if (e.outcome == Outcome::taken && by >= 0 &&
            planned.state(e.newName) != NameState::missing) {
            e.outcome = Outcome::takenByRun;
            e.because = by;
        } else if ((e.outcome == Outcome::copied || e.outcome == Outcome::moved ||
                    e.outcome == Outcome::oldStays) &&
                   by >= 0) {
            e.because = by;  // the name was freed by an earlier entry
        }
        switch (e.outcome) {
        case Outcome::copied:
        case Outcome::oldStays:
            planned.set(e.newName, NameState::regular, at);
            break;
        case Outcome::moved:
            planned.set(e.newName, NameState::regular, at);
            planned.set(oldName, NameState::missing, at);
            break;
        default:
            break;
        }
        countInto(plan.counts, e.outcome);
        plan.entries.push_back(std::move(e));
        plan.order.push_back({at, PlannedStep::Kind::entry});
    }
    plan.unpairedLines = lineCount > static_cast<int>(entries.size())
                             ? lineCount - static_cast<int>(entries.size())
                             : 0;
    return plan;
}

}  // namespace renaming
