#include "rename/plan.h"

#include "platform/fs.h"

#include <bit>
#include <cstdlib>
#include <functional>
#include <new>
#include <string_view>

namespace renaming {

namespace {

// What the list-order loop keeps of each entry it decided.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    virtual void put(size_t i, Outcome o, int because, std::string&& newName) = 0;
    // The new name entry `e` was given: kept, or made again into `scratch`.
    virtual std::string_view newName(int e, std::string& scratch) const = 0;
};

// The folder as the planned steps before the current one will have left it:
// names made or removed by earlier entries, over the folder as it is now.
// Those names are compared as the folder's file system compares them, or a
// name made by one entry would look free to a later one that differs only
// in case, where the run finds it taken.
//
// A plan of a million moves changes two million names: they are kept in one
// open table that refers to each name by its entry (an old name is the
// list's, a new one the sink's), 12 bytes a slot, not a node and a copy each.
class PlannedFolder : public FolderView {
public:
    PlannedFolder(const FolderView& now, const std::vector<std::string>& entries, const EntrySink& sink)
        : now_(now), entries_(entries), sink_(sink)
    {
    }
    ~PlannedFolder() override { std::free(slots_); }
    PlannedFolder(const PlannedFolder&) = delete;
    PlannedFolder& operator=(const PlannedFolder&) = delete;

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
    // Entry `at` makes its new name or removes its old one, `name`; at
    // most `namesLeft` names change from here on.
    void set(int at, bool isNew, std::string_view name, NameState st, size_t namesLeft)
    {
        // Asked only once a name changes: a plan that changes nothing
        // never has the folder probed. Sized then for every name that may
        // still change, so that the table is never copied as it grows.
        if (!slots_) {
            folds_ = now_.foldsCase();
            allocate(std::bit_ceil(std::max<size_t>(namesLeft * 4 / 3 + 1, 1024)));
        }
        if ((used_ + 1) * 4 > size_ * 3)
            grow();
        const std::string_view k = key(name);
        const uint32_t h = hashOf(k);
        Slot* s = place(k, h);
        if (!s->ref) {
            s->ref = static_cast<uint32_t>(at) << 1 | (isNew ? 1u : 0u);
            s->ref += 2;  // 0 is a free slot
            s->hash = h;
            ++used_;
        }
        s->value = static_cast<uint32_t>(at) << 2 | static_cast<uint32_t>(st);
    }

private:
    struct Slot {
        uint32_t hash;
        uint32_t value;  // the entry << 2 | the state
        uint32_t ref;    // 0 for a free slot, else 2 + (the entry << 1 | whether its new name)
        NameState state() const { return static_cast<NameState>(value & 3); }
        int by() const { return static_cast<int>(value >> 2); }
    };
    static uint32_t hashOf(std::string_view k) { return static_cast<uint32_t>(std::hash<std::string_view>{}(k)); }
    std::string_view nameOf(int e, bool isNew, std::string& scratch) const
    {
        return isNew ? sink_.newName(e, scratch) : std::string_view(entries_[static_cast<size_t>(e)]);
    }
    // The name as compared: folded where the folder folds case.
    std::string_view key(std::string_view name) const
    {
        if (!folds_)
            return name;
        foldedKey_ = platform::caseFolded(std::string(name));
        return foldedKey_;
    }
    bool holds(const Slot& s, std::string_view k) const
    {
        const uint32_t ref = s.ref - 2;
        std::string scratch;
        const std::string_view n = nameOf(static_cast<int>(ref >> 1), (ref & 1) != 0, scratch);
        return folds_ ? platform::caseFolded(std::string(n)) == k : n == k;
    }
    // The slot of `k`, or the free one where it would go.
    Slot* place(std::string_view k, uint32_t h) const
    {
        const size_t mask = size_ - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& s = slots_[i];
            if (!s.ref || (s.hash == h && holds(s, k)))
                return &s;
        }
    }
    const Slot* find(const std::string& name) const
    {
        if (!slots_)
            return nullptr;
        const std::string_view k = key(name);
        const Slot* s = place(k, hashOf(k));
        return s->ref ? s : nullptr;
    }
    // Zeroed pages from the system: the table costs only what it touches.
    static Slot* zeroed(size_t n)
    {
        auto* p = static_cast<Slot*>(std::calloc(n, sizeof(Slot)));
        if (!p)
            throw std::bad_alloc();
        return p;
    }
    void allocate(size_t n)
    {
        slots_ = zeroed(n);
        size_ = n;
    }
    void grow()
    {
        Slot* fresh = zeroed(size_ * 2);
        Slot* old = slots_;
        const size_t oldSize = size_;
        slots_ = fresh;
        size_ *= 2;
        const size_t mask = size_ - 1;
        for (size_t k = 0; k < oldSize; ++k) {
            const Slot& s = old[k];
            if (!s.ref)
                continue;
            size_t i = s.hash & mask;
            while (slots_[i].ref)
                i = (i + 1) & mask;
            slots_[i] = s;
        }
        std::free(old);
    }
    const FolderView& now_;
    const std::vector<std::string>& entries_;
    const EntrySink& sink_;
    bool folds_ = false;
    Slot* slots_ = nullptr;  // a power of two of them, at most three quarters used
    size_t size_ = 0;
    size_t used_ = 0;
    mutable std::string foldedKey_;
};

