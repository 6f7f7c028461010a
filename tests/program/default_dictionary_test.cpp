// The installed main dictionary trusts the words of the English-Japanese
// dictionary text only where they stand in a headword: its glosses hold
// misspellings.
#include <gtest/gtest.h>

#include "run_program.h"
#include "test_support.h"

TEST(DefaultDictionary, RejectsMisspellingsOfTheGlossesAndKeepsHeadwords) {
    lumo::test::ScratchDir dir;
    const struct {
        const char* word;
        bool accepted;
    } cases[] = {
        {"vengence", false},     {"alligned", false},      {"excercise", false},
        {"millitary", false},    {"humurous", false},      {"inflamation", false},
        {"vengeance", true},     {"Abenomics", true},      {"Affenpinscher", true},
        {"combinatorics", true}, {"metrosexual", true},
    };
    std::string input, rejected;
    for (const auto& c : cases) {
        input.append(c.word).append("\n");
        if (!c.accepted) rejected.append(c.word).append("\n");
    }
    const auto run =
        lumo::test::run_program({LUMOSPELL_PROGRAM, "list", "--user-dict", dir.file("user.dic")},
                                input, {"HOME=" + dir.path(), "LC_ALL=C.UTF-8"});
    EXPECT_EQ(run.out, rejected) << run.err;
}
