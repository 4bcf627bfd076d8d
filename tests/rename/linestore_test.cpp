// The memo's text store against a plain string: after any run of edits it
// holds the same text, and finds the same lines in it.
#include "rename/linehistory.h"
#include "rename/linestore.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>

namespace {

using renaming::LineHistory;
using renaming::LineStore;
using Pos = LineStore::Pos;
using Kind = LineHistory::Kind;

std::u16string all(const LineStore& s) { return s.text(0, s.size()); }

// The lines of `text` as the memo shows them, found the slow way.
std::vector<std::u16string> linesOf(const std::u16string& text)
{
    std::vector<std::u16string> lines{{}};
    for (const char16_t c : text) {
        if (c == u'\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

void expectSame(const LineStore& s, const std::u16string& want)
{
    ASSERT_EQ(all(s), want);
    const auto lines = linesOf(want);
    ASSERT_EQ(s.lineCount(), static_cast<int>(lines.size()));
    Pos at = 0;
    size_t longest = 0;
    for (int i = 0; i < s.lineCount(); ++i) {
        ASSERT_EQ(s.lineStart(i), at) << i;
        ASSERT_EQ(s.text(s.lineStart(i), s.lineEnd(i)), lines[static_cast<size_t>(i)]) << i;
        // Every position of the line and its break is on that line.
        for (Pos p = at; p <= s.lineEnd(i); ++p)
            ASSERT_EQ(s.lineAt(p), i) << p;
        at = s.lineEnd(i) + 1;
        longest = std::max(longest, lines[static_cast<size_t>(i)].size());
    }
    EXPECT_EQ(s.longest().length, static_cast<Pos>(longest));
    // A snapshot of all lines but the last, wherever the gap is now.
    const int first = std::max(1, s.lineCount() - 1);
    const renaming::LineSnapshot snap = s.snapshot(first);
    ASSERT_EQ(snap.size(), static_cast<size_t>(first));
    for (size_t i = 0; i < snap.size(); ++i)
        ASSERT_EQ(std::u16string(snap.line(i)), lines[i]) << i;
}

// A run of edits: how long the texts put in are, how many of their
// characters are breaks, and how far apart the edits fall.
struct EditRun {
    const char* name;
    unsigned seed;
    int edits;
    int maxInsert;
    int breakOneIn;
    bool nearTheLast;
};

void PrintTo(const EditRun& r, std::ostream* os) { *os << r.name; }

class LineStoreEdits : public ::testing::TestWithParam<EditRun> {};

TEST_P(LineStoreEdits, KeepTheTextAndItsLines)
{
    const EditRun& run = GetParam();
    std::mt19937 random(run.seed);
    auto below = [&](Pos n) { return n <= 0 ? Pos{0} : static_cast<Pos>(random() % static_cast<unsigned>(n)); };
    LineStore store;
    std::u16string want;
    Pos last = 0;
    for (int e = 0; e < run.edits; ++e) {
        const Pos size = static_cast<Pos>(want.size());
        Pos from = run.nearTheLast ? std::clamp<Pos>(last + below(9) - 4, 0, size) : below(size + 1);
        const Pos to = std::min(size, from + below(run.maxInsert / 2 + 2));
        std::u16string text;
        for (Pos n = below(run.maxInsert + 1); n > 0; --n)
            text += below(run.breakOneIn) == 0 ? u'\n' : static_cast<char16_t>(u'a' + below(26));
        ASSERT_TRUE(store.replace(from, to, text));
        want.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), text);
        last = from + static_cast<Pos>(text.size());
        if (e % 50 == 0)
            expectSame(store, want);
    }
    expectSame(store, want);
    store.trim();
    expectSame(store, want);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineStoreEdits,
    ::testing::Values(EditRun{"TypingOneCharacterAtATime", 1, 2000, 1, 5, true},
                      EditRun{"ShortEditsAllOver", 2, 1000, 6, 3, false},
                      EditRun{"LongPastesFarApart", 3, 200, 400, 10, false},
                      EditRun{"OnlyBreaks", 4, 500, 4, 1, false},
                      EditRun{"NoBreaksAtAll", 5, 500, 8, 1 << 30, false}),
    [](const ::testing::TestParamInfo<EditRun>& info) { return std::string(info.param.name); });

TEST(LineStore, AViewAcrossTheLastEditIsInOnePiece)
{
    LineStore s;
    ASSERT_TRUE(s.replace(0, 0, u"one\ntwo\nthree"));
    ASSERT_TRUE(s.replace(4, 4, u"2"));  // the gap is now inside "two"
    EXPECT_EQ(s.view(0, s.size()), u"one\n2two\nthree");
    EXPECT_EQ(s.view(5, 9), u"two\n");
}

TEST(LineStore, AnEmptyTextIsOneEmptyLine)
{
    LineStore s;
    expectSame(s, u"");
    ASSERT_TRUE(s.replace(0, 0, u"\n"));
    expectSame(s, u"\n");
    ASSERT_TRUE(s.replace(0, 1, u""));
    expectSame(s, u"");
}

// Undo and redo as the user meets them: typing joins one step while it goes
// on where it stopped, and every step comes back whole.
struct HistoryFixture : ::testing::Test {
    void type(Kind kind, Pos from, Pos to, std::u16string text)
    {
        const LineHistory::Caret before{pos, pos};
        LineHistory::Change c{from, store.text(from, to), static_cast<Pos>(text.size())};
        ASSERT_TRUE(store.replace(from, to, text));
        pos = from + static_cast<Pos>(text.size());
        history.typed(kind, before, std::move(c), {pos, pos});
    }
    int undoAll()
    {
        int steps = 0;
        while (history.undo(store))
            ++steps;
        return steps;
    }
    LineStore store;
    LineHistory history;
    Pos pos = 0;
};

TEST_F(HistoryFixture, CharactersTypedInARowAreOneStep)
{
    for (const char16_t* c : {u"a", u"b", u"c"})
        type(Kind::typing, pos, pos, c);
    type(Kind::typing, 0, 0, u"X");  // somewhere else: a step of its own
    EXPECT_EQ(all(store), u"Xabc");
    EXPECT_EQ(undoAll(), 2);
    EXPECT_EQ(all(store), u"");
}

TEST_F(HistoryFixture, BackspacesInARowAreOneStepApartFromTheTyping)
{
    type(Kind::typing, 0, 0, u"abcd");
    type(Kind::deleting, 3, 4, u"");
    type(Kind::deleting, 2, 3, u"");
    EXPECT_EQ(all(store), u"ab");
    ASSERT_TRUE(history.undo(store));
    EXPECT_EQ(all(store), u"abcd");
    ASSERT_TRUE(history.undo(store));
    EXPECT_EQ(all(store), u"");
}

TEST_F(HistoryFixture, ASealedStepTakesNoMoreTyping)
{
    type(Kind::typing, 0, 0, u"a");
    history.seal();
    type(Kind::typing, 1, 1, u"b");
    EXPECT_EQ(undoAll(), 2);
}

TEST_F(HistoryFixture, AStepOfManyChangesGoesAndComesBackWhole)
{
    ASSERT_TRUE(store.replace(0, 0, u"a\nb\nc"));
    history.begin({0, 0});
    for (const auto& [at, with] : {std::pair<Pos, const char16_t*>{0, u"A"}, {4, u"C"}}) {
        history.record({at, store.text(at, at + 1), 1});
        ASSERT_TRUE(store.replace(at, at + 1, with));
    }
    history.end({5, 5});
    EXPECT_EQ(all(store), u"A\nb\nC");
    const auto caret = history.undo(store);
    ASSERT_TRUE(caret);
    EXPECT_EQ(caret->position, 0);
    EXPECT_EQ(all(store), u"a\nb\nc");
    EXPECT_EQ(history.redo(store)->position, 5);
    EXPECT_EQ(all(store), u"A\nb\nC");
    expectSame(store, u"A\nb\nC");
}

TEST_F(HistoryFixture, ANewEditAfterAnUndoLeavesNothingToRedo)
{
    type(Kind::typing, 0, 0, u"a");
    ASSERT_TRUE(history.undo(store));
    EXPECT_TRUE(history.canRedo());
    type(Kind::other, 0, 0, u"b");
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.redo(store));
}

}  // namespace
