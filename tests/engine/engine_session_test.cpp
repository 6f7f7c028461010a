#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "engine.h"
#include "test_support.h"
#include "word_list.h"

using namespace lumo::engine;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

struct Fixture {
    ScratchDir dir;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::string main_path = dir.file("main.dic");
    std::string user_path = dir.file("user.dic");

    Fixture() {
        write_file(main_path, "apple\r\nbanana\r\n");
        write_file(user_path, "mine\r\n");
    }
    void open() {
        uint32_t id = 0;
        ASSERT_EQ(engine->init(&id), 0);
        EXPECT_EQ(id, 1u);
        uint16_t language = 0xFFFF;
        ASSERT_EQ(engine->verify_main(main_path.c_str(), &language), 0);
        EXPECT_EQ(language, 0);
        ASSERT_EQ(engine->open_main(main_path.c_str()), 0);
        ASSERT_EQ(engine->open_user(user_path.c_str()), 0);
    }
    int find(const char* word) { return engine->table().lookup(word, ModeFind, 0); }
};

}  // namespace

TEST(EngineSession, ReportsTheDesignatedCodesForMissingFiles) {
    Fixture f;
    uint16_t language = 0xFFFF;
    EXPECT_EQ(f.engine->verify_main(f.dir.file("none").c_str(), &language), SpellErrMdrAccess);
    EXPECT_EQ(language, 0xFFFF);
    EXPECT_EQ(f.engine->open_main(f.dir.file("none").c_str()), SpellErrOpenMdr);
    EXPECT_EQ(f.engine->open_user(f.dir.file("none").c_str()), SpellErrOpenUdr);
    EXPECT_EQ(f.engine->refuse_user(), SpellErrOpenUdr);
    EXPECT_EQ(f.engine->user_dict_path(), nullptr);
}

TEST(EngineSession, MissingUserDictionaryMeansNothingIsSaved) {
    Fixture f;
    f.open();
    const std::string other = f.dir.file("other.dic");
    EXPECT_EQ(f.engine->open_user(other.c_str()), SpellErrOpenUdr);
    // The earlier path is kept; a failed open cleared the changed flag.
    EXPECT_STREQ(f.engine->user_dict_path(), f.user_path.c_str());
    EXPECT_FALSE(f.engine->user_dict_changed());
}

TEST(EngineSession, CreateFlagStartsAMissingUserDictionaryEmpty) {
    Fixture f;
    ASSERT_EQ(f.engine->init(nullptr), 0);
    ASSERT_EQ(f.engine->open_main(f.main_path.c_str()), 0);
    const std::string fresh = f.dir.file("fresh.dic");
    ASSERT_EQ(f.engine->open_user(fresh.c_str(), true), 0);
    EXPECT_EQ(read_file(fresh), "");
    EXPECT_STREQ(f.engine->user_dict_path(), fresh.c_str());
    EXPECT_EQ(f.engine->add_word(0, "zork"), 0);
    EXPECT_EQ(f.engine->terminate(), 0);
    EXPECT_EQ(read_file(fresh), "zork\r\n");
    // An existing file is loaded, not replaced; a missing folder still fails.
    ASSERT_EQ(f.engine->init(nullptr), 0);
    ASSERT_EQ(f.engine->open_user(fresh.c_str(), true), 0);
    EXPECT_EQ(f.find("zork"), LookupKnown);
    EXPECT_EQ(f.engine->open_user(f.dir.file("none/user.dic").c_str(), true), SpellErrOpenUdr);
}

