// The memo's text: UTF-16 code units in one buffer with a gap where the
// last edit was, and the positions of its line breaks in an array with a gap
// of its own. A million lines of names cost their characters and four bytes
// a line, and an edit costs what it changes plus the distance from the last
// one, so typing anywhere in a long text moves nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace renaming {

// The first lines of a store as they were when it was taken, for another
// thread to read while the store goes on changing: their units in one
// piece and where each line starts, some 2 bytes a character and 4 a line.
class LineSnapshot {
public:
    size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    // Line i, without its break.
    std::u16string_view line(size_t i) const
    {
        return std::u16string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i] - 1);
    }

private:
    friend class LineStore;
    std::u16string text_;                // each line followed by its break
    std::vector<std::uint32_t> starts_;  // one more than the lines
};

class LineStore {
public:
    using Pos = std::int64_t;
    // Beyond this the positions of the toolkit's text interfaces (int) end.
    static constexpr Pos kMaxSize = (Pos{1} << 31) - 2;

    LineStore() = default;
    ~LineStore();
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    // Code units, one for each line break ('\n').
    Pos size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Lines, with the empty one after a final break: never fewer than one.
    int lineCount() const { return breakCount() + 1; }
    int breakCount() const { return static_cast<int>(bcap_ - (bgapEnd_ - bgap_)); }

    Pos lineStart(int line) const { return line <= 0 ? 0 : breakAt(line - 1) + 1; }
    // Where the line's break is, or the end of the text for the last line.
    Pos lineEnd(int line) const { return line < breakCount() ? breakAt(line) : size_; }
    Pos lineLength(int line) const { return lineEnd(line) - lineStart(line); }
    // The line `pos` is on; a break belongs to the line it ends.
    int lineAt(Pos pos) const;

    char16_t at(Pos pos) const { return buf_[pos < gap_ ? pos : pos + (gapEnd_ - gap_)]; }
    std::u16string text(Pos from, Pos to) const;
    void copy(Pos from, Pos to, char16_t* out) const;
    // The units of [from, to) in one piece: the gap moves out of the way
    // when it lies inside, so the view lasts until the next change.
    std::u16string_view view(Pos from, Pos to);

    // Puts `text`, whose only breaks are '\n', in place of [from, to).
    // False, and nothing changed, when the text would grow beyond kMaxSize
    // or memory runs out.
    bool replace(Pos from, Pos to, std::u16string_view text);
    // Room for a text of `units` in all, so that a long insertion grows the
    // buffer once.
    bool reserve(Pos units);
    // Gives back the room a shrunken text no longer needs.
    void trim();

    // Lines 0 to `lines` - 1 (fewer where there are fewer), copied.
    LineSnapshot snapshot(int lines) const;

    // The longest line in code units (the first of that length): a look at
    // every line, some milliseconds for a million.
    struct Longest {
        int line = 0;
        Pos length = 0;
    };
    Longest longest() const;

private:
    Pos breakAt(int k) const
    {
        return k < bgap_ ? Pos{br_[k]} : size_ - Pos{br_[k + (bgapEnd_ - bgap_)]};
    }
    void moveGap(Pos to);
    void moveBreakGap(std::int64_t k);
    bool growText(Pos need);
    bool growBreaks(std::int64_t need);

    // Text: [0, gap_) and [gapEnd_, cap_) of buf_.
    char16_t* buf_ = nullptr;
    Pos cap_ = 0, gap_ = 0, gapEnd_ = 0, size_ = 0;
    // Breaks before the gap hold their position; those after it their
    // distance from the end of the text, which an edit before them leaves
    // as it is.
    std::uint32_t* br_ = nullptr;
    std::int64_t bcap_ = 0, bgap_ = 0, bgapEnd_ = 0;
};

}  // namespace renaming
