#include <errno.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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
                                system_save_file_ops().exists, faulty_remove, faulty_rename,
                                system_save_file_ops().lock, system_save_file_ops().unlock};

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

namespace {

// Runs work in a child process; its exit code, or -1 when it hung and was killed.
int exit_code_within(int seconds, const std::function<int()>& work) {
    const pid_t child = fork();
    if (child == 0) _exit(work());
    int status = 0;
    for (int waited = 0; waited < seconds * 100; ++waited) {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

struct Planting {
    const char* what;
    void (*plant)(const Session& s, const std::string& victim);
    bool saves;
};

const Planting plantings[] = {
    {"link at the temporary name",
     [](const Session& s, const std::string& v) {
         ASSERT_EQ(symlink(v.c_str(), s.tmp_path.c_str()), 0);
     },
     true},
    {"FIFO at the temporary name",
     [](const Session& s, const std::string&) { ASSERT_EQ(mkfifo(s.tmp_path.c_str(), 0600), 0); },
     true},
    {"link at the lock name",
     [](const Session& s, const std::string& v) {
         unlink(s.dir.file("~~$LUMOSP$.LCK").c_str());  // the load's own
         ASSERT_EQ(symlink(v.c_str(), s.dir.file("~~$LUMOSP$.LCK").c_str()), 0);
     },
     true},
    {"FIFO at the lock name",
     [](const Session& s, const std::string&) {
         unlink(s.dir.file("~~$LUMOSP$.LCK").c_str());
         ASSERT_EQ(mkfifo(s.dir.file("~~$LUMOSP$.LCK").c_str(), 0600), 0);
     },
     true},
    {"link to nowhere at the backup name",
     [](const Session& s, const std::string&) {
         ASSERT_EQ(symlink(s.dir.file("nowhere").c_str(), s.bak_path.c_str()), 0);
     },
     true},
    {"directory at the temporary name",
     [](const Session& s, const std::string&) { ASSERT_EQ(mkdir(s.tmp_path.c_str(), 0700), 0); },
     false},
    {"directory at the backup name",
     [](const Session& s, const std::string&) { ASSERT_EQ(mkdir(s.bak_path.c_str(), 0700), 0); },
     false},
};

}  // namespace

TEST(SaveUserDictionary, NeverWritesThroughOrHangsOnWhatIsPlantedBesideTheDictionary) {
    for (const Planting& p : plantings) {
        SCOPED_TRACE(p.what);
        Session s("", "old\r\n");
        ScratchDir elsewhere;
        const std::string victim = elsewhere.file("victim");
        write_file(victim, "precious\r\n");
        s.engine->add_word(0, "new");
        p.plant(s, victim);
        const int code = exit_code_within(10, [&] { return s.engine->close_user() == 0 ? 0 : 1; });
        ASSERT_NE(code, -1) << "the save hung";
        EXPECT_EQ(code, p.saves ? 0 : 1);
        EXPECT_EQ(read_file(victim), "precious\r\n");
        struct stat st;
        ASSERT_EQ(lstat(s.user_path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        const std::string saved = read_file(s.user_path);
        EXPECT_EQ(saved.find("new\r\n") != std::string::npos, p.saves);
        EXPECT_NE(saved.find("old\r\n"), std::string::npos);
    }
}

TEST(SaveUserDictionary, SavesTheFileALinkLeadsToAndKeepsTheLink) {
    Session s("", "");
    ScratchDir synced;
    const std::string target = synced.file("words.dic");
    write_file(target, "old\r\n");
    unlink(s.user_path.c_str());
    ASSERT_EQ(symlink(target.c_str(), s.user_path.c_str()), 0);
    ASSERT_EQ(s.engine->open_user(s.user_path.c_str()), 0);
    s.engine->add_word(0, "new");
    ASSERT_EQ(s.engine->terminate(), 0);
    char link[512] = {};
    ASSERT_GT(readlink(s.user_path.c_str(), link, sizeof link - 1), 0);
    EXPECT_EQ(std::string(link), target);
    EXPECT_NE(read_file(target).find("new\r\n"), std::string::npos);
    EXPECT_EQ(read_file(synced.file("words.BAK")), "old\r\n");
    EXPECT_FALSE(file_exists(s.bak_path));
}

TEST(SaveUserDictionary, SavesInsideAFolderWithAUtf8Name) {
    // E6 96 87 in a Shift-JIS reading: a lead byte whose trail would be the '/'.
    Session s("", "");
    const std::string folder = s.dir.file("\xE6\x96\x87");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string user = folder + "/user.dic";
    write_file(user, "old\r\n");
    s.engine->lead_bytes = lumo::platform::shift_jis_lead_bytes();
    ASSERT_EQ(s.engine->open_user(user.c_str()), 0);
    s.engine->add_word(0, "new");
    // The parent folder's temporary name is taken: only a save that stays
    // inside the dictionary's folder gets through.
    ASSERT_EQ(mkdir(s.tmp_path.c_str(), 0700), 0);
    ASSERT_EQ(s.engine->terminate(), 0);
    EXPECT_EQ(read_file(folder + "/user.BAK"), "old\r\n");
    EXPECT_FALSE(file_exists(folder + "/~~$LUMOSP$.TMP"));
}

TEST(SaveUserDictionary, AWordAcceptedForTheSessionAndThenAddedIsSaved) {
    Session s("", "old\r\n");
    EXPECT_EQ(s.engine->add_word(UdrIgnoreAlways, "Flyspell"), 0);
    EXPECT_EQ(s.engine->add_word(0, "flyspell"), 0);
    ASSERT_EQ(s.engine->terminate(), 0);
    EXPECT_NE(read_file(s.user_path).find("Flyspell\r\n"), std::string::npos);
}

TEST(SaveUserDictionary, AReopenSavesTheAdditionsFirstOrKeepsTheSession) {
    Session s("", "old\r\n");
    s.engine->add_word(0, "pending");
    mkdir(s.bak_path.c_str(), 0700);
    uint32_t id = 0;
    EXPECT_EQ(s.engine->init(&id), SpellErrUdrSave);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(s.engine->table().lookup("pending", ModeFind, 0), LookupKnown);
    rmdir(s.bak_path.c_str());
    EXPECT_EQ(s.engine->init(&id), 0);
    EXPECT_NE(read_file(s.user_path).find("pending\r\n"), std::string::npos);
}

TEST(SaveUserDictionary, RefusesWordsTheFileWouldNotGiveBackWhole) {
    Session s("", "");
    const std::string longest(SavableWordLimit - 1, 'q');
    const struct {
        std::string word;
        uint16_t code;
    } cases[] = {{longest, 0},
                 {std::string(SavableWordLimit, 'q'), SpellErrWordTooLong},
                 {std::string(2000, 'r'), SpellErrWordTooLong},
                 {"", SpellErrNotOneWord},
                 {"two words", SpellErrNotOneWord},
                 {"a,b", SpellErrNotOneWord},
                 {"tab\tbed", SpellErrNotOneWord}};
    for (const auto& c : cases) EXPECT_EQ(s.engine->add_word(0, c.word.c_str()), c.code);
    EXPECT_EQ(s.engine->add_word(UdrIgnoreAlways, "two words"), 0);
    ASSERT_EQ(s.engine->terminate(), 0);
    EXPECT_EQ(read_file(s.user_path), longest + "\r\n");
}

TEST(SaveUserDictionary, RemovesALeftoverTemporaryFileItCannotWriteTo) {
    // Permissions bind only a user other than root.
    Session s("", "old\r\n");
    s.engine->add_word(0, "new");
    write_file(s.tmp_path, "left by a killed save");
    chmod(s.tmp_path.c_str(), 0444);
    const int code = exit_code_within(20, [&] {
        if (getuid() == 0) {
            if (chown(s.dir.path().c_str(), 65534, 65534) != 0 || setgid(65534) != 0 ||
                setuid(65534) != 0)
                return 3;
        }
        return s.engine->close_user() == 0 ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(file_exists(s.tmp_path));
    EXPECT_NE(read_file(s.user_path).find("new\r\n"), std::string::npos);
}

TEST(SaveUserDictionary, ReportsTheReasonOfTheStepThatFailedNotOfTheCleanUp) {
    Session s("", "old\r\n");
    s.engine->add_word(0, "new");
    static const SaveFileOps full_disk = {
        system_save_file_ops().create,
        [](std::FILE*, const void*, size_t) { errno = ENOSPC; return false; },
        system_save_file_ops().close,
        [](std::FILE* f) { std::fclose(f); errno = EBADF; },
        system_save_file_ops().exists,
        [](const char* p) { const bool ok = unlink(p) == 0; errno = EPERM; return ok; },
        system_save_file_ops().rename,
        system_save_file_ops().lock,
        system_save_file_ops().unlock};
    s.engine->save_ops = &full_disk;
    EXPECT_EQ(s.engine->close_user(), SpellErrUdrSave);
    EXPECT_EQ(errno, ENOSPC);
    // The path stays: a second close tries again instead of claiming success.
    EXPECT_EQ(s.engine->close_user(), SpellErrUdrSave);
    EXPECT_EQ(read_file(s.user_path), "old\r\n");
}
