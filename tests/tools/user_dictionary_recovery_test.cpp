// A session that died between the two renames of a save leaves the user's
// list only under the backup name.  The program must take it back rather
// than start an empty list, whose next save would delete that backup.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "run_program.h"
#include "test_support.h"

using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::run_program;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

std::set<std::string> words_in(const std::string& bytes) {
    std::set<std::string> words;
    std::istringstream in(bytes);
    std::string w;
    while (in >> w) words.insert(w);
    return words;
}

}  // namespace

TEST(UserDictionaryRecovery, ListLeftOnlyUnderTheBackupNameIsTakenBack) {
    ScratchDir dir;
    const std::string main_dict = dir.file("main.dic"), user_dict = dir.file("user.dic");
    const std::string backup = dir.file("user.BAK");
    write_file(main_dict, "the\r\nfox\r\n");
    write_file(backup, "keepone\r\nkeeptwo\r\n");
    const std::vector<std::string> env{"HOME=" + dir.path(), "LC_ALL=C.UTF-8"};

    const auto run = run_program({LUMOSPELL_PROGRAM, "add", "--main-dict", main_dict,
                                  "--user-dict", user_dict, "newword"},
                                 "", env);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.err.find(backup), std::string::npos) << "the user is not told: " << run.err;
    EXPECT_EQ(words_in(read_file(user_dict)),
              (std::set<std::string>{"keepone", "keeptwo", "newword"}));
    EXPECT_EQ(words_in(read_file(backup)), (std::set<std::string>{"keepone", "keeptwo"}));
}

TEST(UserDictionaryRecovery, MissingListWithoutBackupStartsEmpty) {
    ScratchDir dir;
    const std::string main_dict = dir.file("main.dic"), user_dict = dir.file("words.list.dic");
    write_file(main_dict, "the\r\n");
    // Only a backup of another list whose name shares the folder.
    write_file(dir.file("words.BAK"), "other\r\n");
    const auto run = run_program({LUMOSPELL_PROGRAM, "add", "--main-dict", main_dict,
                                  "--user-dict", user_dict, "newword"},
                                 "", {"HOME=" + dir.path()});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(words_in(read_file(user_dict)), (std::set<std::string>{"newword"}));
    EXPECT_TRUE(file_exists(dir.file("words.BAK")));
}
