#include "build_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "headword_set.h"
#include "progress_display.h"
#include "test_support.h"

using namespace lumo::builder;
using lumo::test::crlf_lines;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::Recorder;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

// Words that all differ: w0 ... w<count-1>, one per CR LF line.
std::string distinct_words(int count, const char* prefix = "w") {
    std::string text;
    for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + "\r\n";
    return text;
}

class BuildRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        InsertCounter = 0;
        set_progress_presenter(&Recorder::present, &recorder);
    }
    void TearDown() override { set_progress_presenter(nullptr, nullptr); }

    int32_t build(const std::string& source_bytes) {
        write_file(source, source_bytes);
        return make_dictionary(nullptr, source.c_str(), output.c_str());
    }

    ScratchDir dir;
    std::string source = dir.file("source.txt");
    std::string output = dir.file("words.dic");
    Recorder recorder;
};

}  // namespace

TEST(ProgressPercent, KeepsBothFormsOfThePercentageRule) {
    EXPECT_EQ(progress_percent(500, 1000), 50);
    EXPECT_EQ(progress_percent(0, 1000), 0);
    EXPECT_EQ(progress_percent(1000, 1000), 100);
    EXPECT_EQ(progress_percent(25000000, 30000000), 83);
    EXPECT_EQ(progress_percent(21474836, 40000000), 53);
    EXPECT_EQ(progress_percent(21474837, 40000000), 53);
    // Dividing first rounds up where the exact figure would give 99.
    EXPECT_EQ(progress_percent(30000000, 30000099), 100);
}

TEST(ProgressPercent, StaysWithinBoundsForLargeAndGrowingSources) {
    const int64_t five_gib = int64_t{5} << 30;
    EXPECT_EQ(progress_percent(five_gib / 2, five_gib), 50);
    EXPECT_EQ(progress_percent(int64_t{3000000000}, int64_t{4000000000}), 75);
    EXPECT_EQ(progress_percent(1500, 1000), 100);
    // Far more read than the source had at the start: no division by zero.
    EXPECT_EQ(progress_percent(30000000, 50), 100);
    EXPECT_EQ(progress_percent(five_gib, 1), 100);
}

TEST_F(BuildRunTest, PumpShowsThePercentageOnlyWhenItChanges) {
    ProgressDialog = create_progress_dialog(nullptr, CloseProgressDialog);
    LastPercent = -1;
    TotalBytes = 1000;
    for (const int64_t done : {500, 500, 509, 50, 1000}) {
        DoneBytes = done;
        EXPECT_EQ(PumpProgress(), 0);
    }
    TotalBytes = 0;
    EXPECT_EQ(PumpProgress(), 0);
    EXPECT_EQ(recorder.texts(lumo::test::EventStatus),
              (std::vector<std::string>{lumo::test::processing_text(" 50"),
                                        lumo::test::processing_text("  5"),
                                        lumo::test::processing_text("100")}));
    EXPECT_EQ(recorder.polls, 6);
    CloseProgressDialog();
    CloseProgressDialog();
    Cancelled = 0;
    EXPECT_EQ(PumpProgress(), 1);
    EXPECT_EQ(Cancelled, 1);
}

TEST(HeadwordOrder, ComparesUnsignedBytesWithPrefixesFirstAndNullsLast) {
    char a[] = "art", arts[] = "arts", high[] = "\xE9t", z[] = "z";
    char* entries[] = {nullptr, arts, high, nullptr, z, a};
    std::qsort(entries, 6, sizeof entries[0], CompareHeadwords);
    EXPECT_EQ(entries[0], a);
    EXPECT_EQ(entries[1], arts);
    EXPECT_EQ(entries[2], z);
    EXPECT_EQ(entries[3], high);
    EXPECT_EQ(entries[4], nullptr);
    EXPECT_EQ(entries[5], nullptr);
}

