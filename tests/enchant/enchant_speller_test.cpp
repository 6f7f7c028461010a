#include "enchant_speller.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>

namespace lumo::enchant {
namespace {

class EnchantSpellerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = ::testing::TempDir() + "enchant_speller_" + std::to_string(getpid());
        ASSERT_EQ(system(("mkdir -p " + folder_).c_str()), 0);
        std::ofstream(folder_ + "/main.dic") << "the\nquick\nbrown\nfox\ndon't\njumps\n";
        std::ofstream(folder_ + "/user.dic");
        paths_ = {LUMOSPELL_LIBRARY_DIR, folder_ + "/main.dic", folder_ + "/user.dic"};
    }
    void TearDown() override { system(("rm -rf " + folder_).c_str()); }

    std::string folder_;
    SpellerPaths paths_;
};

TEST_F(EnchantSpellerTest, ChecksWordsOneAtATime) {
    EnchantSpeller speller;
    std::string error;
    EXPECT_EQ(speller.check("fox"), -1);  // not open yet
    ASSERT_TRUE(speller.acquire(paths_, error)) << error;
    const struct {
        const char* word;
        int expected;
    } cases[] = {{"fox", 0},   {"Fox", 0},         {"foxx", 1},      {"don't", 0},
                 {"don\xE2\x80\x99t", 0},          {"caf\xC3\xA9", 1}, {"quick-brown", 0}};
    for (const auto& c : cases) EXPECT_EQ(speller.check(c.word), c.expected) << c.word;
    const std::vector<std::string> suggestions = speller.suggest("foxx", 5);
    ASSERT_FALSE(suggestions.empty());
    EXPECT_EQ(suggestions.front(), "fox");
    speller.release();
}

TEST_F(EnchantSpellerTest, SessionSharedUntilTheLastUserAndPersonalWordsSaved) {
    EnchantSpeller speller;
    std::string error;
    ASSERT_TRUE(speller.acquire(paths_, error)) << error;
    ASSERT_TRUE(speller.acquire(paths_, error)) << error;
    speller.add_to_session("zorp");
    speller.add_to_personal("quux");
    EXPECT_EQ(speller.check("zorp"), 0);  // the session list survives the save
    std::ifstream saved(folder_ + "/user.dic");
    const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("quux"), std::string::npos);
    speller.release();
    EXPECT_EQ(speller.check("zorp"), 0);  // one user left
    speller.release();
    EXPECT_EQ(speller.check("zorp"), -1);
    ASSERT_TRUE(speller.acquire(paths_, error));
    EXPECT_EQ(speller.check("zorp"), 1);  // a new session
    EXPECT_EQ(speller.check("quux"), 0);
    speller.release();
}

TEST(EnchantSpellerPaths, TagsAndEnvironment) {
    for (const char* tag : {"en", "en_US", "en-US"}) EXPECT_TRUE(is_offered_tag(tag)) << tag;
    for (const char* tag : {"", "en_GB", "de", "english"}) EXPECT_FALSE(is_offered_tag(tag)) << tag;
    unsetenv("LUMOSPELL_MAIN_DICT");
    setenv("LUMOSPELL_LIBRARY_DIR", "/elsewhere", 1);
    const SpellerPaths p = paths_from_environment("/usr/lib", "/usr/share/lumospell/main.dic");
    EXPECT_EQ(p.library_dir, "/elsewhere");
    EXPECT_EQ(p.main_dict, "/usr/share/lumospell/main.dic");
    unsetenv("LUMOSPELL_LIBRARY_DIR");
}

TEST_F(EnchantSpellerTest, MissingDictionaryIsAnError) {
    EnchantSpeller speller;
    std::string error;
    paths_.main_dict = folder_ + "/absent.dic";
    EXPECT_FALSE(speller.acquire(paths_, error));
    EXPECT_NE(error.find("absent.dic"), std::string::npos);
    EXPECT_EQ(speller.check("fox"), -1);
}

}  // namespace
}  // namespace lumo::enchant
