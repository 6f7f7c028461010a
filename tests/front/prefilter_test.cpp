#include "prefilter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

using lumo::front::checked_text_length;
using lumo::front::prefilterText;
using lumo::front::PrefilterFlags;
using lumo::front::TextBufferSize;
using lumo::platform::lead_bytes_for_codeset;
using lumo::platform::LeadByteSet;

namespace {

const LeadByteSet shift_jis = lead_bytes_for_codeset("SHIFT_JIS");
const LeadByteSet utf8 = lead_bytes_for_codeset("UTF-8");

PrefilterFlags flags(bool double_byte, bool web, bool paths, const LeadByteSet& lead = shift_jis) {
    PrefilterFlags f;
    f.doubleByteText = double_byte;
    f.maskWebAddresses = web;
    f.maskPaths = paths;
    f.leadBytes = &lead;
    return f;
}

std::string mask(const std::string& text, const PrefilterFlags& f) {
    static char buffer[TextBufferSize];
    std::memset(buffer, 'X', sizeof buffer);
    prefilterText(text.c_str(), text.size(), buffer, f);
    EXPECT_EQ(buffer[text.size()], '\0');
    return std::string(buffer, text.size());
}

std::string web(const std::string& text) { return mask(text, flags(true, true, false)); }
std::string paths(const std::string& text) { return mask(text, flags(true, false, true)); }
std::string spaces(size_t n) { return std::string(n, ' '); }

}  // namespace

TEST(Prefilter, EmptyTextStaysEmpty) { EXPECT_EQ(web(""), ""); }

TEST(Prefilter, ControlCharactersBecomeSpacesAndNothingMoves) {
    EXPECT_EQ(web("a\tb\r\nc\x01"), "a b  c ");
}

TEST(Prefilter, LeadByteTakesItsTrailWhateverItIs) {
    EXPECT_EQ(web("\x83\x40x"), "  x");
    EXPECT_EQ(web("a\x83@b"), "a  b");
    EXPECT_EQ(web("\x83\\dir"), "  dir");
    EXPECT_EQ(web("ab\x83"), "ab ");
    // A single-byte character of 0x80 and above goes on its own.
    EXPECT_EQ(web("\xB1" "ab"), " ab");
}

TEST(Prefilter, ByteFFTakesTheNextByteInEitherMode) {
    EXPECT_EQ(mask("\xFF" "ab", flags(false, true, false)), "  b");
    EXPECT_EQ(mask("\xFF" "ab", flags(true, true, false)), "  b");
    EXPECT_EQ(mask("a\xFF", flags(false, true, false)), "a ");
}

TEST(Prefilter, HighBytesStayWhenNotDoubleByteAndAreNoLetters) {
    const PrefilterFlags single = flags(false, true, true);
    EXPECT_EQ(mask("caf\xE9 ok", single), "caf\xE9 ok");
    // Three bytes before the dot that are no alphanumerics: no path.
    EXPECT_EQ(mask("\xE9\xE9\xE9.txt", single), "\xE9\xE9\xE9.txt");
    EXPECT_EQ(mask("\xE9@ab", single), "\xE9@ab");
}

TEST(Prefilter, Utf8LocaleKeepsLettersThatFollowJapanese) {
    // U+3042 in UTF-8 is E3 81 82; read as Shift-JIS, 82 would swallow the a.
    const std::string text = "\xE3\x81\x82" "abc";
    EXPECT_EQ(mask(text, flags(true, true, false, utf8)), "   abc");
    EXPECT_EQ(mask(text, flags(true, true, false, shift_jis)), "    bc");
}

TEST(Prefilter, BlanksWebAddressUpToSpace) {
    EXPECT_EQ(web("go http://a.b/c,d, then"), "go " + spaces(15) + " then");
    EXPECT_EQ(web("x http://a y http://b"), "x " + spaces(8) + " y " + spaces(8));
    EXPECT_EQ(web("end http://"), "end " + spaces(7));
}

TEST(Prefilter, CapitalHttpIsNoWebAddress) {
    EXPECT_EQ(web("HTTP://x.y z"), "HTTP   x.y z");
    EXPECT_EQ(mask("HTTP://x.y z", flags(true, true, true)), "HTTP" + spaces(6) + " z");
}

TEST(Prefilter, BlanksEmailAddressWithItsDotsHyphensAndUnderscores) {
    EXPECT_EQ(web("mail ab@cd now"), "mail       now");
    EXPECT_EQ(web("to a.b-c_d@e-f.g, ok"), "to " + spaces(13) + "  ok");
    EXPECT_EQ(web("a@b c@d"), spaces(3) + " " + spaces(3));
}

TEST(Prefilter, FirstAtSignThatIsNoAddressEndsTheWebPass) {
    EXPECT_EQ(web("a @ b ab@cd"), "a @ b ab@cd");
    EXPECT_EQ(web("@ab x@y"), "@ab x@y");
    EXPECT_EQ(web("ab@ x@y"), "ab@ x@y");
    // After the first address its right neighbour is blank: the pass ends.
    EXPECT_EQ(web("a@b@c"), "   @c");
    // An address found first does not stop a later web address.
    EXPECT_EQ(web("a@b http://c"), spaces(3) + " " + spaces(8));
}

TEST(Prefilter, WebMaskingOffLeavesAddressesToThePunctuationPass) {
    EXPECT_EQ(mask("ab@cd http://x", flags(true, false, false)), "ab@cd http   x");
}