// Another program's save renames the dictionary aside before it renames
// the new list in: a create meanwhile must wait for the lock, not make an
// empty file that the save's second rename then cannot replace.
TEST(EngineSession, CreateFlagWaitsForASaveBetweenItsRenames) {
    Fixture f;
    ASSERT_EQ(f.engine->init(nullptr), 0);
    ASSERT_EQ(f.engine->open_main(f.main_path.c_str()), 0);
    const SaveFileOps& ops = system_save_file_ops();
    const auto held = lock_user_dictionary(f.user_path.c_str(), f.engine->lead_bytes, true, ops);
    ASSERT_NE(held, lumo::platform::NoLock);
    const std::string aside = f.dir.file("user.BAK");
    ASSERT_EQ(std::rename(f.user_path.c_str(), aside.c_str()), 0);
    uint16_t opened = 1;
    std::thread other([&] { opened = f.engine->open_user(f.user_path.c_str(), true); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(file_exists(f.user_path)) << "made while the save held the lock";
    ASSERT_EQ(std::rename(aside.c_str(), f.user_path.c_str()), 0);
    ops.unlock(held);
    other.join();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(f.find("mine"), LookupKnown);
}

TEST(EngineSession, OnlyIgnoreAlwaysWordsStillRewriteTheUserDictionary) {
    Fixture f;
    f.open();
    EXPECT_EQ(f.engine->add_word(UdrIgnoreAlways, "zork"), 0);
    EXPECT_EQ(f.find("ZORK"), LookupKnown);
    EXPECT_EQ(f.engine->terminate(), 0);
    EXPECT_EQ(read_file(f.user_path), "mine\r\n");
    EXPECT_TRUE(file_exists(f.dir.file("user.BAK")));
}

TEST(EngineSession, OnlyChangeAlwaysPairsSaveNothing) {
    Fixture f;
    f.open();
    EXPECT_EQ(f.engine->add_change("teh", "the"), 0);
    EXPECT_EQ(f.engine->add_change("recieve", "receive"), 0);
    EXPECT_EQ(f.find("teh"), 1);
    EXPECT_EQ(f.find("Recieve"), 2);
    EXPECT_STREQ(f.engine->change_at(2), "receive");
    EXPECT_EQ(f.engine->terminate(), 0);
    EXPECT_FALSE(file_exists(f.dir.file("user.BAK")));
}

TEST(EngineSession, CloseThenTerminateSavesOnce) {
    Fixture f;
    f.open();
    f.engine->add_word(0, "extra");
    EXPECT_EQ(f.engine->close_user(), 0);
    EXPECT_EQ(f.engine->user_dict_path(), nullptr);
    EXPECT_TRUE(f.engine->user_dict_changed());
    unlink(f.dir.file("user.BAK").c_str());
    EXPECT_EQ(f.engine->terminate(), 0);
    EXPECT_FALSE(file_exists(f.dir.file("user.BAK")));
    EXPECT_EQ(f.engine->terminate(), 0);
}

TEST(EngineSession, KnownWordsKeepTheirTagWhenAddedAgain) {
    Fixture f;
    f.open();
    f.engine->add_word(UdrIgnoreAlways, "zork");
    f.engine->add_change("teh", "the");
    f.engine->add_word(0, "zork");
    f.engine->add_word(0, "teh");
    f.engine->add_word(0, "apple");
    EXPECT_EQ(f.find("teh"), 1);
    ASSERT_EQ(f.engine->close_user(), 0);
    // Only the ignore-always word becomes a user word when added.
    const std::string saved = read_file(f.user_path);
    EXPECT_NE(saved.find("mine\r\n"), std::string::npos);
    EXPECT_NE(saved.find("zork\r\n"), std::string::npos);
    EXPECT_EQ(saved.size(), 12u);
}

TEST(EngineSession, ChangeIndicesRunOnAndTheHundredthPairIsRefused) {
    Fixture f;
    f.open();
    for (int i = 1; i <= 99; ++i) {
        const std::string word = "w" + std::to_string(i);
        ASSERT_EQ(f.engine->add_change(word.c_str(), "r"), 0);
        EXPECT_EQ(f.find(word.c_str()), i);
    }
    EXPECT_EQ(f.engine->add_change("w100", "r"), SpellErrChangeTableFull);
    EXPECT_EQ(f.find("w100"), LookupAbsent);
    // A new session does not hand the indices out again.
    f.open();
    EXPECT_EQ(f.engine->add_change("again", "r"), SpellErrChangeTableFull);
}

TEST(EngineSession, AdditionsBeyondTheSpareRoomAreAllKeptAndSaved) {
    Fixture f;
    f.open();
    std::string expected_words;
    for (int i = 0; i < 3000; ++i) {
        const std::string word = "added" + std::to_string(i);
        ASSERT_EQ(f.engine->add_word(0, word.c_str()), 0);
    }
    for (int i = 0; i < 3000; i += 7)
        EXPECT_EQ(f.find(("added" + std::to_string(i)).c_str()), LookupKnown);
    ASSERT_EQ(f.engine->terminate(), 0);
    const std::string saved = read_file(f.user_path);
    EXPECT_NE(saved.find("added2999\r\n"), std::string::npos);
    EXPECT_NE(saved.find("mine\r\n"), std::string::npos);
}

TEST(EngineSession, AdditionsBeforeAnyLoadAreKept) {
    auto engine = std::make_unique<Engine>();
    EXPECT_EQ(engine->add_word(0, "early"), 0);
    EXPECT_EQ(engine->add_change("erly", "early"), 0);
    EXPECT_EQ(engine->table().lookup("early", ModeFind, 0), LookupKnown);
    EXPECT_EQ(engine->terminate(), 0);  // no path: nothing to save
}

TEST(EngineSession, InitStartsAFreshTableSoDictionariesCanBeLoadedAgain) {
    Fixture f;
    f.open();
    f.engine->add_word(0, "session1");
    f.engine->add_change("teh", "the");
    f.open();
    // The reopen saved the addition first; the change-always pair is gone.
    EXPECT_EQ(f.find("session1"), LookupKnown);
    EXPECT_EQ(f.find("teh"), LookupAbsent);
    EXPECT_EQ(f.find("banana"), LookupKnown);
    EXPECT_EQ(f.find("mine"), LookupKnown);
    EXPECT_FALSE(f.engine->user_dict_changed());
}

TEST(EngineSession, UserWordAlsoInMainDictionaryDropsOutAtTheNextSave) {
    Fixture f;
    write_file(f.user_path, "apple\r\nmine\r\n");
    f.open();
    f.engine->add_word(0, "new");
    ASSERT_EQ(f.engine->terminate(), 0);
    const std::string saved = read_file(f.user_path);
    EXPECT_EQ(saved.find("apple"), std::string::npos);
    EXPECT_NE(saved.find("mine\r\n"), std::string::npos);
}
