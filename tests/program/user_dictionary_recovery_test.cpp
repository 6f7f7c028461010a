// A session that died between the two renames of a save leaves the user's
// list only under the backup name.  The program must take it back rather
// than start an empty list, whose next save would delete that backup.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

const char* const Temporary = "~~$LUMOSP$.TMP";

// Sets a file's modification time that many seconds into the past.
void age(const std::string& path, int seconds) {
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const timespec times[2] = {{st.st_mtim.tv_sec - seconds, 0}, {st.st_mtim.tv_sec - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

lumo::test::ProgramRun add_word(const ScratchDir& dir, const std::string& user_dict,
                                const std::string& word, const std::string& locale = "C.UTF-8") {
    return run_program({"/usr/bin/timeout", "20", LUMOSPELL_PROGRAM, "add", "--main-dict",
                        dir.file("main.dic"), "--user-dict", user_dict, word},
                       "", {"HOME=" + dir.path(), "LC_ALL=" + locale});
}

}  // namespace

TEST(UserDictionaryRecovery, TakesTheNewestCompleteListAndDeletesNothing) {
    struct Case {
        const char* name;
        std::string temporary;
        int temporary_age;      // seconds older than the backup (negative: newer)
        const char* expected;
    };
    const Case cases[] = {
        {"complete newer temporary wins", "keepone\r\nkeeptwo\r\nlater\r\n", -60,
         "keepone keeptwo later newword"},
        {"temporary cut short", "keepone\r\nkeeptwo\r\nlat", -60, "keepone keeptwo newword"},
        {"temporary cut inside its line end", "keepone\r\nkeeptwo\r", -60,
         "keepone keeptwo newword"},
        {"empty temporary", "", -60, "keepone keeptwo newword"},
        {"temporary older than the backup", "stale\r\n", 60, "keepone keeptwo newword"},
        {"temporary with a NUL byte", std::string("bad\0word\r\n", 10), -60,
         "keepone keeptwo newword"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        write_file(dir.file("main.dic"), "the\r\n");
        const std::string backup = dir.file("user.BAK"), temporary = dir.file(Temporary);
        write_file(backup, "keepone\r\nkeeptwo\r\n");
        write_file(temporary, c.temporary);
        age(c.temporary_age < 0 ? backup : temporary,
            c.temporary_age < 0 ? -c.temporary_age : c.temporary_age);
        const auto run = add_word(dir, dir.file("user.dic"), "newword");
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_NE(run.err.find("restored from"), std::string::npos) << run.err;
        std::set<std::string> expected;
        std::istringstream words(c.expected);
        for (std::string w; words >> w;) expected.insert(w);
        EXPECT_EQ(words_in(read_file(dir.file("user.dic"))), expected);
        EXPECT_TRUE(file_exists(backup));
    }
}

// Whatever is planted at the save's names or the dictionary's, in folders
// whose names hold UTF-8 or Shift-JIS bytes: no hang, nothing written
// elsewhere, the old words kept, and "added" only for a saved word.
TEST(UserDictionaryRecovery, PlantedNamesAndOddFoldersLoseNothing) {
    enum class Plant { None, Link, Fifo, Directory, FullDirectory };
    struct Case {
        const char* folder;
        const char* name;  // where the plant goes: "tmp", "bak" or "dic"
        Plant plant;
        int exit_code;
    };
    const Case cases[] = {
        {"\xe6\x96\x87.d", "dic", Plant::None, 0},    {"\x95\xb6.d", "dic", Plant::None, 0},
        {"\xe6\x96\x87.d", "tmp", Plant::Link, 0},    {"\x95\xb6.d", "tmp", Plant::Fifo, 0},
        {"plain", "tmp", Plant::Directory, 2},        {"plain", "tmp", Plant::FullDirectory, 2},
        {"\xe6\x96\x87.d", "bak", Plant::Link, 0},    {"\x95\xb6.d", "bak", Plant::Fifo, 0},
        {"plain", "bak", Plant::FullDirectory, 2},    {"plain", "dic", Plant::Fifo, 2},
        {"\xe6\x96\x87.d", "dic", Plant::Directory, 2}, {"\x95\xb6.d", "dic", Plant::Link, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " " + c.name + " " +
                     std::to_string(static_cast<int>(c.plant)));
        ScratchDir dir;
        write_file(dir.file("main.dic"), "the\r\n");
        const std::string folder = dir.file(c.folder);
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        const std::string user_dict = folder + "/user.dic";
        const std::string victim = dir.file("victim.txt"), linked = dir.file("linked.dic");
        write_file(victim, "victim\r\n");
        const std::string at = std::string(c.name) == "tmp"   ? folder + "/" + Temporary
                               : std::string(c.name) == "bak" ? folder + "/user.BAK"
                                                               : user_dict;
        const bool dictionary_planted = std::string(c.name) == "dic" && c.plant != Plant::None;
        if (!dictionary_planted) write_file(user_dict, "oldword\r\n");
        write_file(linked, "oldword\r\n");
        switch (c.plant) {
            case Plant::None: break;
            case Plant::Link:
                ASSERT_EQ(symlink(dictionary_planted ? linked.c_str() : victim.c_str(), at.c_str()), 0);
                break;
            case Plant::Fifo: ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); break;
            case Plant::Directory: ASSERT_EQ(mkdir(at.c_str(), 0755), 0); break;
            case Plant::FullDirectory:
                ASSERT_EQ(mkdir(at.c_str(), 0755), 0);
                write_file(at + "/inside", "x");
                break;
        }
        const auto run = add_word(dir, user_dict, "newword", "C");
        EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
        EXPECT_EQ(read_file(victim), "victim\r\n");
        const bool added = run.out.find("added: newword") != std::string::npos;
        EXPECT_EQ(added, c.exit_code == 0) << run.out << run.err;
        if (c.exit_code != 0) {
            EXPECT_NE(run.err.find(": "), std::string::npos) << run.err;
        }
        const std::string holder = c.plant == Plant::Link && dictionary_planted ? linked : user_dict;
        struct stat st;
        if (stat(holder.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            std::set<std::string> expected{"oldword"};
            if (added) expected.insert("newword");
            EXPECT_EQ(words_in(read_file(holder)), expected);
        }
        if (dictionary_planted && c.plant == Plant::Link) {
            EXPECT_EQ(lstat(user_dict.c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced";
        }
    }
}
