#include "rename/journal.h"

#include "platform/hexdigit.h"

#include <charconv>
#include <cstring>
#include <unordered_map>

namespace renaming {

bool sameRecord(const platform::FileId& a, const platform::FileId& b)
{
    return a.size == b.size && a.mtimeNs == b.mtimeNs && a.inode == b.inode;
}

namespace {

constexpr std::string_view kMagic = "TSUMUGI-JOURNAL 1";

const char* opWord(JournalOp op)
{
    switch (op) {
    case JournalOp::move:
        return "move";
    case JournalOp::copy:
        return "copy";
    case JournalOp::remove:
        return "delete";
    }
    return "";
}

std::optional<JournalOp> opOf(std::string_view w)
{
    if (w == "move")
        return JournalOp::move;
    if (w == "copy")
        return JournalOp::copy;
    if (w == "delete")
        return JournalOp::remove;
    return std::nullopt;
}

template <class T>
void appendNumber(std::string& out, T n)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

// Writes `bytes` at `p` with "%XX" escapes, as a field of a record; returns
// where they end. Room for three times as many is enough.
char* escapeInto(char* p, std::string_view bytes)
{
    static const char* hex = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x21 || b == 0x7F || b == '%') {
            *p++ = '%';
            *p++ = hex[b >> 4];
            *p++ = hex[b & 15];
        } else {
            *p++ = c;
        }
    }
    return p;
}

// A record of an operation, written straight into the end of `out`, which
// is made long enough for it first and cut to it at the end: a run writes
// one or two of them for every file.
class OpRecord {
public:
    OpRecord(std::string& out, std::string_view kind, int entry, JournalOp op, size_t names)
        : out_(out), at_(out.size())
    {
        constexpr size_t kNumber = 24;
        out_.resize(at_ + 32 + 3 * names + 4 * kNumber);
        p_ = out_.data() + at_;
        text(kind).tab().number(entry).tab().text(opWord(op)).tab();
    }
    ~OpRecord()
    {
        *p_++ = '\n';
        out_.resize(static_cast<size_t>(p_ - out_.data()));
    }
    OpRecord(const OpRecord&) = delete;
    OpRecord& operator=(const OpRecord&) = delete;

    OpRecord& text(std::string_view s)
    {
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
        return *this;
    }
    OpRecord& tab()
    {
        *p_++ = '\t';
        return *this;
    }
    template <class T>
    OpRecord& number(T n)
    {
        p_ = std::to_chars(p_, p_ + 24, n).ptr;
        return *this;
    }
    OpRecord& escaped(std::string_view bytes)
    {
        p_ = escapeInto(p_, bytes);
        return *this;
    }
    OpRecord& stamp(const platform::FileId& s) { return number(s.size).tab().number(s.mtimeNs).tab().number(s.inode); }

private:
    std::string& out_;
    size_t at_;
    char* p_;
};


std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

template <class T>
bool number(std::string_view s, T& out)
{
    if (s.empty())
        return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool stampOf(const std::vector<std::string_view>& f, size_t at, platform::FileId& s)
{
    return f.size() >= at + 3 && number(f[at], s.size) && number(f[at + 1], s.mtimeNs) &&
           number(f[at + 2], s.inode);
}

void appendEscaped(std::string& out, std::string_view bytes)
{
    const size_t at = out.size();
    out.resize(at + 3 * bytes.size());
    out.resize(static_cast<size_t>(escapeInto(out.data() + at, bytes) - out.data()));
}

}  // namespace

std::string escapeField(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    appendEscaped(out, bytes);
    return out;
}

std::optional<std::string> unescapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        // Never written as they are: a line holding one (the zero bytes of
        // a record a kill or a power cut left half made) is no record.
        if (b < 0x21 || b == 0x7F)
            return std::nullopt;
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int hi = platform::hexDigitValue(text[i + 1]), lo = platform::hexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
    }
    return out;
}