// The entries of a plan in list order, each seeing the folder as the
// entries before it will have left it. False when a stop was asked.
bool planInListOrder(const std::vector<std::string>& entries, const LineAt& lineAt, const PlanRules& rules,
                     const FolderView& folder, PlanProgress& progress, EntrySink& sink,
                     std::vector<PlannedStep>& order, RunCounts& counts)
{
    PlannedFolder planned(folder, entries, sink);
    const size_t n = entries.size();
    for (size_t i = 0; i < n; ++i) {
        if (i % 1024 == 0) {
            if (progress.stop.load(std::memory_order_relaxed))
                return false;
            progress.steps.store(i, std::memory_order_release);
        }
        const int at = static_cast<int>(i);
        const std::string& oldName = entries[i];
        Decision d = decide(oldName, lineAt(i), rules, planned);
        Outcome outcome = d.outcome;
        const bool makes = outcome == Outcome::copied || outcome == Outcome::oldStays || outcome == Outcome::moved;
        int because = -1;
        const int by = d.newName.empty() ? -1 : planned.changedBy(d.newName);
        if (outcome == Outcome::taken && by >= 0 && planned.state(d.newName) != NameState::missing) {
            outcome = Outcome::takenByRun;
            because = by;
        } else if (makes && by >= 0) {
            because = by;  // the name was freed by an earlier entry
        }
        countInto(counts, outcome);
        order[i] = {at, PlannedStep::Kind::entry};
        const size_t left = 2 * (n - i);
        // The new name is entered while it is at hand, before the sink
        // keeps it (or lets it go, to make it again when asked).
        if (makes)
            planned.set(at, true, d.newName, NameState::regular, left);
        sink.put(i, outcome, because, std::move(d.newName));
        if (outcome == Outcome::moved)
            planned.set(at, false, oldName, NameState::missing, left);
    }
    return true;
}

int unpaired(int lineCount, size_t entries)
{
    return lineCount > static_cast<int>(entries) ? lineCount - static_cast<int>(entries) : 0;
}

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
    class Entries : public EntrySink {
    public:
        Entries(Plan& p, const std::vector<std::string>& e) : plan_(p), entries_(e) {}
        void put(size_t i, Outcome o, int because, std::string&& newName) override
        {
            plan_.entries[i] = {entries_[i], std::move(newName), o, because};
        }
        std::string_view newName(int e, std::string&) const override
        {
            return plan_.entries[static_cast<size_t>(e)].newName;
        }

    private:
        Plan& plan_;
        const std::vector<std::string>& entries_;
    } sink(plan, entries);
    // Sized before the first entry is decided: a reader of the steps made
    // so far never sees them move.
    plan.entries.resize(entries.size());
    plan.order.resize(entries.size());
    const LineAt lineAt = [&lines](size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    if (!planInListOrder(entries, lineAt, rules, folder, progress, sink, plan.order, plan.counts))
        return;
    plan.unpairedLines = unpaired(lineCount, entries.size());
    progress.steps.store(entries.size(), std::memory_order_release);
    progress.done.store(true, std::memory_order_release);
}

PlanRows rowsOf(const Plan& plan)
{
    PlanRows rows;
    const size_t n = plan.entries.size();
    rows.outcomes.resize(n);
    rows.because.resize(n);
    for (size_t i = 0; i < n; ++i) {
        rows.outcomes[i] = static_cast<std::uint8_t>(plan.entries[i].outcome);
        rows.because[i] = plan.entries[i].because;
    }
    rows.order = plan.order;
    rows.counts = plan.counts;
    rows.unpairedLines = plan.unpairedLines;
    return rows;
}

std::string plannedNewName(const std::string& oldName, const std::string& line, Outcome o, const PlanRules& rules)
{
    if (o == Outcome::badLine || o == Outcome::noName)
        return {};
    return makeNewFileName(oldName, line, rules.rule, rules.cp);
}

void makePlanRows(PlanRows& rows, const std::vector<std::string>& entries, const LineAt& lines, int lineCount,
                  const PlanRules& rules, const FolderView& folder, PlanProgress& progress)
{
    const size_t n = entries.size();
    if (rules.swaps()) {
        std::vector<std::string> given;
        given.reserve(n);
        for (size_t i = 0; i < n; ++i)
            given.push_back(lines(i));
        rows = rowsOf(makeSwapPlan(entries, given, lineCount, rules, folder));
        progress.steps.store(rows.order.size(), std::memory_order_release);
        progress.done.store(true, std::memory_order_release);
        return;
    }
    class Rows : public EntrySink {
    public:
        Rows(PlanRows& r, const std::vector<std::string>& e, const LineAt& l, const PlanRules& rules)
            : rows_(r), entries_(e), lines_(l), rules_(rules)
        {
        }
        void put(size_t i, Outcome o, int because, std::string&&) override
        {
            rows_.outcomes[i] = static_cast<std::uint8_t>(o);
            rows_.because[i] = because;
        }
        std::string_view newName(int e, std::string& scratch) const override
        {
            const size_t i = static_cast<size_t>(e);
            scratch = plannedNewName(entries_[i], lines_(i), rows_.outcome(e), rules_);
            return scratch;
        }

    private:
        PlanRows& rows_;
        const std::vector<std::string>& entries_;
        const LineAt& lines_;
        const PlanRules& rules_;
    } sink(rows, entries, lines, rules);
    rows.outcomes.resize(n);
    rows.because.resize(n, -1);
    rows.order.resize(n);
    if (!planInListOrder(entries, lines, rules, folder, progress, sink, rows.order, rows.counts))
        return;
    rows.unpairedLines = unpaired(lineCount, n);
    progress.steps.store(n, std::memory_order_release);
    progress.done.store(true, std::memory_order_release);
}

}  // namespace renaming
