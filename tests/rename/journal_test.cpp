// The journal says back exactly what was written, and a journal cut short
// anywhere (a kill in the middle of a write) still says everything written
// before the cut.
#include "rename/journal.h"

#include <gtest/gtest.h>

namespace {

using namespace renaming;
using platform::FileId;

const std::string kOdd = std::string("a\tb\nc%d e\x7F\x01\xE9\xE5\x86\x99", 13);

std::string sampleText()
{
    std::string t = journal_text::header({"/home/u/写真 " + kOdd, 2049, 777}, 1765250000, 3, true);
    t += journal_text::intent(0, JournalOp::move, "a.txt", "x.txt", {4096, 1700000000123456789, 11});
    t += journal_text::done(0, JournalOp::move, {4096, 1700000000123456789, 11});
    t += journal_text::intent(1, JournalOp::copy, kOdd, "y" + kOdd, {5, -1, 12});
    t += journal_text::done(1, JournalOp::copy, {5, -1, 99});
    t += journal_text::intent(1, JournalOp::remove, kOdd, "", {5, -1, 12});
    t += journal_text::failed(1, JournalOp::remove, 13);
    t += journal_text::intent(2, JournalOp::move, "c", "z", {0, 0, 13});
    t += journal_text::failed(2, JournalOp::move, 17);
    t += journal_text::unrecorded(2);
    t += journal_text::stopped(1);
    t += journal_text::unrecorded(2, 1);
    t += journal_text::end();
    t += journal_text::undone();
    return t;
}

TEST(Journal, ReadsBackEveryRecordAndOddNamesByteForByte)
{
    const auto j = parseJournal(sampleText());
    ASSERT_TRUE(j);
    EXPECT_EQ(j->folder.path, "/home/u/写真 " + kOdd);
    EXPECT_EQ(j->folder.device, 2049u);
    EXPECT_EQ(j->folder.inode, 777u);
    EXPECT_EQ(j->started, 1765250000);
    EXPECT_EQ(j->entries, 3);
    EXPECT_TRUE(j->deleteOld);
    ASSERT_EQ(j->steps.size(), 4u);
    EXPECT_EQ(j->steps[0].from, "a.txt");
    EXPECT_EQ(j->steps[0].to, "x.txt");
    EXPECT_EQ(j->steps[0].before, (FileId{4096, 1700000000123456789, 11}));
    EXPECT_EQ(j->steps[0].after, (FileId{4096, 1700000000123456789, 11}));
    EXPECT_EQ(j->steps[1].from, kOdd);
    EXPECT_EQ(j->steps[1].to, "y" + kOdd);
    EXPECT_EQ(j->steps[1].after, (FileId{5, -1, 99}));
    EXPECT_EQ(j->steps[2].op, JournalOp::remove);
    EXPECT_EQ(j->steps[2].failedErrno, 13);
    EXPECT_FALSE(j->steps[2].after);
    EXPECT_EQ(j->steps[3].failedErrno, 17);
    EXPECT_EQ(j->notDone, 1);
    EXPECT_EQ(j->unrecordedFrom, 2);
    EXPECT_EQ(j->unrecordedChanged, 1);
    EXPECT_TRUE(j->ended);
    EXPECT_TRUE(j->undone);
}

TEST(Journal, ACutAnywhereKeepsEverythingBeforeIt)
{
    const std::string text = sampleText();
    const auto full = parseJournal(text);
    ASSERT_TRUE(full);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const auto j = parseJournal(std::string_view(text).substr(0, cut));
        const size_t headerEnd = text.find("\nintent") + 1;
        if (cut < headerEnd) {
            // Until the start record is whole there is no journal to undo.
            EXPECT_FALSE(j) << cut;
            continue;
        }
        ASSERT_TRUE(j) << cut;
        ASSERT_LE(j->steps.size(), full->steps.size()) << cut;
        for (size_t i = 0; i < j->steps.size(); ++i) {
            const auto& got = j->steps[i];
            const auto& want = full->steps[i];
            EXPECT_EQ(got.from, want.from) << cut;
            EXPECT_EQ(got.to, want.to) << cut;
            EXPECT_EQ(got.before, want.before) << cut;
            // Only the last step may still lack its answer.
            if (i + 1 < j->steps.size()) {
                EXPECT_EQ(got.after, want.after) << cut;
                EXPECT_EQ(got.failedErrno, want.failedErrno) << cut;
            }
        }
        EXPECT_EQ(j->ended, cut >= text.find("end\n") + 4) << cut;
    }
}

