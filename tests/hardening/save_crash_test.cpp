// The process dies (SIGKILL) at every point of a user-dictionary save: before
// and after each file operation, after each write.  Whatever the point, the
// previous or the new dictionary is there, whole, under its own name, or
// the previous one under the backup name; and the next session saves.
#include <dlfcn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine.h"
#include "lumospell/orthbridge.h"
#include "test_support.h"

using namespace lumo::engine;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

// Counts the steps of a save, one before and one after every operation,
// and kills the process at the chosen one (0: never).
long kill_at_step = 0;
long steps = 0;

void step() {
    if (++steps == kill_at_step) raise(SIGKILL);
}

const SaveFileOps& real() { return system_save_file_ops(); }

// Runs one save operation between two steps.
template <typename Op>
auto stepped(Op op) {
    step();
    auto result = op();
    step();
    return result;
}

const SaveFileOps killing_ops = {
    [](const char* p) { return stepped([&] { return real().create(p); }); },
    [](std::FILE* f, const void* b, size_t n) {
        return stepped([&] { return real().write(f, b, n); });
    },
    [](std::FILE* f) { return stepped([&] { return real().close(f); }); },
    [](std::FILE* f) { stepped([&] { real().abandon(f); return true; }); },
    [](const char* p) { return stepped([&] { return real().exists(p); }); },
    [](const char* p) { return stepped([&] { return real().remove(p); }); },
    [](const char* a, const char* b) { return stepped([&] { return real().rename(a, b); }); },
    [](const char* p, bool x) { return stepped([&] { return real().lock(p, x); }); },
    [](lumo::platform::LockHandle l) { stepped([&] { real().unlock(l); return true; }); },
};

std::set<std::string> words_in(const std::string& bytes) {
    std::set<std::string> words;
    std::istringstream in(bytes);
    std::string w;
    while (in >> w) words.insert(w);
    return words;
}

// A user dictionary of `old_count` words, `added` more added in a session.
class SaveCrash : public ::testing::Test {
protected:
    void prepare(int old_count, int added) {
        old_words.clear();
        new_words.clear();
        std::string text;
        for (int i = 0; i < old_count; ++i) {
            old_words.insert("old" + std::to_string(i));
            text += "old" + std::to_string(i) + "\r\n";
        }
        old_text = text;
        new_words = old_words;
        for (int i = 0; i < added; ++i) new_words.insert("new" + std::to_string(i));
        write_file(main_path, "alpha\r\nbeta\r\n");
    }

    // Puts the files back as they were before the save: the dictionary,
    // an older backup and a stale temporary file of an earlier crash.
    void reset_files() {
        write_file(user_path, old_text);
        write_file(bak_path, "older\r\n");
        write_file(tmp_path, "stale half-written\r\nwo");
    }

