// The plan of a run that swaps names: which moves can all happen, and in
// which order. A new name is free for an entry when nothing holds it, or
// when the file that holds it is an entry's that moves away itself; the
// first entry in list order that asks for a name gets it, as in a run in
// list order. The moves then form chains (a to b while b goes to a free c),
// made from their free end, and cycles (a and b swapped, or a name that
// only changes case where the file system folds case), whose first file
// goes to a temporary name, so that the others can follow and it can take
// the name the last one freed.
#include "platform/fs.h"
#include "rename/namemap.h"
#include "rename/plan.h"

#include <string_view>

namespace renaming {

namespace {

// The folder as a swap sees it: an entry's old name that holds its file
// now may be freed by the entry's move, so it is no obstacle to a new name
// yet; whether it is freed is for the plan to work out.
// The entries' own names are asked from one look at each, made beforehand.
class SwapView : public FolderView {
public:
    SwapView(const FolderView& now, const NameMap& owners, bool folds)
        : now_(now), owners_(owners), folds_(folds)
    {
    }
    // What the next decision is to be told of its entry's name.
    void entry(const std::string* name, NameState s, bool ro)
    {
        entry_ = name;
        state_ = s;
        readOnly_ = ro;
    }
    NameState state(const std::string& name) const override
    {
        return entry_ && name == *entry_ ? state_ : now_.state(name);
    }
    NameState newNameState(const std::string& name) const override
    {
        if (owners_.find(folds_ ? std::string_view(folded_ = platform::caseFolded(name)) : std::string_view(name)) >= 0)
            return NameState::missing;
        return now_.newNameState(name);
    }
    bool readOnly(const std::string& name) const override
    {
        return entry_ && name == *entry_ ? readOnly_ : now_.readOnly(name);
    }
    size_t nameMax() const override { return now_.nameMax(); }
    bool foldsCase() const override { return now_.foldsCase(); }

private:
    const FolderView& now_;
    const std::string* entry_ = nullptr;
    NameState state_ = NameState::missing;
    bool readOnly_ = false;
    const NameMap& owners_;
    bool folds_;
    mutable std::string folded_;
};

// Entries' names as the folder compares them: folded where it folds case,
// kept here by entry, so that a map can find an entry's name from its
// number.
class Keys {
public:
    Keys(bool folds, size_t n) : folds_(folds), kept_(folds ? n : 0) {}
    // Entry `i`'s name `name`, folded now where the folder folds.
    std::string_view of(int i, const std::string& name)
    {
        if (!folds_)
            return name;
        return kept_[static_cast<size_t>(i)] = platform::caseFolded(name);
    }
    // Entry `i`'s name `name` as of() made it.
    std::string_view at(int i, const std::string& name) const
    {
        return folds_ ? std::string_view(kept_[static_cast<size_t>(i)]) : std::string_view(name);
    }

private:
    bool folds_;
    std::vector<std::string> kept_;
};

enum class Fate { unknown, moves, stays };

}  // namespace

Plan makeSwapPlan(const std::vector<std::string>& entries, const std::vector<std::string>& lines,
                  int lineCount, const PlanRules& rules, const FolderView& folder)
{
    const int n = static_cast<int>(entries.size());
    const bool folds = folder.foldsCase();
    Keys oldKeys(folds, entries.size()), newKeys(folds, entries.size());
    Plan plan;
    plan.entries.reserve(entries.size());
    plan.order.reserve(entries.size());

    // The entries whose file is under its old name now.
    NameMap owners(entries.size(), [&](int i) { return oldKeys.at(i, entries[static_cast<size_t>(i)]); });
    std::vector<NameState> states(entries.size());
    std::vector<char> readOnly(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        bool ro = false;
        states[i] = folder.look(entries[i], ro);
        readOnly[i] = ro;
        if (states[i] == NameState::regular)
            owners.emplace(oldKeys.of(static_cast<int>(i), entries[i]), static_cast<int>(i));
    }

    // Each entry decided with the names of moving entries free; the first
    // in list order to ask for a name claims it.
    SwapView view(folder, owners, folds);
    const std::string noLine;
    NameMap claims(entries.size(),
                   [&](int i) { return newKeys.at(i, plan.entries[static_cast<size_t>(i)].newName); });
    std::vector<int> holders(entries.size(), -1);
    std::vector<int> claimedBy(entries.size(), -1);  // for one that asked too late
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<size_t>(i);
        view.entry(&entries[at], states[at], readOnly[at] != 0);
        Decision d = decide(entries[at], at < lines.size() ? lines[at] : noLine, rules, view);
        // A name kept as it is changes nothing: taken, as in any run.
        if (d.newName == entries[at] && (d.outcome == Outcome::moved || d.outcome == Outcome::oldStays))
            d.outcome = Outcome::taken;
        plan.entries.push_back({entries[at], std::move(d.newName), d.outcome, -1});
        const PlannedEntry& e = plan.entries.back();  // reserved: never moves
        if (e.outcome == Outcome::moved || e.outcome == Outcome::oldStays) {
            const std::string_view k = newKeys.of(i, e.newName);
            if (const int first = claims.emplace(k, i); first != i)
                claimedBy[at] = first;
            holders[at] = owners.find(k);
        }
    }
    auto asks = [&](int i) {
        const Outcome o = plan.entries[static_cast<size_t>(i)].outcome;
        return (o == Outcome::moved || o == Outcome::oldStays) && claimedBy[static_cast<size_t>(i)] < 0;
    };
    // The entry whose file holds the name `i` asks for: -1 when none does.
    auto holder = [&](int i) { return holders[static_cast<size_t>(i)]; };

