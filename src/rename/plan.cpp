#include "rename/plan.h"

#include "platform/fs.h"

#include <deque>
#include <functional>

namespace renaming {

namespace {

// The folder as the planned steps before the current one will have left it:
// names made or removed by earlier entries, over the folder as it is now.
// Those names are compared as the folder's file system compares them, or a
// name made by one entry would look free to a later one that differs only
// in case, where the run finds it taken.
//
// A plan of a million moves changes two million names: they are kept in one
// open table of pointers to the names themselves (which the caller keeps
// where they are), not a node and a copy each.
class PlannedFolder : public FolderView {
public:
    explicit PlannedFolder(const FolderView& now) : now_(now) {}

    NameState state(const std::string& name) const override
    {
        const Slot* s = find(name);
        return s ? s->state() : now_.state(name);
    }
    bool readOnly(const std::string& name) const override
    {
        // Only names the folder has now are asked about: a run never makes
        // a read-only file under an entry's name before that entry's turn.
        return now_.readOnly(name);
    }
    NameState look(const std::string& name, bool& isReadOnly) const override
    {
        if (const Slot* s = find(name)) {
            isReadOnly = s->state() == NameState::regular && now_.readOnly(name);
            return s->state();
        }
        return now_.look(name, isReadOnly);
    }
    size_t nameMax() const override { return now_.nameMax(); }
    bool foldsCase() const override { return now_.foldsCase(); }
    // The entry that last made or removed `name`, or -1.
    int changedBy(const std::string& name) const
    {
        const Slot* s = find(name);
        return s ? s->by() : -1;
    }
    // `name` stays where it is while this object lives.
    void set(const std::string& name, NameState st, int by)
    {
        // Asked only once a name changes: a plan that changes nothing
        // never has the folder probed.
        if (slots_.empty()) {
            folds_ = now_.foldsCase();
            slots_.resize(1024);
        }
        if ((used_ + 1) * 4 > slots_.size() * 3)
            grow();
        const std::string& k = key(name);
        const uint32_t h = hashOf(k);
        Slot* s = place(k, h);
        if (!s->name) {
            s->name = folds_ ? &folded_.emplace_back(k) : &name;
            s->hash = h;
            ++used_;
        }
        s->value = static_cast<uint32_t>(by) << 2 | static_cast<uint32_t>(st);
    }

private:
    struct Slot {
        const std::string* name = nullptr;  // as compared: folded where the folder folds case
        uint32_t hash = 0;
        uint32_t value = 0;  // the entry << 2 | the state
        NameState state() const { return static_cast<NameState>(value & 3); }
        int by() const { return static_cast<int>(value >> 2); }
    };
    static uint32_t hashOf(const std::string& k) { return static_cast<uint32_t>(std::hash<std::string>{}(k)); }
    // The slot of `k`, or the free one where it would go.
    Slot* place(const std::string& k, uint32_t h) const
    {
        const size_t mask = slots_.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& s = slots_[i];
            if (!s.name || (s.hash == h && *s.name == k))
                return &s;
        }
    }
    const Slot* find(const std::string& name) const
    {
        if (slots_.empty())
            return nullptr;
        if (!folds_) {
            const Slot* s = place(name, hashOf(name));
            return s->name ? s : nullptr;
        }
        const std::string k = platform::caseFolded(name);
        const Slot* s = place(k, hashOf(k));
        return s->name ? s : nullptr;
    }
    void grow()
    {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (const Slot& s : old) {
            if (!s.name)
                continue;
            size_t i = s.hash & mask;
            while (slots_[i].name)
                i = (i + 1) & mask;
            slots_[i] = s;
        }
    }
    const std::string& key(const std::string& name)
    {
        if (!folds_)
            return name;
        foldedKey_ = platform::caseFolded(name);
        return foldedKey_;
    }
    const FolderView& now_;
    bool folds_ = false;
    mutable std::vector<Slot> slots_;  // a power of two of them, at most three quarters used
    size_t used_ = 0;
    std::deque<std::string> folded_;  // the keys, where the folder folds case
    std::string foldedKey_;
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
    // Where the old file is to go, whether it may is known from the same
    // look as whether it is there.
    bool readOnly = false;
    switch (rules.deleteOld ? folder.look(oldName, readOnly) : folder.state(oldName)) {
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
    return with(readOnly ? Outcome::oldStays : Outcome::moved);
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
    Plan plan;
    PlanProgress progress;
    makePlanInto(plan, entries, lines, lineCount, rules, folder, progress);
    return plan;
}

void makePlanInto(Plan& plan, const std::vector<std::string>& entries, const std::vector<std::string>& lines,
                  int lineCount, const PlanRules& rules, const FolderView& folder, PlanProgress& progress)
{
    if (rules.swaps()) {
        Plan swapped = makeSwapPlan(entries, lines, lineCount, rules, folder);
        plan = std::move(swapped);
        progress.steps.store(plan.order.size(), std::memory_order_release);
        progress.done.store(true, std::memory_order_release);
        return;
    }
    // Sized before the first entry is decided: a reader of the steps made
    // so far never sees them move.
    plan.entries.resize(entries.size());
    plan.order.resize(entries.size());
    PlannedFolder planned(folder);
    const std::string noLine;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i % 1024 == 0) {
            if (progress.stop.load(std::memory_order_relaxed))
                return;
            progress.steps.store(i, std::memory_order_release);
        }
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
        // The names are kept where the plan keeps them.
        countInto(plan.counts, e.outcome);
        const PlannedEntry& kept = plan.entries[i] = std::move(e);
        plan.order[i] = {at, PlannedStep::Kind::entry};
        switch (kept.outcome) {
        case Outcome::copied:
        case Outcome::oldStays:
            planned.set(kept.newName, NameState::regular, at);
            break;
        case Outcome::moved:
            planned.set(kept.newName, NameState::regular, at);
            planned.set(oldName, NameState::missing, at);
            break;
        default:
            break;
        }
    }
    plan.unpairedLines = lineCount > static_cast<int>(entries.size())
                             ? lineCount - static_cast<int>(entries.size())
                             : 0;
    progress.steps.store(entries.size(), std::memory_order_release);
    progress.done.store(true, std::memory_order_release);
}

}  // namespace renaming