TEST(Prefilter, BlanksPathsAndDottedNames) {
    EXPECT_EQ(paths("C:\\dir\\file.txt"), spaces(15));
    EXPECT_EQ(paths("note: this"), "note  this");
    EXPECT_EQ(paths("and/or"), spaces(6));
    EXPECT_EQ(paths("e.g."), "e.g.");
    EXPECT_EQ(paths("No.5"), "No.5");
    EXPECT_EQ(paths("file.txt"), spaces(8));
    EXPECT_EQ(paths("see file.txt now"), "see " + spaces(8) + " now");
    EXPECT_EQ(paths("abc. next"), "abc. next");
}

TEST(Prefilter, ColonsOnlyStartPathsAfterASingleLetter) {
    EXPECT_EQ(paths(":ab"), " ab");
    EXPECT_EQ(paths("a:b"), spaces(3));
    EXPECT_EQ(paths("x a:b y"), "x " + spaces(3) + " y");
    EXPECT_EQ(paths("1:30"), "1 30");
    EXPECT_EQ(paths("ab:cd"), "ab cd");
}

TEST(Prefilter, PathMaskingOffLeavesSeparatorsToThePunctuationPass) {
    EXPECT_EQ(web("C:\\dir\\file.txt"), "C  dir file.txt");
    EXPECT_EQ(web("and/or"), "and or");
}

TEST(Prefilter, PunctuationPassBlanksExactlyItsTable) {
    std::string printable;
    for (int b = 0x21; b <= 0x7E; ++b) printable += static_cast<char>(b);
    const std::string out = mask(printable, flags(false, false, false));
    for (size_t i = 0; i < printable.size(); ++i) {
        const char c = printable[i];
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '\'' || c == '-' ||
                          c == '.' || c == '@' || c == '_' || c == '`';
        EXPECT_EQ(out[i], kept ? c : ' ') << "byte " << int(c);
    }
}

TEST(Prefilter, EveryByteValueLeavesOnlyWhatTheEngineMaySee) {
    std::string all;
    for (int b = 1; b <= 255; ++b) all += static_cast<char>(b);
    for (bool double_byte : {false, true}) {
        for (bool web_on : {false, true}) {
            for (bool paths_on : {false, true}) {
                const std::string out = mask(all, flags(double_byte, web_on, paths_on));
                ASSERT_EQ(out.size(), all.size());
                for (unsigned char c : out) {
                    // DEL is no control character to the first pass; the
                    // engine takes it for a separator.
                    const bool allowed = c == ' ' || c == 0x7F || std::isalnum(c) || c == '\'' || c == '-' ||
                                         c == '.' || c == '@' || c == '_' || c == '`' ||
                                         (!double_byte && c >= 0x80 && c <= 0xFE);
                    EXPECT_TRUE(allowed) << int(c);
                }
            }
        }
    }
}

TEST(Prefilter, TextThatFitsIsTakenWhole) {
    EXPECT_EQ(checked_text_length(""), 0u);
    EXPECT_EQ(checked_text_length("two words"), 9u);
    const std::string full(TextBufferSize - 1, 'a');
    EXPECT_EQ(checked_text_length(full.c_str()), TextBufferSize - 1);
}

TEST(Prefilter, LongTextIsCutBeforeAWordThatStraddlesTheLimit) {
    const size_t limit = TextBufferSize - 1;
    std::string text(limit - 3, ' ');
    text += "abcdef more";
    EXPECT_EQ(checked_text_length(text.c_str()), limit - 3);

    // A space just past the limit: nothing straddles.
    std::string clean(limit, 'a');
    clean[0] = ' ';
    clean += " tail";
    EXPECT_EQ(checked_text_length(clean.c_str()), limit);

    // Addresses and apostrophes hold a run together; a comma does not.
    std::string address(limit - 4, 'x');
    address += ",http://example rest";
    EXPECT_EQ(checked_text_length(address.c_str()), limit - 3);
    std::string quoted(limit - 2, ' ');
    quoted += "o'clock";
    EXPECT_EQ(checked_text_length(quoted.c_str()), limit - 2);
}

TEST(Prefilter, LongTextWithoutABreakIsNotExamined) {
    const std::string run(100000, 'a');
    EXPECT_EQ(checked_text_length(run.c_str()), 0u);
    std::string words;
    while (words.size() < 100000) words += "word ";
    const size_t cut = checked_text_length(words.c_str());
    EXPECT_LE(cut, TextBufferSize - 1);
    EXPECT_EQ(words[cut - 1], ' ');
}

TEST(Prefilter, LongTextIsNeverCutInsideADoubleByteCharacter) {
    const size_t limit = TextBufferSize - 1;
    // Pairs from the start, so that the limit falls between a lead byte and
    // its trail 'A' (0x82 0x41); after an odd prefix it falls after a pair.
    std::string even;
    while (even.size() < limit + 10) even += "\x82\x41";
    EXPECT_EQ(checked_text_length(even.c_str(), flags(true, true, false)), limit - 1);
    const std::string odd = " " + even;
    EXPECT_EQ(checked_text_length(odd.c_str(), flags(true, true, false)), limit);
    // Without double-byte text the bytes stand alone (0xFF always pairs).
    EXPECT_EQ(checked_text_length(even.c_str(), flags(false, true, false)), limit);
    std::string ff(limit - 1, ' ');
    ff += "\xFF" "a tail";
    EXPECT_EQ(checked_text_length(ff.c_str(), flags(false, true, false)), limit - 1);
}
