// What the program tells of its saves, and several programs saving one
// user dictionary at the same moment.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "run_program.h"
#include "test_support.h"

using lumo::test::read_file;
using lumo::test::run_program;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

struct Home {
    ScratchDir dir;
    std::string main_dict = dir.file("main.dic"), user_dict = dir.file("user.dic");
    Home() { write_file(main_dict, "the\r\nfox\r\n"); }
    lumo::test::ProgramRun run(const std::string& command, const std::string& input,
                               const std::string& word = "") {
        std::vector<std::string> argv{"/usr/bin/timeout", "30", LUMOSPELL_PROGRAM, command,
                                      "--main-dict", main_dict, "--user-dict", user_dict};
        if (!word.empty()) argv.push_back(word);
        return run_program(argv, input, {"HOME=" + dir.path(), "LC_ALL=C.UTF-8"});
    }
    // A directory with something in it where the temporary file goes: no
    // save can succeed.
    void block_saves() {
        const std::string at = dir.file("~~$LUMOSP$.TMP");
        ASSERT_EQ(mkdir(at.c_str(), 0755), 0);
        write_file(at + "/inside", "x");
    }
};

// The words of a well-formed list; a malformed one fails the test.
std::set<std::string> listed_words(const std::string& bytes) {
    std::set<std::string> words;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "unterminated line in: " << bytes;
        if (end == std::string::npos) break;
        EXPECT_GT(end, start) << "empty line in: " << bytes;
        EXPECT_TRUE(words.insert(bytes.substr(start, end - start)).second) << "twice: " << bytes;
        start = end + 2;
    }
    return words;
}

}  // namespace

TEST(SavingThroughTheProgram, AcceptedForTheSessionThenAddedIsSaved) {
    Home home;
    const auto run = home.run("pipe", "@zorbleq\n*zorbleq\n#\n^zorbleq\n");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(listed_words(read_file(home.user_dict)), (std::set<std::string>{"zorbleq"}));
}

TEST(SavingThroughTheProgram, FailedSaveIsToldWithItsReasonAndKeepsTheWords) {
    Home home;
    write_file(home.user_dict, "older\r\n");
    home.block_saves();
    const auto add = home.run("add", "", "zorbleq");
    EXPECT_EQ(add.exit_code, 2);
    EXPECT_EQ(add.out.find("added"), std::string::npos) << add.out;
    EXPECT_NE(add.err.find("could not save the user dictionary " + home.user_dict + ": "),
              std::string::npos) << add.err;
    EXPECT_NE(add.err.find("code 0x8904"), std::string::npos) << add.err;

    // The pipe: the answers stay clean and the word stays known after the
    // failed "#"; the end of the session fails to save it as well, and says so.
    const auto pipe = home.run("pipe", "*blorpt\n#\nblorpt\n");
    EXPECT_EQ(pipe.exit_code, 2);
    EXPECT_EQ(pipe.out.substr(pipe.out.find('\n') + 1), "*\n\n");
    EXPECT_NE(pipe.err.find("kept for this session"), std::string::npos) << pipe.err;
    EXPECT_EQ(listed_words(read_file(home.user_dict)), (std::set<std::string>{"older"}));
}

TEST(SavingThroughTheProgram, ConcurrentAddsLoseNoReportedWord) {
    Home home;
    std::set<std::string> reported;
    size_t started = 0;
    for (int round = 0; round < 200; ++round) {
        const int processes = 2 + round % 3;
        started += static_cast<size_t>(processes);
        std::vector<pid_t> children;
        std::vector<int> outputs;
        for (int p = 0; p < processes; ++p) {
            const std::string word = "w" + std::to_string(round) + "x" + std::to_string(p);
            int out[2];
            ASSERT_EQ(pipe(out), 0);
            const pid_t child = fork();
            if (child == 0) {
                dup2(out[1], 1);
                dup2(out[1], 2);
                close(out[0]);
                close(out[1]);
                const std::string env = "HOME=" + home.dir.path();
                putenv(const_cast<char*>(env.c_str()));
                execl(LUMOSPELL_PROGRAM, LUMOSPELL_PROGRAM, "add", "--main-dict",
                      home.main_dict.c_str(), "--user-dict", home.user_dict.c_str(), word.c_str(),
                      static_cast<char*>(nullptr));
                _exit(127);
            }
            close(out[1]);
            children.push_back(child);
            outputs.push_back(out[0]);
        }
        for (size_t p = 0; p < children.size(); ++p) {
            std::string printed;
            char buffer[256];
            ssize_t n;
            while ((n = read(outputs[p], buffer, sizeof buffer)) > 0)
                printed.append(buffer, static_cast<size_t>(n));
            close(outputs[p]);
            int status = 0;
            waitpid(children[p], &status, 0);
            const std::string prefix = "added: ";
            if (printed.rfind(prefix, 0) == 0 && printed.find('\n') == printed.size() - 1) {
                reported.insert(printed.substr(prefix.size(), printed.size() - prefix.size() - 1));
            } else {
                ADD_FAILURE() << "round " << round << ": " << printed;
            }
        }
        const std::set<std::string> saved = listed_words(read_file(home.user_dict));
        for (const std::string& word : reported)
            ASSERT_TRUE(saved.count(word)) << "round " << round << " lost " << word;
    }
    // Every process had the lock in time: all words were reported.
    EXPECT_EQ(reported.size(), started);
    EXPECT_FALSE(lumo::test::file_exists(home.dir.file("~~$LUMOSP$.LCK"))) << "the lock stayed";
}

TEST(SavingThroughTheProgram, LeavesNoLockFileAlsoWhenTheDictionaryCannotBeOpened) {
    Home home;
    EXPECT_EQ(home.run("add", "", "frob").exit_code, 0);
    ASSERT_EQ(unlink(home.user_dict.c_str()), 0);
    ASSERT_EQ(mkdir(home.user_dict.c_str(), 0755), 0);
    EXPECT_EQ(home.run("check", "the fox\n").exit_code, 2);
    EXPECT_FALSE(lumo::test::file_exists(home.dir.file("~~$LUMOSP$.LCK")));
}