TEST_F(BuildRunTest, WritesEachWordOnceInByteOrderWithCrLf) {
    const std::string text = "zebra apple Zebra\r\nApple arts art dont don't zebra\r\nx-ray A4\r\n";
    EXPECT_EQ(build(text), 1);
    EXPECT_EQ(read_file(output),
              "A4\r\nApple\r\nZebra\r\napple\r\nart\r\narts\r\ndon't\r\ndont\r\nx-ray\r\nzebra\r\n");
    // CR and LF are counted like any other byte.
    EXPECT_EQ(DoneBytes, TotalBytes);
    EXPECT_EQ(TotalBytes, static_cast<int64_t>(text.size()));
    // The set's tables live only while a build runs.
    EXPECT_EQ(HeadwordSet.word, nullptr);
    EXPECT_EQ(AddHeadword("zebra", HeadwordModeStore, HeadwordTagBuild), HeadwordAbsent);
    EXPECT_EQ(HeadwordSet.word, nullptr);
}

TEST_F(BuildRunTest, EmptySourceGivesEmptyOutputWithoutPercentage) {
    EXPECT_EQ(build(""), 1);
    EXPECT_TRUE(file_exists(output));
    EXPECT_EQ(read_file(output), "");
    EXPECT_EQ(recorder.kinds(), (std::vector<int32_t>{lumo::test::EventShow, lumo::test::EventStatus,
                                                      lumo::test::EventClose}));
    EXPECT_EQ(recorder.events[0].text, lumo::test::Caption);
    EXPECT_EQ(recorder.events[1].text, lumo::test::WritingText);
}

TEST_F(BuildRunTest, ProgressCallsComeWithThe1001stAnd2002ndStoredWord) {
    std::vector<uint32_t> stored_at_poll;
    static std::vector<uint32_t>* seen;
    seen = &stored_at_poll;
    recorder.on_poll = [](Recorder&) { seen->push_back(stored_word_count); };
    // Repeats do not count; only new words move the rhythm.
    std::string text = distinct_words(1000) + distinct_words(1000) + distinct_words(2500, "v");
    EXPECT_EQ(build(text), 1);
    EXPECT_EQ(stored_at_poll, (std::vector<uint32_t>{1001, 2002, 3003}));
    EXPECT_EQ(crlf_lines(read_file(output)).size(), 3500u);
    const auto statuses = recorder.texts(lumo::test::EventStatus);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), lumo::test::WritingText);
}

TEST_F(BuildRunTest, CancelDeletesTheOutputAndTheNextBuildRunsNormally) {
    write_file(output, "old content\r\n");
    recorder.cancel_at_poll = 1;
    EXPECT_EQ(build(distinct_words(5000)), 1);
    EXPECT_FALSE(file_exists(output));
    EXPECT_EQ(recorder.polls, 1);
    EXPECT_EQ(recorder.kinds().back(), lumo::test::EventClose);
    for (const auto& status : recorder.texts(lumo::test::EventStatus))
        EXPECT_NE(status, lumo::test::WritingText);
    EXPECT_EQ(stored_word_count, 0u);

    recorder = Recorder();
    EXPECT_EQ(build(distinct_words(5000)), 1);
    EXPECT_EQ(crlf_lines(read_file(output)).size(), 5000u);
}

TEST_F(BuildRunTest, EveryRunShowsItsFirstPercentage) {
    const std::string text = distinct_words(1500);
    EXPECT_EQ(build(text), 1);
    const auto first = recorder.texts(lumo::test::EventStatus);
    recorder = Recorder();
    InsertCounter = 0;
    EXPECT_EQ(build(text), 1);
    EXPECT_EQ(recorder.texts(lumo::test::EventStatus), first);
    EXPECT_EQ(first.size(), 2u);
}

TEST_F(BuildRunTest, SourceGrowingWhileReadKeepsThePercentageAtMost100) {
    static std::string* growing;
    growing = &source;
    recorder.on_poll = [](Recorder& r) {
        if (r.polls != 1) return;
        std::FILE* f = std::fopen(growing->c_str(), "ab");
        const std::string more = distinct_words(20000, "g");
        std::fwrite(more.data(), 1, more.size(), f);
        std::fclose(f);
    };
    EXPECT_EQ(build(distinct_words(1200)), 1);
    EXPECT_GT(DoneBytes, TotalBytes);
    EXPECT_EQ(crlf_lines(read_file(output)).size(), 21200u);
    const auto statuses = recorder.texts(lumo::test::EventStatus);
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_EQ(statuses[statuses.size() - 2], lumo::test::processing_text("100"));
}

