#include "rename/linestore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace renaming {

namespace {

// Room a buffer keeps beyond what it holds, so that the edits that follow a
// growth do not grow it again at once.
template <class N>
N roomFor(N need)
{
    return need + need / 4 + 1024;
}

}  // namespace

LineStore::~LineStore()
{
    std::free(buf_);
    std::free(br_);
}

int LineStore::lineAt(Pos pos) const
{
    // The number of breaks before `pos`.
    int lo = 0, hi = breakCount();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (breakAt(mid) < pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void LineStore::copy(Pos from, Pos to, char16_t* out) const
{
    if (from < gap_) {
        const Pos n = std::min(to, gap_) - from;
        std::memcpy(out, buf_ + from, static_cast<size_t>(n) * sizeof(char16_t));
        out += n;
        from += n;
    }
    if (from < to)
        std::memcpy(out, buf_ + from + (gapEnd_ - gap_), static_cast<size_t>(to - from) * sizeof(char16_t));
}

std::u16string LineStore::text(Pos from, Pos to) const
{
    std::u16string s(static_cast<size_t>(to - from), u'\0');
    copy(from, to, s.data());
    return s;
}

std::u16string_view LineStore::view(Pos from, Pos to)
{
    if (from < gap_ && to > gap_)
        moveGap(to);
    const Pos at = from < gap_ ? from : from + (gapEnd_ - gap_);
    return {buf_ + at, static_cast<size_t>(to - from)};
}

void LineStore::moveGap(Pos to)
{
    const Pos gapLen = gapEnd_ - gap_;
    if (to < gap_)
        std::memmove(buf_ + to + gapLen, buf_ + to, static_cast<size_t>(gap_ - to) * sizeof(char16_t));
    else if (to > gap_)
        std::memmove(buf_ + gap_, buf_ + gapEnd_, static_cast<size_t>(to - gap_) * sizeof(char16_t));
    gap_ = to;
    gapEnd_ = to + gapLen;
}

void LineStore::moveBreakGap(std::int64_t k)
{
    while (bgap_ > k) {
        --bgap_;
        br_[--bgapEnd_] = static_cast<std::uint32_t>(size_ - br_[bgap_]);
    }
    while (bgap_ < k) {
        br_[bgap_++] = static_cast<std::uint32_t>(size_ - br_[bgapEnd_++]);
    }
}

bool LineStore::growText(Pos need)
{
    // Reallocation keeps a large buffer's pages where they are (the system
    // remaps them), so the text is never held twice while it grows.
    const Pos cap = roomFor(need);
    auto* buf = static_cast<char16_t*>(std::realloc(buf_, static_cast<size_t>(cap) * sizeof(char16_t)));
    if (!buf)
        return false;
    const Pos tail = cap_ - gapEnd_;
    std::memmove(buf + cap - tail, buf + gapEnd_, static_cast<size_t>(tail) * sizeof(char16_t));
    buf_ = buf;
    gapEnd_ = cap - tail;
    cap_ = cap;
    return true;
}

bool LineStore::growBreaks(std::int64_t need)
{
    const std::int64_t cap = roomFor(need);
    auto* br = static_cast<std::uint32_t*>(std::realloc(br_, static_cast<size_t>(cap) * sizeof(std::uint32_t)));
    if (!br)
        return false;
    const std::int64_t tail = bcap_ - bgapEnd_;
    std::memmove(br + cap - tail, br + bgapEnd_, static_cast<size_t>(tail) * sizeof(std::uint32_t));
    br_ = br;
    bgapEnd_ = cap - tail;
    bcap_ = cap;
    return true;
}

bool LineStore::reserve(Pos units)
{
    if (units <= cap_)
        return true;
    return units <= kMaxSize && growText(units);
}

bool LineStore::replace(Pos from, Pos to, std::u16string_view text)
{
    const Pos n = static_cast<Pos>(text.size());
    const Pos newSize = size_ - (to - from) + n;
    if (newSize > kMaxSize)
        return false;
    std::int64_t added = 0;
    for (const char16_t c : text)
        added += c == u'\n';
    const int first = lineAt(from), last = lineAt(to);
    const std::int64_t breaks = breakCount() - (last - first) + added;
    if (newSize > cap_ && !growText(newSize))
        return false;
    if (breaks > bcap_ && !growBreaks(breaks))
        return false;

    // The breaks of the old text go, those after it stay as they are.
    moveBreakGap(first);
    bgapEnd_ += last - first;
    moveGap(from);
    gapEnd_ += to - from;
    if (n > 0)  // an empty view may have no data at all
        std::memcpy(buf_ + gap_, text.data(), static_cast<size_t>(n) * sizeof(char16_t));
    gap_ += n;
    size_ = newSize;
    for (Pos i = 0; i < n; ++i)
        if (text[static_cast<size_t>(i)] == u'\n')
            br_[bgap_++] = static_cast<std::uint32_t>(from + i);
    return true;
}

void LineStore::trim()
{
    if (cap_ > roomFor(size_) * 2) {
        moveGap(size_);
        const Pos cap = roomFor(size_);
        if (auto* buf = static_cast<char16_t*>(std::realloc(buf_, static_cast<size_t>(cap) * sizeof(char16_t)))) {
            buf_ = buf;
            cap_ = gapEnd_ = cap;
        }
    }
    const std::int64_t breaks = breakCount();
    if (bcap_ > roomFor(breaks) * 2) {
        moveBreakGap(breaks);
        const std::int64_t cap = roomFor(breaks);
        if (auto* br = static_cast<std::uint32_t*>(std::realloc(br_, static_cast<size_t>(cap) * sizeof(std::uint32_t)))) {
            br_ = br;
            bcap_ = bgapEnd_ = cap;
        }
    }
}

LineSnapshot LineStore::snapshot(int lines) const
{
    LineSnapshot s;
    lines = std::max(0, std::min(lines, lineCount()));
    if (lines == 0)
        return s;
    // The text up to the last line's end, and a break after it as after
    // every other line.
    const Pos end = lineEnd(lines - 1);
    s.text_.resize(static_cast<size_t>(end) + 1);
    copy(0, end, s.text_.data());
    s.text_[static_cast<size_t>(end)] = u'\n';
    s.starts_.resize(static_cast<size_t>(lines) + 1);
    for (int k = 0; k < lines; ++k)
        s.starts_[static_cast<size_t>(k)] = static_cast<std::uint32_t>(lineStart(k));
    s.starts_[static_cast<size_t>(lines)] = static_cast<std::uint32_t>(end + 1);
    return s;
}

LineStore::Longest LineStore::longest() const
{
    Longest best;
    Pos start = 0;
    const int breaks = breakCount();
    for (int k = 0; k <= breaks; ++k) {
        const Pos end = k < breaks ? breakAt(k) : size_;
        if (end - start > best.length)
            best = {k, end - start};
        start = end + 1;
    }
    return best;
}

}  // namespace renaming
