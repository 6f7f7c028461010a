#include <gtest/gtest.h>

#include "fake_engine.h"

using lumo::test::FakeEngineFixture;
using lumo::test::shown_messages;
using Calls = std::vector<std::string>;

TEST(Session, BindsOnceAndIgnoresTheSecondPath) {
    FakeEngineFixture f;
    EXPECT_EQ(f.front->init("first"), 1);
    EXPECT_EQ(f.front->init("second"), 1);
    EXPECT_EQ(f.engine.loads, 1);
    EXPECT_EQ(f.engine.loaded_path, "first");
    EXPECT_EQ(f.engine.releases, 0);
}

TEST(Session, MissingEntryPointReleasesTheLibraryAndLeavesItUnbound) {
    for (int missing : {1, 9, 16}) {
        FakeEngineFixture f;
        f.engine.missing_ordinal = missing;
        EXPECT_EQ(f.front->init("engine"), 0) << missing;
        EXPECT_FALSE(f.front->bound());
        EXPECT_EQ(f.engine.releases, 1);
        // Nothing may be called while unbound, and a good library binds later.
        EXPECT_EQ(f.front->init2("main", "user", 0, 1), 0);
        EXPECT_TRUE(f.engine.calls.empty());
        f.engine.missing_ordinal = 0;
        EXPECT_EQ(f.front->init("engine"), 1);
    }
}

TEST(Session, UnloadableLibraryOrNullPathFails) {
    FakeEngineFixture f;
    f.engine.load_fails = true;
    EXPECT_EQ(f.front->init("nowhere"), 0);
    char path[4];
    EXPECT_EQ(f.front->last_failure(nullptr, path, sizeof path, nullptr, 0), 100);
    EXPECT_STREQ(path, "now") << "cut to fit";
    EXPECT_EQ(f.engine.releases, 0);
    EXPECT_FALSE(f.front->bound());
}

TEST(Session, OpensWithTheExactCallSequence) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.front->doubleByteText = 1;
    EXPECT_EQ(f.front->init2("main.dic", "user.dic", 0, 0), 1);
    EXPECT_EQ(f.engine.calls, (Calls{"SpellInit special=given",
                                     "SpellVerifyMdr main.dic 1033 65535",
                                     "SpellOpenMdr 1 main.dic (null) 0 1 1033 record",
                                     "SpellOpenUdr 1 user.dic 1 0xfffe id flag",
                                     "SpellOptions 1 1"}));
    EXPECT_EQ(f.front->doubleByteText, 0);
    EXPECT_TRUE(shown_messages.empty());
    for (unsigned char b : f.front->specialChars) EXPECT_EQ(b, 0);
}

TEST(Session, ReportedLanguageReplacesTheRequestedOne) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.engine.verify_writes_language = 2057;
    EXPECT_EQ(f.front->init2("m", "u", 1041, 7), 1);
    EXPECT_EQ(f.engine.calls[1], "SpellVerifyMdr m 1041 65535");
    EXPECT_EQ(f.engine.calls[2], "SpellOpenMdr 1 m (null) 0 1 2057 record");
    EXPECT_EQ(f.front->doubleByteText, 7);

    f.engine.calls.clear();
    f.engine.verify_writes_language = 0xFFFF;
    EXPECT_EQ(f.front->init2("m", "u", 1041, 1), 1);
    EXPECT_EQ(f.engine.calls[2], "SpellOpenMdr 1 m (null) 0 1 1041 record");
}

TEST(Session, EachFailingStepShowsItsMessageAndStops) {
    struct Case {
        uint16_t lumo::test::FakeEngine::*code;
        uint16_t value;
        const char* message;
        size_t calls;
        int step;
        const char* path;
    };
    const Case cases[] = {
        {&lumo::test::FakeEngine::verify_code, 0x8803, "LumoSpell|LumoSpell Error 112 8803 65535", 2,
         112, "m"},
        {&lumo::test::FakeEngine::open_mdr_code, 3, "LumoSpell|LumoSpell Error 124 3", 3, 124, "m"},
        {&lumo::test::FakeEngine::open_udr_code, 0x8904, "LumoSpell|LumoSpell Error 129 8904", 4,
         129, "u"},
        {&lumo::test::FakeEngine::options_code, 0xABCD, "LumoSpell|LumoSpell Error 134 abcd", 5,
         134, "m"},
    };
    for (const Case& c : cases) {
        FakeEngineFixture f;
        ASSERT_TRUE(f.bind());
        f.engine.*c.code = c.value;
        EXPECT_EQ(f.front->init2("m", "u", 0, 0), 0) << c.message;
        EXPECT_EQ(shown_messages, Calls{c.message});
        EXPECT_EQ(f.engine.calls.size(), c.calls) << c.message;
        EXPECT_EQ(f.front->doubleByteText, 1) << "a failed open keeps the flag";
        // The host learns the same step with the file and a reason; a good open clears it.
        int code = 0;
        char path[8], reason[64];
        EXPECT_EQ(f.front->last_failure(&code, path, sizeof path, reason, sizeof reason), c.step);
        EXPECT_EQ(code, c.value);
        EXPECT_STREQ(path, c.path);
        EXPECT_STRNE(reason, "");
        f.engine.*c.code = 0;
        EXPECT_EQ(f.front->init2("m", "u", 0, 0), 1);
        EXPECT_EQ(f.front->last_failure(nullptr, nullptr, 0, nullptr, 0), 0);
    }
}

TEST(Session, VerifyFailureShowsTheLanguageTheEngineReported) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.engine.verify_code = 0x8803;
    f.engine.verify_writes_language = 1041;
    EXPECT_EQ(f.front->init2("m", "u", 0, 0), 0);
    EXPECT_EQ(shown_messages, Calls{"LumoSpell|LumoSpell Error 112 8803 1041"});
}

TEST(Session, FailingSpellInitIsSilent) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.engine.init_code = 1;
    EXPECT_EQ(f.front->init2("m", "u", 0, 0), 0);
    EXPECT_EQ(f.engine.calls.size(), 1u);
    EXPECT_TRUE(shown_messages.empty());
}

TEST(Session, TerminateEndsTheSessionOnceAndKeepsTheRest) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    ASSERT_EQ(f.front->init2("m", "u", 0, 0), 1);
    f.engine.calls.clear();
    f.front->terminate();
    f.front->terminate();
    EXPECT_EQ(f.engine.calls, Calls{"SpellTerminate 1 1"});
    EXPECT_EQ(f.engine.releases, 1);
    EXPECT_FALSE(f.front->bound());
    EXPECT_EQ(f.front->engineSession, 1u);
    // Bound again, it loads the library afresh.
    EXPECT_EQ(f.front->init("engine"), 1);
    EXPECT_EQ(f.engine.loads, 2);
}

TEST(Session, TerminateWhileUnboundCallsNothing) {
    FakeEngineFixture f;
    f.front->terminate();
    EXPECT_TRUE(f.engine.calls.empty());
    EXPECT_EQ(f.engine.releases, 0);
}
