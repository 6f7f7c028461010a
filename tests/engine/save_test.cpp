#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine.h"
#include "test_support.h"

using namespace lumo::engine;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

// An engine with a main and a user dictionary loaded from a scratch folder.
struct Session {
    ScratchDir dir;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::string main_path = dir.file("main.dic");
    std::string user_path = dir.file("user.dic");
    std::string tmp_path = dir.file("~~$LUMOSP$.TMP");
    std::string bak_path = dir.file("user.BAK");

    Session(const std::string& main_words, const std::string& user_words) {
        write_file(main_path, main_words);
        write_file(user_path, user_words);
        uint32_t id = 0;
        engine->init(&id);
        EXPECT_EQ(engine->open_main(main_path.c_str()), 0);
        EXPECT_EQ(engine->open_user(user_path.c_str()), 0);
    }
};

// Save operations that fail at one chosen step and otherwise do the real work.
enum class FailAt { None, Create, Write, Close, RemoveBackup, RenameToBackup, FinalRename, RenameBack };
FailAt g_fail = FailAt::None;
int g_renames = 0;

std::FILE* faulty_create(const char* p) {
    return g_fail == FailAt::Create ? nullptr : system_save_file_ops().create(p);
}
bool faulty_write(std::FILE* f, const void* b, size_t n) {
    return g_fail != FailAt::Write && system_save_file_ops().write(f, b, n);
}
bool faulty_close(std::FILE* f) {
    const bool ok = system_save_file_ops().close(f);
    return ok && g_fail != FailAt::Close;
}
bool faulty_remove(const char* p) {
    if (g_fail == FailAt::RemoveBackup && std::strstr(p, ".BAK")) return false;
    return system_save_file_ops().remove(p);
}
bool faulty_rename(const char* from, const char* to) {
    ++g_renames;
    if (g_fail == FailAt::RenameToBackup && g_renames == 1) return false;
    if ((g_fail == FailAt::FinalRename || g_fail == FailAt::RenameBack) && g_renames == 2)
        return false;
    if (g_fail == FailAt::RenameBack && g_renames == 3) return false;
    return system_save_file_ops().rename(from, to);
}
const SaveFileOps faulty_ops = {faulty_create, faulty_write,        faulty_close,
                                [](std::FILE* f) { std::fclose(f); },
                                system_save_file_ops().exists, faulty_remove, faulty_rename};

}  // namespace

TEST(SaveUserDictionary, WritesUserWordsInSlotOrderAndKeepsTheOldFileAsBackup) {
    Session s("apple\r\n", "zebra\r\nmango\r\n");
    EXPECT_EQ(s.engine->add_word(0, "kiwi"), 0);
    EXPECT_EQ(s.engine->add_word(0, "apple"), 0);  // main word: stays main, not saved
    EXPECT_EQ(s.engine->add_word(UdrIgnoreAlways, "ignored"), 0);
    EXPECT_EQ(s.engine->add_change("teh", "the"), 0);
    EXPECT_EQ(s.engine->terminate(), 0);

    std::string expected;
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        for (const char* w : {"zebra", "mango", "kiwi"})
            if (WordHash(w) == slot) expected += std::string(w) + "\r\n";
    }
    EXPECT_EQ(read_file(s.user_path), expected);
    EXPECT_EQ(read_file(s.bak_path), "zebra\r\nmango\r\n");
    EXPECT_FALSE(file_exists(s.tmp_path));
}

TEST(SaveUserDictionary, ReplacesAnOlderBackup) {
    Session s("", "one\r\n");
    write_file(s.bak_path, "stale\r\n");
    s.engine->add_word(0, "two");
    EXPECT_EQ(s.engine->terminate(), 0);
    EXPECT_EQ(read_file(s.bak_path), "one\r\n");
}

TEST(SaveUserDictionary, FailsWhenTheDictionaryWasDeletedBehindItsBack) {
    Session s("", "one\r\n");
    s.engine->add_word(0, "two");
    unlink(s.user_path.c_str());
    EXPECT_EQ(s.engine->terminate(), SpellErrUdrSave);
    EXPECT_FALSE(file_exists(s.tmp_path));
    EXPECT_FALSE(file_exists(s.user_path));
    // A failed save frees nothing: the words are still known.
    EXPECT_EQ(s.engine->table().lookup("two", ModeFind, 0), LookupKnown);
}

TEST(SaveUserDictionary, RefusesADictionaryNamedLikeItsOwnBackup) {
    ScratchDir dir;
    const std::string path = dir.file("user.BAK");
    write_file(path, "keep\r\n");
    auto engine = std::make_unique<Engine>();
    uint32_t id;
    engine->init(&id);
    ASSERT_EQ(engine->open_user(path.c_str()), 0);
    engine->add_word(0, "more");
    EXPECT_EQ(engine->terminate(), SpellErrUdrSave);
    EXPECT_EQ(read_file(path), "keep\r\n");
}

TEST(SaveUserDictionary, KeepsOldContentWhenAWriteHitsTheFileSizeLimit) {
    Session s("", "old\r\n");
    for (int i = 0; i < 200; ++i) s.engine->add_word(0, ("word" + std::to_string(i)).c_str());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(s.engine->close_user() == SpellErrUdrSave ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(s.user_path), "old\r\n");
    EXPECT_FALSE(file_exists(s.tmp_path));
}

class SaveFaults : public ::testing::TestWithParam<FailAt> {};

TEST_P(SaveFaults, LeavesOldOrNewContentAndNoTemporaryFile) {
    Session s("", "old\r\n");
    write_file(s.bak_path, "older\r\n");
    s.engine->add_word(0, "new");
    s.engine->save_ops = &faulty_ops;
    g_fail = GetParam();
    g_renames = 0;
    const uint16_t code = s.engine->close_user();
    g_fail = FailAt::None;
    EXPECT_EQ(code, SpellErrUdrSave);
    EXPECT_FALSE(file_exists(s.tmp_path));
    if (GetParam() == FailAt::RenameBack) {
        // Both renames failed: the old dictionary survives under the backup name.
        EXPECT_EQ(read_file(s.bak_path), "old\r\n");
    } else {
        EXPECT_EQ(read_file(s.user_path), "old\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, SaveFaults,
                         ::testing::Values(FailAt::Create, FailAt::Write, FailAt::Close,
                                           FailAt::RemoveBackup, FailAt::RenameToBackup,
                                           FailAt::FinalRename, FailAt::RenameBack));
