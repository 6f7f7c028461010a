// The session's decisions and saves, through the built libraries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "speller/spell_session.h"
#include "test_support.h"

using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;
using lumo::tool::Reopened;
using lumo::tool::SessionSettings;
using lumo::tool::SpellSession;

namespace {

struct Scratch {
    ScratchDir dir;
    std::vector<std::string> messages;
    SessionSettings settings;
    SpellSession session;

    Scratch() {
        write_file(dir.file("main.dic"), "the\r\nfox\r\ndog\r\nfrog\r\n");
        write_file(dir.file("user.dic"), "");
        settings.library_dir = LUMOSPELL_LIBRARY_DIR;
        settings.data_dir = LUMOSPELL_SHARE_DIR;
        settings.main_dict = dir.file("main.dic");
        settings.user_dict = dir.file("user.dic");
        settings.message = [this](const char* text, const char*) { messages.emplace_back(text); };
    }
    bool open() {
        std::string error;
        const bool opened = session.open(settings, error);
        EXPECT_TRUE(opened) << error;
        return opened;
    }
    int status(const std::string& word) {
        CheckResult result;
        return session.front().check(word.c_str(), &result);
    }
    // A directory with something in it where the temporary file goes: no
    // save can succeed.
    void block_saves() {
        const std::string at = dir.file("~~$LUMOSP$.TMP");
        ASSERT_EQ(mkdir(at.c_str(), 0755), 0);
        write_file(at + "/inside", "x");
    }
    void unblock_saves() {
        std::remove(dir.file("~~$LUMOSP$.TMP/inside").c_str());
        rmdir(dir.file("~~$LUMOSP$.TMP").c_str());
    }
};

enum class Do { Add, Ignore, Change, Reopen, Mark, Forget };
struct Step {
    Do what;
    std::string word = {}, with = {};
};

}  // namespace

TEST(SpellSession, DecisionsReachTheFrontAndHoldAcrossReopensUntilForgotten) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::pair<std::string, int>> then;
        std::string saved;
    };
    const Case cases[] = {
        {"added, then saved by the reopen",
         {{Do::Add, "zorbleq"}, {Do::Reopen}},
         {{"zorbleq", CheckNoErrors}},
         "zorbleq\r\n"},
        {"ignored and changed, kept across the reopen and never saved",
         {{Do::Ignore, "qwxyz"}, {Do::Change, "teh", "the"}, {Do::Reopen}},
         {{"qwxyz", CheckNoErrors}, {"teh", CheckChangeAlways}},
         ""},
        {"forgotten after the mark, kept before it",
         {{Do::Ignore, "aaqq"},
          {Do::Mark},
          {Do::Ignore, "bbqq"},
          {Do::Change, "ccqq", "the"},
          {Do::Forget}},
         {{"aaqq", CheckNoErrors}, {"bbqq", CheckUnknownWord}, {"ccqq", CheckUnknownWord}},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scratch s;
        ASSERT_TRUE(s.open());
        SpellSession::Mark mark;
        for (const Step& step : c.steps) {
            std::string error;
            switch (step.what) {
                case Do::Add: EXPECT_EQ(s.session.add_word(step.word), 0); break;
                case Do::Ignore: s.session.ignore_always(step.word); break;
                case Do::Change: s.session.change_always(step.word, step.with); break;
                case Do::Reopen: EXPECT_EQ(s.session.save_and_reopen(), Reopened::Done); break;
                case Do::Mark: mark = s.session.mark(); break;
                case Do::Forget:
                    EXPECT_TRUE(s.session.forget_decisions_since(mark, error)) << error;
                    break;
            }
        }
        for (const auto& [word, status] : c.then) EXPECT_EQ(s.status(word), status) << word;
        EXPECT_EQ(read_file(s.dir.file("user.dic")), c.saved);
        EXPECT_TRUE(s.messages.empty());
    }
}

TEST(SpellSession, AFailedSaveGivesItsReasonAndKeepsTheWordsForTheNextTry) {
    Scratch s;
    ASSERT_TRUE(s.open());
    s.block_saves();
    ASSERT_EQ(s.session.add_word("zorbleq"), 0);
    EXPECT_EQ(s.session.save_and_reopen(), Reopened::SaveFailed);
    EXPECT_NE(s.session.save_error().find("(code 0x"), std::string::npos) << s.session.save_error();
    // The session tells of the failure itself; the front's message is not passed on.
    EXPECT_TRUE(s.messages.empty());
    EXPECT_EQ(s.status("zorbleq"), CheckNoErrors);
    s.unblock_saves();
    EXPECT_EQ(s.session.save_and_reopen(), Reopened::Done);
    EXPECT_TRUE(s.session.close());
    EXPECT_EQ(read_file(s.dir.file("user.dic")), "zorbleq\r\n");
}

TEST(SpellSession, TheRankerOpensOnFirstUseAndLearnsWhatWasDecidedBefore) {
    Scratch s;
    ASSERT_TRUE(s.open());
    s.session.ignore_always("frobnitz");
    EXPECT_EQ(s.session.suggest("frobbnits", 3), std::vector<std::string>{"frobnitz"});
    // Without ranking: the engine's order, from the front.
    Scratch plain;
    plain.settings.ranked = false;
    ASSERT_TRUE(plain.open());
    EXPECT_EQ(plain.session.suggest("fxo", 3), std::vector<std::string>{"fox"});
}