    // Whether each claim is met: a name held by no file is; one held by an
    // entry's file is met when that entry moves away, which in turn needs
    // its own name met. A walk that comes back to where it began is a cycle,
    // and all of it moves.
    std::vector<Fate> fate(entries.size(), Fate::unknown);
    std::vector<int> path;
    for (int start = 0; start < n; ++start) {
        if (!asks(start) || fate[static_cast<size_t>(start)] != Fate::unknown)
            continue;
        path.assign(1, start);
        Fate end = Fate::unknown;
        for (int cur = start; end == Fate::unknown;) {
            if (path.size() > entries.size()) {
                end = Fate::stays;  // cannot be: each name has one claim
                break;
            }
            const int h = holder(cur);
            if (h < 0) {
                end = Fate::moves;  // a free name
            } else if (!asks(h) || plan.entries[static_cast<size_t>(h)].outcome != Outcome::moved) {
                end = Fate::stays;  // its file stays where it is
            } else if (h == start) {
                end = Fate::moves;  // back at the start: a cycle of moves
            } else if (fate[static_cast<size_t>(h)] != Fate::unknown) {
                end = fate[static_cast<size_t>(h)];
            } else {
                path.push_back(h);
                cur = h;
            }
        }
        for (int p : path)
            fate[static_cast<size_t>(p)] = end;
    }

    // Who asks, before those held up are told their name is taken.
    std::vector<char> asking(entries.size());
    for (int i = 0; i < n; ++i)
        asking[static_cast<size_t>(i)] = asks(i);
    for (int i = 0; i < n; ++i) {
        PlannedEntry& e = plan.entries[static_cast<size_t>(i)];
        const int claim = claimedBy[static_cast<size_t>(i)];
        if (claim >= 0) {
            const bool made = fate[static_cast<size_t>(claim)] == Fate::moves;
            e.outcome = made ? Outcome::takenByRun : Outcome::taken;
            e.because = made ? claim : -1;
        } else if (asks(i) && fate[static_cast<size_t>(i)] == Fate::stays) {
            e.outcome = Outcome::taken;
        } else if (asks(i)) {
            const int h = holder(i);
            e.because = h == i ? -1 : h;
        }
        countInto(plan.counts, e.outcome);
    }

    // The order: list order, but a step waits for the one that decides
    // whether its name is freed, which goes first with all it waits for in
    // turn. Whether a file is read-only does not move a step: it makes the
    // file's move a copy, and fails the steps that wait for its name after
    // it, where they stand.
    std::vector<char> placed(entries.size(), 0);
    for (int start = 0; start < n; ++start) {
        if (placed[static_cast<size_t>(start)])
            continue;
        if (!asking[static_cast<size_t>(start)]) {
            plan.order.push_back({start, PlannedStep::Kind::entry});
            placed[static_cast<size_t>(start)] = 1;
            continue;
        }
        path.assign(1, start);
        bool cycle = false;
        for (int cur = start;;) {
            const int h = holder(cur);
            if (h == start) {
                cycle = true;
                break;
            }
            if (h < 0 || placed[static_cast<size_t>(h)] || !asking[static_cast<size_t>(h)])
                break;
            path.push_back(h);
            cur = h;
        }
        for (int p : path)
            placed[static_cast<size_t>(p)] = 1;
        // A cycle that moves goes through its first file's temporary name;
        // one held up fails whole, its first file last as well.
        const bool temporary = cycle && fate[static_cast<size_t>(start)] == Fate::moves;
        if (temporary)
            plan.order.push_back({start, PlannedStep::Kind::toTemporary});
        for (size_t k = path.size(); k-- > (cycle ? 1 : 0);)
            plan.order.push_back({path[k], PlannedStep::Kind::entry});
        if (cycle)
            plan.order.push_back({start, temporary ? PlannedStep::Kind::fromTemporary : PlannedStep::Kind::entry});
    }
    plan.unpairedLines = lineCount > n ? lineCount - n : 0;
    return plan;
}

}  // namespace renaming
