// Every file operation of a build made to fail in turn: the caller is told
// (result 0 and the cannot-open message) or the run ends as a cancel does,
// no descriptor is left open, no partial word list is left behind that
// looks finished, and the next build in the process runs normally.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "build_run.h"
#include "file_faults.h"
#include "progress_display.h"
#include "test_support.h"

using lumo::builder::make_dictionary;
using lumo::test::arm_file_faults;
using lumo::test::file_exists;
using lumo::test::FileFaults;
using lumo::test::open_descriptor_count;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

// Distinct lower-case words, one per line: more than enough for several
// progress calls, and a word list larger than one 32 KiB stream buffer.
std::vector<std::string> source_words(int count) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        std::string w = "w";
        for (int n = i; n > 0 || w.size() == 1; n /= 26) w += static_cast<char>('a' + n % 26);
        words.push_back(w);
    }
    return words;
}

std::string word_list(std::vector<std::string> words) {
    std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return std::strcmp(a.c_str(), b.c_str()) < 0;
    });
    std::string out;
    for (const auto& w : words) out += w + "\r\n";
    return out;
}

struct Presenter {
    bool cancel = false;
    int polls = 0;
    std::vector<std::string> messages;

    static int32_t present(void* context, int32_t event, const char* text) {
        auto& self = *static_cast<Presenter*>(context);
        if (event == lumo::builder::ProgressMessage) self.messages.push_back(text);
        if (event != lumo::builder::ProgressPoll) return 0;
        ++self.polls;
        return self.cancel ? lumo::builder::ProgressAnswerCancel : 0;
    }
};

// "[<path>] " begins the cannot-open message; the rest is Shift-JIS.
bool names(const std::vector<std::string>& messages, const std::string& path) {
    return messages.size() == 1 && messages[0].rfind("[" + path + "] ", 0) == 0;
}

enum class Target { Source, Output };
enum class Left { Nothing, EmptyFile, Complete, FirstPieces };

struct Fault {
    const char* name;
    Target target;
    FileFaults faults;
    bool cancel;
    int32_t result;
    bool message;
    Left left;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class BuildFaults : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        words = source_words(8000);
        std::string text;
        for (const auto& w : words) text += w + "\r\n";
        write_file(source, text);
        lumo::builder::set_progress_presenter(&Presenter::present, &presenter);
    }
    void TearDown() override {
        arm_file_faults(FileFaults{});
        lumo::builder::set_progress_presenter(nullptr, nullptr);
    }

    ScratchDir dir;
    std::string source = dir.file("source.txt");
    std::string output = dir.file("words.dic");
    std::vector<std::string> words;
    Presenter presenter;
};

constexpr int PiecesBeforeReadError = 5;

const Fault faults[] = {
    {"SourceOpen", Target::Source, {"", true}, false, 0, true, Left::Nothing},
    {"OutputOpen", Target::Output, {"", true}, false, 0, true, Left::Nothing},
    {"SourceRead", Target::Source, {"", false, PiecesBeforeReadError}, false, 1, false,
     Left::FirstPieces},
    {"OutputFlush", Target::Output, {"", false, -1, true}, false, 0, true, Left::Nothing},
    {"OutputClose", Target::Output, {"", false, -1, false, true}, false, 0, true, Left::Nothing},
    {"CancelDeletes", Target::Output, {}, true, 1, false, Left::Nothing},
    {"CancelDeleteFails", Target::Output, {"", false, -1, false, false, true}, true, 1, false,
     Left::EmptyFile},
    {"FlushAndDeleteFail", Target::Output, {"", false, -1, true, false, true}, false, 0, true,
     Left::Complete},
};

}  // namespace

TEST_P(BuildFaults, CallerIsToldNothingLeaksAndTheNextBuildRuns) {
    const Fault& f = GetParam();
    FileFaults armed = f.faults;
    armed.path = f.target == Target::Source ? source : output;
    presenter.cancel = f.cancel;
    const int descriptors = open_descriptor_count();

    arm_file_faults(armed);
    const int32_t result = make_dictionary(nullptr, source.c_str(), output.c_str());
    arm_file_faults(FileFaults{});

    EXPECT_EQ(result, f.result);
    if (f.message) {
        EXPECT_TRUE(names(presenter.messages, armed.path)) << presenter.messages.size();
    } else {
        EXPECT_TRUE(presenter.messages.empty());
    }
    EXPECT_EQ(open_descriptor_count(), descriptors);
    switch (f.left) {
        case Left::Nothing:
            EXPECT_FALSE(file_exists(output));
            break;
        case Left::EmptyFile:
            // The words are written only after reading: a cancelled run
            // whose output cannot be deleted leaves it empty, not partial.
            EXPECT_TRUE(file_exists(output));
            EXPECT_EQ(read_file(output), "");
            break;
        case Left::Complete:
            // Buffered in full and then refused at the flush: the result
            // tells the caller not to trust what is there.
            EXPECT_TRUE(file_exists(output));
            break;
        case Left::FirstPieces:
            EXPECT_EQ(read_file(output),
                      word_list({words.begin(), words.begin() + PiecesBeforeReadError}));
            break;
    }

    presenter = Presenter{};
    std::remove(output.c_str());
    EXPECT_EQ(make_dictionary(nullptr, source.c_str(), output.c_str()), 1);
    EXPECT_EQ(read_file(output), word_list(words));
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(open_descriptor_count(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(EveryFileOperation, BuildFaults, ::testing::ValuesIn(faults),
                         [](const ::testing::TestParamInfo<Fault>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(BuildFaults, WriteBeyondTheFileSizeLimitRemovesTheOutput) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // The list is over 50 KiB: the first 32 KiB buffer written fails.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16384, 16384};
        setrlimit(RLIMIT_FSIZE, &limit);
        const int descriptors = open_descriptor_count();
        const int32_t result = make_dictionary(nullptr, source.c_str(), output.c_str());
        const bool told = names(presenter.messages, output);
        _exit(result == 0 && told && open_descriptor_count() == descriptors ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(file_exists(output));
}
