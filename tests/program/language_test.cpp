// Each variant of English as a user chooses it: its spellings accepted or
// flagged, its suggestions, the locale's choice and the errors.
#include <gtest/gtest.h>

#include "run_program.h"
#include "test_support.h"

namespace {

struct Locale {
    std::string lc_all, lang;
};

lumo::test::ProgramRun run_with(const lumo::test::ScratchDir& dir, std::vector<std::string> args,
                                const std::string& input, const Locale& locale = {}) {
    args.insert(args.begin(), LUMOSPELL_PROGRAM);
    args.insert(args.end(), {"--user-dict", dir.file("user.dic")});
    return lumo::test::run_program(
        args, input,
        {"HOME=" + dir.path(), "LC_ALL=" + locale.lc_all, "LC_MESSAGES=", "LANG=" + locale.lang});
}

}  // namespace

TEST(Language, EachVariantAcceptsItsSpellingsAndFlagsTheOthers) {
    lumo::test::ScratchDir dir;
    const std::vector<std::string> variants = {"en_US", "en_GB", "en_CA", "en_AU"};
    // A letter per variant in order: 'y' accepted, 'n' flagged.
    const struct {
        const char* word;
        const char* accepted;
    } cases[] = {
        {"color", "ynnn"},     {"colour", "nyyy"},    {"organize", "ynyn"},
        {"organise", "nyny"},  {"traveled", "ynnn"},  {"travelled", "nyyy"},
        {"licence", "nyyy"},   {"license", "yyyy"},   {"analyze", "ynyn"},
        {"analyse", "nyny"},   {"favourite", "nyyy"}, {"defense", "ynnn"},
        {"Abenomics", "yyyy"}, {"vengence", "nnnn"},  {"organization", "ynyn"},
    };
    for (size_t v = 0; v < variants.size(); ++v) {
        std::string input, flagged;
        for (const auto& c : cases) {
            input.append(c.word).append("\n");
            if (c.accepted[v] == 'n') flagged.append(c.word).append("\n");
        }
        const auto run = run_with(dir, {"list", "--lang", variants[v]}, input);
        EXPECT_EQ(run.out, flagged) << variants[v] << "\n" << run.err;
    }
}

TEST(Language, SuggestionsFollowTheVariant) {
    lumo::test::ScratchDir dir;
    const struct {
        const char* lang;
        const char* word;
        const char* first;
    } cases[] = {
        {"en_US", "lisence", "license"}, {"en_GB", "lisence", "licence"},
        {"en_US", "colr", "color"},      {"en_GB", "colr", "colour"},
        {"en_AU", "colr", "colour"},     {"en_CA", "lisence", "licence"},
    };
    for (const auto& c : cases) {
        const auto run = run_with(dir, {"check", "--lang", c.lang}, std::string(c.word) + "\n");
        const std::string expected = "<stdin>:1:1: " + std::string(c.word) + ": " + c.first;
        EXPECT_EQ(run.out.substr(0, expected.size()), expected) << c.lang << " " << run.out;
    }
}

TEST(Language, TheLocaleChoosesAndVerboseSaysWhy) {
    lumo::test::ScratchDir dir;
    const struct {
        Locale locale;
        const char* lang;
        const char* says;
    } cases[] = {
        {{"", "en_GB.UTF-8"}, "", "language en_GB (from LANG=en_GB.UTF-8)"},
        {{"en_AU.UTF-8", "en_GB.UTF-8"}, "", "language en_AU (from LC_ALL=en_AU.UTF-8)"},
        {{"", "de_DE.UTF-8"}, "", "language en_US (LANG=de_DE.UTF-8 has no English of ours"},
        {{"", ""}, "", "language en_US (no locale set; en_US)"},
        {{"", "en_CA.UTF-8"}, "en", "language en_CA (from LANG=en_CA.UTF-8)"},
        {{"", "en_CA.UTF-8"}, "en_GB", "language en_GB (--lang en_GB)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"check", "-v"};
        if (*c.lang) args.insert(args.end(), {"--lang", c.lang});
        const auto run = run_with(dir, args, "word\n", c.locale);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.says << "\n" << run.err;
    }
}

TEST(Language, ThePipeTakesAnIspellDictionaryNameOfAVariant) {
    lumo::test::ScratchDir dir;
    const struct {
        const char* name;
        const char* colour;
    } cases[] = {{"en_GB", "*"}, {"british", "*"},  {"en_GB-ise", "*"},
                 {"en_US", "&"}, {"american", "&"}, {"english", "&"}};
    for (const auto& c : cases) {
        const auto run = run_with(dir, {"-a", "-d", c.name}, "colour\n");
        const size_t line = run.out.find('\n');
        ASSERT_NE(line, std::string::npos) << c.name << run.err;
        EXPECT_EQ(run.out.substr(line + 1, 1), c.colour) << c.name << "\n" << run.out;
    }
}

TEST(Language, AnUnknownNameIsAnErrorListingTheInstalledOnes) {
    lumo::test::ScratchDir dir;
    for (const char* name : {"fr_FR", "en_NZ", "EN_GB"}) {
        const auto run = run_with(dir, {"check", "--lang", name}, "word\n");
        EXPECT_EQ(run.exit_code, 2) << name;
        EXPECT_NE(run.err.find("installed: en_US en_GB en_CA en_AU"), std::string::npos)
            << name << ": " << run.err;
    }
}