    // Runs the save in a child killed at `kill_step`; returns the steps the
    // child counted when it was not killed, or -1 when it was.
    long save_in_child(long kill_step) {
        const pid_t child = fork();
        if (child == 0) {
            auto engine = std::make_unique<Engine>();
            uint32_t id = 0;
            engine->init(&id);
            if (engine->open_main(main_path.c_str()) != 0 ||
                engine->open_user(user_path.c_str()) != 0)
                _exit(100);
            for (const auto& w : new_words) engine->add_word(0, w.c_str());
            engine->save_ops = &killing_ops;
            kill_at_step = kill_step;
            steps = 0;
            const uint16_t code = engine->close_user();
            _exit(code == 0 ? static_cast<int>(std::min<long>(steps, 99)) : 101);
        }
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) {
            EXPECT_EQ(WTERMSIG(status), SIGKILL);
            return -1;
        }
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_LT(WEXITSTATUS(status), 100) << "the save itself failed";
        return WEXITSTATUS(status);
    }

    // The state a crash may leave: the old or new list whole under the
    // dictionary's name, or the old one under the backup name alone.
    void expect_recoverable(long kill_step) {
        SCOPED_TRACE("killed at step " + std::to_string(kill_step));
        if (file_exists(user_path)) {
            const auto words = words_in(read_file(user_path));
            EXPECT_TRUE(words == old_words || words == new_words)
                << "the dictionary holds neither list whole (" << words.size() << " words)";
            if (words == new_words) {
                EXPECT_EQ(read_file(bak_path), old_text);
            }
        } else {
            ASSERT_TRUE(file_exists(bak_path)) << "neither the dictionary nor its backup";
            EXPECT_EQ(read_file(bak_path), old_text);
            // What a user does about it: take the backup back.
            ASSERT_EQ(rename(bak_path.c_str(), user_path.c_str()), 0);
        }
        // The next session saves, whatever a crash left beside the list.
        auto engine = std::make_unique<Engine>();
        uint32_t id = 0;
        engine->init(&id);
        ASSERT_EQ(engine->open_user(user_path.c_str()), 0);
        engine->add_word(0, "later");
        EXPECT_EQ(engine->close_user(), 0);
        EXPECT_FALSE(file_exists(tmp_path));
        EXPECT_EQ(words_in(read_file(user_path)).count("later"), 1u);
    }

    ScratchDir dir;
    std::string main_path = dir.file("main.dic");
    std::string user_path = dir.file("user.dic");
    std::string bak_path = dir.file("user.BAK");
    std::string tmp_path = dir.file("~~$LUMOSP$.TMP");
    std::set<std::string> old_words, new_words;
    std::string old_text;
};

}  // namespace

TEST_F(SaveCrash, EveryStepOfASmallSave) {
    prepare(6, 4);
    reset_files();
    // 10 words of two writes each, and the file operations around them.
    const long total = save_in_child(0);
    ASSERT_GT(total, 40);
    for (long k = 1; k <= total; ++k) {
        reset_files();
        EXPECT_EQ(save_in_child(k), -1);
        expect_recoverable(k);
        if (HasFatalFailure()) return;
    }
}

TEST_F(SaveCrash, RandomStepsOfALargeSave) {
    prepare(1500, 500);
    reset_files();
    std::mt19937 random(8);
    // 4000 writes: a kill lands mostly inside the writing, where the stream
    // has sent some 4 KiB blocks of the temporary file and not others.
    const long writes_end = 2 * 2 * 2000;
    std::uniform_int_distribution<long> pick(1, writes_end + 30);
    for (int run = 0; run < 60; ++run) {
        const long k = pick(random);
        reset_files();
        const long got = save_in_child(k);
        if (got != -1) continue;  // beyond the last step: a whole save
        expect_recoverable(k);
        if (HasFatalFailure()) return;
    }
}

namespace {

std::vector<std::string> messages;
void keep_message(const char* text, const char*, void*) { messages.emplace_back(text); }

// liborthbridge.so bound by name, as a host binds it; the engine is the
// built liborthex.so.
struct Host {
    void* library = dlopen(ORTHBRIDGE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    template <typename F>
    F* bind(const char* name) {
        return library != nullptr ? reinterpret_cast<F*>(dlsym(library, name)) : nullptr;
    }
    decltype(LumoSpellInit)* init = bind<decltype(LumoSpellInit)>("LumoSpellInit");
    decltype(LumoSpellInit2)* init2 = bind<decltype(LumoSpellInit2)>("LumoSpellInit2");
    decltype(LumoSpellAddWord)* add = bind<decltype(LumoSpellAddWord)>("LumoSpellAddWord");
    decltype(LumoSpellCheck)* check = bind<decltype(LumoSpellCheck)>("LumoSpellCheck");
    decltype(LumoSpellTerminate)* terminate =
        bind<decltype(LumoSpellTerminate)>("LumoSpellTerminate");
    decltype(LumoSpellGetSaveResult)* save_result =
        bind<decltype(LumoSpellGetSaveResult)>("LumoSpellGetSaveResult");

    bool open(const std::string& main, const std::string& user) {
        messages.clear();
        auto* handler = bind<decltype(LumoSpellSetMessageHandler)>("LumoSpellSetMessageHandler");
        if (handler == nullptr || save_result == nullptr) return false;
        handler(keep_message, nullptr);
        return init(ORTHEX_LIBRARY_PATH) == 1 && init2(main.c_str(), user.c_str(), 0, 0) == 1;
    }
    ~Host() {
        if (library != nullptr) dlclose(library);
    }
};

std::string letters(int n) {
    std::string w;
    for (; n > 0 || w.empty(); n /= 26) w += static_cast<char>('a' + n % 26);
    return w;
}

// A word list as the engine writes it: words of word bytes, each ended by CR LF.
bool well_formed(const std::string& bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos || end == start) return false;
        for (size_t i = start; i < end; ++i) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c <= 0x20 || c == ',') return false;
        }
        start = end + 2;
    }
    return true;
}

}  // namespace

