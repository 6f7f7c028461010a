// The variant a locale names, and the installed dictionary of a variant.
#include "speller/language.h"

#include <gtest/gtest.h>

#include "test_support.h"

using lumo::tool::language_dictionary;
using lumo::tool::language_of_locale;

TEST(LanguageOfLocale, NamesTheVariantOrNoneForAnotherLanguage) {
    const struct {
        const char* locale;
        const char* variant;
    } cases[] = {
        {"en_GB.UTF-8", "en_GB"},
        {"en_US", "en_US"},
        {"en_CA.utf8", "en_CA"},
        {"en_AU.ISO-8859-1", "en_AU"},
        {"en_GB@euro", "en_GB"},
        {"en", "en_US"},
        {"en_IE.UTF-8", "en_GB"},
        {"en_NZ.UTF-8", "en_AU"},
        {"de_DE.UTF-8", ""},
        {"C.UTF-8", ""},
        {"POSIX", ""},
        {"", ""},
        {"eng", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(language_of_locale(c.locale), c.variant) << c.locale;
}

TEST(LanguageDictionary, NamesTheFileThatIsMissingOrCutShort) {
    lumo::test::ScratchDir dir;
    lumo::test::write_file(dir.file("en_US.dic"), "color\r\ncolour\r\n");
    lumo::test::write_file(dir.file("en_GB.dic"), "colour\r\ncol");
    lumo::test::write_file(dir.file("en_CA.dic"), "");
    std::string path, error;
    EXPECT_TRUE(language_dictionary(dir.path(), "en_US", path, error)) << error;
    EXPECT_EQ(path, dir.file("en_US.dic"));
    for (const char* name : {"en_GB", "en_CA"}) {
        EXPECT_FALSE(language_dictionary(dir.path(), name, path, error));
        EXPECT_NE(error.find(dir.file(std::string(name) + ".dic") + " is cut short"),
                  std::string::npos)
            << error;
    }
    EXPECT_FALSE(language_dictionary(dir.path(), "en_AU", path, error));
    EXPECT_NE(error.find(dir.file("en_AU.dic") + " is not installed (installed: en_US, en_GB, "
                                                 "en_CA)"),
              std::string::npos)
        << error;
}