namespace journal_text {

std::string header(const JournalFolder& folder, int64_t started, int entries, bool deleteOld)
{
    std::string out(kMagic);
    out += "\nfolder\t";
    appendEscaped(out, folder.path);
    out += '\t';
    appendNumber(out, folder.device);
    out += '\t';
    appendNumber(out, folder.inode);
    if (!folder.volume.empty()) {
        out += '\t';
        appendEscaped(out, folder.volume);
    }
    out += "\nstart\t";
    appendNumber(out, started);
    out += '\t';
    appendNumber(out, entries);
    out += deleteOld ? "\t1\n" : "\t0\n";
    return out;
}

void appendIntent(std::string& out, int entry, JournalOp op, std::string_view from, std::string_view to,
                  const platform::FileId& before)
{
    OpRecord(out, "intent", entry, op, from.size() + to.size()).escaped(from).tab().escaped(to).tab().stamp(before);
}

void appendDone(std::string& out, int entry, JournalOp op, const platform::FileId& after)
{
    OpRecord(out, "done", entry, op, 0).stamp(after);
}

void appendFailed(std::string& out, int entry, JournalOp op, int err)
{
    OpRecord(out, "failed", entry, op, 0).number(err);
}

std::string intent(int entry, JournalOp op, const std::string& from, const std::string& to,
                   const platform::FileId& before)
{
    std::string out;
    appendIntent(out, entry, op, from, to, before);
    return out;
}

std::string done(int entry, JournalOp op, const platform::FileId& after)
{
    std::string out;
    appendDone(out, entry, op, after);
    return out;
}

std::string failed(int entry, JournalOp op, int err)
{
    std::string out;
    appendFailed(out, entry, op, err);
    return out;
}

std::string temporary(int entry, const std::string& name)
{
    std::string out = "temporary\t";
    appendNumber(out, entry);
    out += '\t';
    appendEscaped(out, name);
    out += '\n';
    return out;
}

std::string stopped(int notDone)
{
    std::string out = "stopped\t";
    appendNumber(out, notDone);
    out += '\n';
    return out;
}

std::string unrecorded(int from, int changed)
{
    std::string out = "unrecorded\t";
    appendNumber(out, from);
    if (changed >= 0) {
        out += '\t';
        appendNumber(out, changed);
    }
    out += '\n';
    return out;
}

std::string end() { return "end\n"; }
std::string undone() { return "undone\n"; }
std::string superseded() { return "superseded\n"; }

}  // namespace journal_text

std::optional<Journal> parseJournal(std::string_view text)
{
    Journal j;
    bool haveFolder = false, haveStart = false;
    // Each entry's latest intent, which its next outcome answers.
    std::unordered_map<int, size_t> latest;
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        const size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos)
            break;  // cut short: never finished
        const std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (first) {
            if (line != kMagic)
                return std::nullopt;
            first = false;
            continue;
        }
        const auto f = fieldsOf(line);
        const std::string_view kind = f[0];
        if (kind == "folder" && (f.size() == 4 || f.size() == 5) && !haveFolder) {
            auto path = unescapeField(f[1]);
            auto volume = f.size() == 5 ? unescapeField(f[4]) : std::optional<std::string>("");
            if (!path || !volume || !number(f[2], j.folder.device) || !number(f[3], j.folder.inode))
                break;
            j.folder.path = std::move(*path);
            j.folder.volume = std::move(*volume);
            haveFolder = true;
        } else if (kind == "start" && f.size() == 4 && haveFolder && !haveStart) {
            if (!number(f[1], j.started) || !number(f[2], j.entries) ||
                (f[3] != "0" && f[3] != "1"))
                break;
            j.deleteOld = f[3] == "1";
            haveStart = true;
        } else if (kind == "intent" && f.size() == 8 && haveStart) {
            JournalStep s;
            const auto op = opOf(f[2]);
            auto from = unescapeField(f[3]);
            auto to = unescapeField(f[4]);
            if (!number(f[1], s.entry) || !op || !from || !to || !stampOf(f, 5, s.before))
                break;
            s.op = *op;
            s.from = std::move(*from);
            s.to = std::move(*to);
            latest[s.entry] = j.steps.size();
            j.steps.push_back(std::move(s));
        } else if ((kind == "done" && f.size() == 6) || (kind == "failed" && f.size() == 4)) {
            // It answers its entry's latest intent, which must be of the
            // same operation and not answered yet. Intents written ahead of
            // a batch of moves come before the first one's outcome.
            int entry = 0;
            const auto op = opOf(f[2]);
            if (!number(f[1], entry) || !op)
                break;
            const auto at = latest.find(entry);
            if (at == latest.end())
                break;
            JournalStep& step = j.steps[at->second];
            if (step.op != *op || step.after || step.failedErrno)
                break;
            if (kind == "done") {
                platform::FileId after;
                if (!stampOf(f, 3, after))
                    break;
                step.after = after;
            } else {
                int err = 0;
                if (!number(f[3], err) || err == 0)
                    break;
                step.failedErrno = err;
            }
        } else if (kind == "temporary" && f.size() == 3 && haveStart) {
            int entry = 0;
            auto name = unescapeField(f[2]);
            if (!number(f[1], entry) || !name || name->empty())
                break;
            j.temporaries.emplace_back(entry, std::move(*name));
        } else if (kind == "stopped" && f.size() == 2 && haveStart) {
            if (!number(f[1], j.notDone) || j.notDone <= 0)
                break;
        } else if (kind == "unrecorded" && (f.size() == 2 || f.size() == 3) && haveStart) {
            int from = 0, changed = -1;
            if (!number(f[1], from) || from < 0 || (f.size() == 3 && (!number(f[2], changed) || changed < 0)))
                break;
            j.unrecordedFrom = from;
            j.unrecordedChanged = changed;
        } else if (kind == "end" && f.size() == 1 && haveStart) {
            j.ended = true;
        } else if (kind == "undone" && f.size() == 1 && haveStart) {
            j.undone = true;
        } else if (kind == "superseded" && f.size() == 1 && haveStart) {
            j.superseded = true;
        } else {
            break;
        }
    }
    if (!haveFolder || !haveStart)
        return std::nullopt;
    return j;
}

}  // namespace renaming
