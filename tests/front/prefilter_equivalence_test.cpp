// The single-pass masker against the pass-by-pass one it replaced: the
// same bytes for every text and every combination of flags.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "front/host_walk_oracle.h"
#include "front/prefilter_oracle.h"
#include "test_support.h"
#include "prefilter.h"

using lumo::front::PrefilterFlags;
using lumo::front::TextBufferSize;
using lumo::test::write_file;

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

namespace {

// Whole host walks through the real engine: the front, which masks only
// as far as the engine reads, against the whole text masked by the oracle.
class HostWalk : public ::testing::Test {
protected:
    void SetUp() override {
        write_file(dir_.file("main.dic"), "the\r\nand\r\nword\r\nwords\r\nfile\r\nmail\r\nx\r\n");
        write_file(dir_.file("user.dic"), "");
        ASSERT_EQ(front_.init(ORTHEX_LIBRARY_PATH), 1);
        ASSERT_EQ(front_.init2(dir_.file("main.dic").c_str(), dir_.file("user.dic").c_str(), 0,
                               1),
                  1);
        front_.change_always("teh", "the");
    }
    void TearDown() override { front_.terminate(); }

    void expect_same_walks(const std::string& text) {
        for (int bits = 0; bits < 8; ++bits) {
            front_.doubleByteText = bits & 1;
            front_.maskWebAddresses = (bits >> 1) & 1;
            front_.maskPaths = (bits >> 2) & 1;
            std::string why;
            ASSERT_EQ(lumo::test::first_walk_difference(front_, &shift_jis, text, &why), -1)
                << "flags " << bits << " " << why;
        }
    }

    lumo::test::ScratchDir dir_;
    lumo::front::Front front_{lumo::front::system_library_ops(), &shift_jis};
};

TEST_F(HostWalk, WalksGiveTheSameAnswersAsTheWholeTextMasked) {
    const std::vector<std::string> parts = {
        "the ", "word ", "qqq ", "teh ", "x@y.z ", "http://h/p ", "C:\\p\\file.txt ",
        "and/or ", "word's ", "4words ", "WORDS ", "\x83@\x83\\ ", "\xFF" "a ", "mail@ ",
        "file.txt, ", "a:b ", "\t", "\r\n", "zzzz", "-", "'", ".", std::string(300, 'k') + " "};
    std::mt19937 random(27);
    for (int n = 0; n < 60; ++n) {
        std::string text;
        const size_t length = n < 50 ? random() % 3000 : 16000 + random() % 2000;
        while (text.size() < length) text += parts[random() % parts.size()];
        expect_same_walks(text);
    }
}

TEST_F(HostWalk, FullBuffersOfKnownWordsWithAFewUnknownOnes) {
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += i % 500 == 499 ? "qqq " : "the word ";
    expect_same_walks(text);
    expect_same_walks(std::string(16383, 'a'));
    expect_same_walks(std::string(20000, ' ') + "qqq");
}

TEST_F(HostWalk, AWordAtEachPlaceAroundTheFirstStretchesEnds) {
    // A possessive is accepted only behind some byte of the text.
    for (const char* word : {"word's", "qqq", "teh", "x@y.z", "C:\\p"}) {
        for (size_t at = 200; at < 320; ++at) {
            std::string text;
            while (text.size() + 4 <= at) text += "the ";
            text += std::string(at - text.size(), ' ') + word + " the";
            expect_same_walks(text);
        }
    }
}

}  // namespace