TEST(Journal, RefusesWhatIsNoJournalAndStopsAtARecordThatDoesNotFit)
{
    EXPECT_FALSE(parseJournal(""));
    EXPECT_FALSE(parseJournal("hello\nfolder\t/\t1\t2\nstart\t0\t0\t0\n"));
    const std::string head = journal_text::header({"/d", 1, 2}, 0, 2, false);
    // An answer to another entry's intent, a bad escape, an unknown record:
    // the reading ends there, with what came before.
    for (const std::string& bad :
         {journal_text::done(1, JournalOp::move, {}), journal_text::done(0, JournalOp::copy, {}),
          std::string("intent\t1\tmove\t%G1\tb\t0\t0\t0\n"),
          std::string("rename\ta\tb\n"), journal_text::failed(0, JournalOp::move, 0)}) {
        const std::string text = head +
                                 journal_text::intent(0, JournalOp::move, "a", "b", {}) + bad +
                                 journal_text::intent(1, JournalOp::move, "c", "d", {}) +
                                 journal_text::end();
        const auto j = parseJournal(text);
        ASSERT_TRUE(j) << bad;
        ASSERT_EQ(j->steps.size(), 1u) << bad;
        EXPECT_FALSE(j->steps[0].after) << bad;
        EXPECT_FALSE(j->ended) << bad;
    }
}

TEST(Journal, EscapesOnlyWhatWouldBreakALine)
{
    EXPECT_EQ(escapeField("写真 1%.jpg"), "写真%201%25.jpg");
    EXPECT_EQ(unescapeField("写真%201%25.jpg"), "写真 1%.jpg");
    EXPECT_FALSE(unescapeField("%4"));
    EXPECT_FALSE(unescapeField("%zz"));
}

}  // namespace

// The writer: every operation's intent is in the file before the operation
// can happen, and what came of it at the latest with the next record, or
// when the writer goes.
#include "rename/journalwriter.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <fcntl.h>

namespace {

TEST(JournalWriter, AnIntentIsWrittenAtOnceAndItsOutcomeWithTheNextRecord)
{
    testing_support::ScratchDir d;
    const std::string path = d / "run.journal";
    std::string expected;
    // While the journal is written, the file ends in the zeros of the room
    // taken ahead.
    auto inFile = [&] {
        const std::string text = d.read("run.journal");
        return text.substr(0, text.find('\0'));
    };
    {
        renaming::JournalWriter w(
            platform::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)), path);
        ASSERT_TRUE(w.valid());
        w.begin({"/f", 1, 2}, 5, 2, false);
        expected = journal_text::header({"/f", 1, 2}, 5, 2, false);
        w.intent(0, JournalOp::copy, "a", "b", {1, 2, 3});
        expected += journal_text::intent(0, JournalOp::copy, "a", "b", {1, 2, 3});
        EXPECT_EQ(inFile(), expected);
        w.done(0, JournalOp::copy, {1, 2, 4});
        EXPECT_FALSE(w.anyDone());
        w.intent(1, JournalOp::copy, "c", "d", {1, 2, 5});
        expected += journal_text::done(0, JournalOp::copy, {1, 2, 4}) +
                    journal_text::intent(1, JournalOp::copy, "c", "d", {1, 2, 5});
        EXPECT_EQ(inFile(), expected);
        EXPECT_TRUE(w.anyDone());
        w.failed(1, JournalOp::copy, 28);
        expected += journal_text::failed(1, JournalOp::copy, 28);
    }
    // A writer let go of mid-run (its run thrown out of) still says it.
    EXPECT_EQ(d.read("run.journal"), expected);
    const auto j = parseJournal(expected);
    ASSERT_TRUE(j);
    ASSERT_EQ(j->steps.size(), 2u);
    EXPECT_EQ(j->steps[1].failedErrno, 28);
    EXPECT_FALSE(j->ended);
}

