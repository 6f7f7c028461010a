// The single-pass masker against the pass-by-pass one it replaced: the
// same bytes for every text and every combination of flags.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "front/prefilter_oracle.h"
#include "prefilter.h"

using lumo::front::PrefilterFlags;
using lumo::front::TextBufferSize;

namespace {

const lumo::platform::LeadByteSet shift_jis = lumo::platform::shift_jis_lead_bytes();

// Bits: double-byte text, web addresses, paths, no lead-byte set.
PrefilterFlags flags_from(int bits) {
    PrefilterFlags f;
    f.doubleByteText = (bits & 1) != 0;
    f.maskWebAddresses = (bits & 2) != 0;
    f.maskPaths = (bits & 4) != 0;
    f.leadBytes = (bits & 8) != 0 ? nullptr : &shift_jis;
    return f;
}

void expect_same(const std::string& text) {
    static char ours[TextBufferSize];
    static char oracle[TextBufferSize];
    for (int bits = 0; bits < 16; ++bits) {
        const PrefilterFlags f = flags_from(bits);
        lumo::front::prefilterText(text.data(), text.size(), ours, f);
        lumo::test::oracle::prefilter_text(text.data(), text.size(), oracle, f);
        ASSERT_EQ(std::string(ours, text.size() + 1), std::string(oracle, text.size() + 1))
            << "flags " << bits << ", text \"" << text << '"';
    }
}

}  // namespace

TEST(PrefilterEquivalence, RuleCornersGiveTheSameBytes) {
    const std::vector<std::string> texts = {
        "", "@", "a@b", "@ab x@y", "a @ b ab@cd", "x.y@z.w, http://a.b/c?d e", "ab@cd@ef",
        "see http://x,y then mail a_b@c-d.e now", "HTTP://X/y", "http:/ /http://",
        "C:\\dir\\file.txt", "note: this", "and/or", "e.g. No.5 file.txt", ":a:b", "a:b",
        "ab:c", "x.a.a.a.a.a.a/b", "\x83@b \x83\\d \xFF" "a \xB1.abc", "ab\x83", "a\tb\r\n:c",
        "abc.d@e \x01@x", "w3c.org:80/x y", "mail me@ x@y"};
    for (const std::string& text : texts) expect_same(text);
}

TEST(PrefilterEquivalence, RandomTextsOfRuleBytesGiveTheSameBytes) {
    const std::string alphabet = "ab1Z .:/\\@-_,'h\x83\xFF\xB1\t";
    std::mt19937 random(18);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        const size_t length = random() % 48;
        while (text.size() < length) {
            if (random() % 12 == 0) text += "http://";
            else text += alphabet[random() % alphabet.size()];
        }
        expect_same(text);
    }
}

TEST(PrefilterEquivalence, AFullBufferGivesTheSameBytes) {
    std::string text;
    for (int i = 0; text.size() < TextBufferSize - 1; ++i)
        text += i % 7 == 0 ? "x@y.z http://h/p a:b C:\\p " : "word.s, and/or ";
    text.resize(TextBufferSize - 1);
    expect_same(text);
    expect_same(std::string(TextBufferSize - 1, 'a') );
}