TEST(SeveralPrograms, NoWordAnyOfThemReportedAddedIsLost) {
    ScratchDir dir;
    const std::string main_path = dir.file("main.dic");
    const std::string user_path = dir.file("user.dic");
    write_file(main_path, "alpha\r\nbeta\r\n");
    write_file(user_path, "");
    std::set<std::string> reported;
    for (int round = 0; round < 200; ++round) {
        const int programs = 2 + round % 3;
        int start[2];
        ASSERT_EQ(pipe(start), 0);
        std::vector<pid_t> children;
        std::vector<std::vector<std::string>> words(programs);
        for (int p = 0; p < programs; ++p) {
            words[p] = {"q" + letters(round * 8 + 2 * p), "z" + letters(round * 8 + 2 * p + 1)};
            const pid_t child = fork();
            if (child == 0) {
                close(start[1]);
                char go;
                if (read(start[0], &go, 1) != 0) _exit(9);
                Host host;
                if (!host.open(main_path, user_path)) _exit(2);
                for (const auto& w : words[p])
                    if (host.add(w.c_str()) != 0) _exit(3);
                host.terminate();
                _exit(host.save_result(nullptr, 0) == 0 ? 0 : 4);
            }
            children.push_back(child);
        }
        close(start[0]);
        close(start[1]);  // all start at once
        for (int p = 0; p < programs; ++p) {
            int status = 0;
            waitpid(children[p], &status, 0);
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            EXPECT_EQ(code, 0) << "round " << round << ", program " << p;
            if (code == 0) reported.insert(words[p].begin(), words[p].end());
        }
        const std::string saved = read_file(user_path);
        ASSERT_TRUE(well_formed(saved)) << "round " << round;
        const std::set<std::string> now = words_in(saved);
        for (const auto& w : reported)
            ASSERT_EQ(now.count(w), 1u) << w << " lost in round " << round;
        size_t lines = 0;
        for (size_t at = saved.find('\n'); at != std::string::npos; at = saved.find('\n', at + 1))
            ++lines;
        ASSERT_EQ(lines, now.size()) << "a word saved twice in round " << round;
    }
}

TEST(SeveralPrograms, AFailedSaveReachesTheHostWithItsReason) {
    ScratchDir dir;
    const std::string main_path = dir.file("main.dic");
    const std::string user_path = dir.file("user.dic");
    write_file(main_path, "alpha\r\n");
    write_file(user_path, "old\r\n");
    ASSERT_EQ(mkdir(dir.file("user.BAK").c_str(), 0700), 0);
    Host host;
    ASSERT_TRUE(host.open(main_path, user_path));
    ASSERT_EQ(host.add("pending"), 0);
    // A reopen cannot save: the session stays, with its word.
    EXPECT_EQ(host.init2(main_path.c_str(), user_path.c_str(), 0, 0), 0);
    CheckResult result;
    EXPECT_EQ(host.check("pending", &result), CheckNoErrors);
    host.terminate();
    const std::string shown =
        "LumoSpell Error 140 8904: the user dictionary could not be saved: Is a directory";
    EXPECT_EQ(messages, (std::vector<std::string>{shown, shown}));
    char reason[8];
    EXPECT_EQ(host.save_result(reason, sizeof reason), SpellErrUdrSave);
    EXPECT_STREQ(reason, "Is a di");
    EXPECT_EQ(read_file(user_path), "old\r\n");
}