// A batch of moves: their intents in one write ahead of them, each move's
// own intent then nothing, and the answers after them, each to its entry.
TEST(JournalWriter, MovesWrittenAheadAreAnsweredAfterThem)
{
    testing_support::ScratchDir d;
    const std::string path = d / "run.journal";
    const std::string a = "a", b = "b", c = "c", e = "e";
    std::string expected;
    {
        renaming::JournalWriter w(
            platform::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)), path);
        w.begin({"/f", 1, 2}, 5, 3, true);
        w.movesAhead({{0, a, b, {1, 2, 3}}, {1, c, a, {1, 2, 5}}});
        expected = journal_text::header({"/f", 1, 2}, 5, 3, true) +
                   journal_text::intent(0, JournalOp::move, a, b, {1, 2, 3}) +
                   journal_text::intent(1, JournalOp::move, c, a, {1, 2, 5});
        w.intent(0, JournalOp::move, a, b, {1, 2, 3});
        w.done(0, JournalOp::move, {1, 2, 3});
        w.intent(1, JournalOp::move, c, a, {1, 2, 5});
        const std::string text = d.read("run.journal");
        EXPECT_EQ(text.substr(0, text.find('\0')), expected);
        w.failed(1, JournalOp::move, EEXIST);
        w.intent(2, JournalOp::copy, e, c, {1, 2, 7});
        expected += journal_text::done(0, JournalOp::move, {1, 2, 3}) + journal_text::failed(1, JournalOp::move, EEXIST) +
                    journal_text::intent(2, JournalOp::copy, e, c, {1, 2, 7});
    }
    EXPECT_EQ(d.read("run.journal"), expected);
    const auto j = parseJournal(expected);
    ASSERT_TRUE(j);
    ASSERT_EQ(j->steps.size(), 3u);
    EXPECT_TRUE(j->steps[0].after);
    EXPECT_EQ(j->steps[1].failedErrno, EEXIST);
    EXPECT_FALSE(j->steps[2].after || j->steps[2].failedErrno);
}

// A journal whose disk fills up mid-run: the run goes on, and the journal
// ends with where it went silent, and, where the run came to its end, how
// many entries it changed after that and that it ended.
struct FillsUp {
    const char* name;
    bool runEnds;
};
void PrintTo(const FillsUp& f, std::ostream* os) { *os << f.name; }

class JournalWriterOnAFullDisk : public ::testing::TestWithParam<FillsUp> {};

TEST_P(JournalWriterOnAFullDisk, SaysFromWhichEntryOnItIsSilent)
{
    testing_support::ScratchDir d;
    const std::string path = d / "run.journal";
    testing_support::FaultSys disk;
    testing_support::diskRoomFor(disk, 4096);
    platform::ScopedSys use(disk);
    constexpr int kEntries = 100;
    int brokeAt = -1;
    {
        renaming::JournalWriter w(
            platform::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)), path);
        w.begin({"/f", 1, 2}, 5, kEntries, true);
        for (int i = 0; i < kEntries; ++i) {
            w.intent(i, JournalOp::move, "a" + std::to_string(i), "b" + std::to_string(i), {1, 2, 3});
            if (w.broken() && brokeAt < 0)
                brokeAt = i;
            // Every third entry's move is refused.
            if (i % 3 == 0)
                w.failed(i, JournalOp::move, 13);
            else
                w.done(i, JournalOp::move, {1, 2, 3});
        }
        ASSERT_GT(brokeAt, 0);
        ASSERT_LT(brokeAt, kEntries);
        EXPECT_EQ(w.unrecordedFrom(), brokeAt);
        if (GetParam().runEnds)
            w.end();
    }
    int changed = 0;
    for (int i = brokeAt; i < kEntries; ++i)
        changed += i % 3 != 0;
    const auto j = parseJournal(d.read("run.journal"));
    ASSERT_TRUE(j);
    EXPECT_EQ(j->unrecordedFrom, brokeAt);
    EXPECT_EQ(j->unrecordedChanged, GetParam().runEnds ? changed : -1);
    EXPECT_EQ(j->ended, GetParam().runEnds);
    ASSERT_EQ(j->steps.size(), static_cast<size_t>(brokeAt));
    EXPECT_EQ(j->steps.back().entry, brokeAt - 1);
}

INSTANTIATE_TEST_SUITE_P(, JournalWriterOnAFullDisk,
                         ::testing::Values(FillsUp{"TheRunEnds", true}, FillsUp{"TheRunIsCutShort", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