TEST_F(BuildRunTest, MissingSourceIsReportedAndNoOutputIsCreated) {
    const std::string missing = dir.file("no such file.txt");
    EXPECT_EQ(make_dictionary(nullptr, missing.c_str(), output.c_str()), 0);
    EXPECT_FALSE(file_exists(output));
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].kind, lumo::test::EventMessage);
    EXPECT_EQ(recorder.events[0].text, lumo::test::cannot_open_message(missing));
    // A directory is no source either.
    EXPECT_EQ(make_dictionary(nullptr, dir.path().c_str(), output.c_str()), 0);
    EXPECT_FALSE(file_exists(output));
}

TEST_F(BuildRunTest, UnopenableOutputIsReportedByItsPath) {
    const std::string nowhere = dir.file("missing/words.dic");
    write_file(source, "word\r\n");
    EXPECT_EQ(make_dictionary(nullptr, source.c_str(), nowhere.c_str()), 0);
    EXPECT_EQ(make_dictionary(nullptr, source.c_str(), dir.path().c_str()), 0);
    EXPECT_EQ(recorder.texts(lumo::test::EventMessage),
              (std::vector<std::string>{lumo::test::cannot_open_message(nowhere),
                                        lumo::test::cannot_open_message(dir.path())}));
    EXPECT_EQ(recorder.texts(lumo::test::EventShow).size(), 0u);
    EXPECT_EQ(read_file(source), "word\r\n");
}

TEST_F(BuildRunTest, RefusesAnOutputThatIsTheSourceUnderAnyName) {
    write_file(source, "precious words\r\n");
    const std::string other_spelling = dir.path() + "/./source.txt";
    const std::string symlinked = dir.file("link.dic");
    const std::string hardlinked = dir.file("hard.dic");
    ASSERT_EQ(symlink(source.c_str(), symlinked.c_str()), 0);
    ASSERT_EQ(link(source.c_str(), hardlinked.c_str()), 0);
    for (const std::string& named : {source, other_spelling, symlinked, hardlinked}) {
        recorder = Recorder();
        EXPECT_EQ(make_dictionary(nullptr, source.c_str(), named.c_str()), 0) << named;
        EXPECT_EQ(recorder.texts(lumo::test::EventMessage),
                  std::vector<std::string>{lumo::test::cannot_open_message(named)});
        EXPECT_EQ(read_file(source), "precious words\r\n");
    }
}

TEST_F(BuildRunTest, WriteFailureIsReportedAndLeavesADeviceAlone) {
    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    write_file(source, distinct_words(20000));
    EXPECT_EQ(make_dictionary(nullptr, source.c_str(), "/dev/full"), 0);
    EXPECT_EQ(recorder.texts(lumo::test::EventMessage),
              std::vector<std::string>{lumo::test::cannot_open_message("/dev/full")});
    EXPECT_EQ(recorder.kinds().back(), lumo::test::EventMessage);
    EXPECT_TRUE(file_exists("/dev/full"));
    EXPECT_EQ(stored_word_count, 0u);
}

TEST_F(BuildRunTest, AwkwardSourcesGiveDefinedResults) {
    // A NUL ends the scan of its line; the next line is read as usual.
    std::string with_nul = std::string("before\0after\r\nnext\r\n", 20);
    EXPECT_EQ(build(with_nul), 1);
    EXPECT_EQ(read_file(output), "before\r\nnext\r\n");

    EXPECT_EQ(build("... --- ''' {} 123 ,,, \x81\x40\r\n"), 1);
    EXPECT_EQ(read_file(output), "");

    // 10 MB without a line end: read in 4095-byte pieces, each scanned on
    // its own, so a word across a boundary becomes two.
    std::string long_line;
    while (long_line.size() < 10 * 1024 * 1024) long_line += "abcdefghij ";
    EXPECT_EQ(build(long_line), 1);
    const auto words = crlf_lines(read_file(output));
    EXPECT_EQ(words.size(), 19u);  // the word, and its 9 heads and 9 tails
    EXPECT_NE(std::find(words.begin(), words.end(), "abc"), words.end());
    EXPECT_NE(std::find(words.begin(), words.end(), "defghij"), words.end());
    EXPECT_EQ(DoneBytes, static_cast<int64_t>(long_line.size()));

    // A lead byte that ends a piece takes no trail byte from the next one.
    std::string split(4094, ' ');
    split += "\x88" "xyz\r\n";
    EXPECT_EQ(build(split), 1);
    EXPECT_EQ(read_file(output), "xyz\r\n");
}
