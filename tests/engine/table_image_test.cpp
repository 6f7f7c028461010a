#include "table_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "test_support.h"

using namespace lumo::engine;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

// Duplicates, case pairs, an empty word, high bytes, a long line and a
// last word without a line end: all that loading decides on.
std::string tricky_dictionary(const std::string& extra = "") {
    std::string text = "the\r\nThe\r\nTHE\r\nzebra, ,apple\r\n\xE9t\xC9\r\n\xC9t\xC9\r\ncan't\r\n";
    for (int i = 0; i < 3000; ++i) text += "w" + std::to_string(i * 7919 % 100003) + "\r\n";
    text += std::string(1500, 'x') + "\r\n" + extra + "last";
    return text;
}

// Every slot of the table: word and tag, in slot order.
std::string dump(const WordTable& table) {
    std::string out;
    for (uint32_t s = 0; s < WordTableSlots; ++s) {
        if (const char* word = table.word_at(s))
            out += std::to_string(s) + ":" + std::to_string(table.tag_at(s)) + ":" + word + "\n";
    }
    return out + "count " + std::to_string(table.count());
}

struct Session {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    uint16_t opened = 0;
    explicit Session(const std::string& dict) {
        uint32_t id;
        engine->init(&id);
        opened = engine->open_main(dict.c_str());
    }
};

// What a session gives back from a dictionary: its table, the answers of a
// check and what its save writes.
std::string session_result(const std::string& dict, const std::string& user) {
    write_file(user, "mine\r\nthe\r\n");
    Session session(dict);
    session.engine->open_user(user.c_str());
    session.engine->add_word(1, "Added");
    session.engine->add_word(UdrIgnoreAlways, "zzz");
    session.engine->add_change("teh", "the");
    std::string result = std::to_string(session.opened) + "\n" + dump(session.engine->table());
    char text[] = "The zebra and an \xE9t\xC9 w7919 teh qqq";
    SpellInputBuffer input{};
    input.text = text;
    input.textLength = static_cast<uint16_t>(std::strlen(text));
    char area[256] = {};
    SpellReturnBuffer output{};
    output.suggestions = area;
    output.suggestionCapacity = sizeof area;
    session.engine->check(CommandVerifyBuffer, &input, &output);
    result += "\nstatus " + std::to_string(output.status) + " at " +
              std::to_string(output.errorOffset) + " " + area;
    session.engine->terminate();
    return result + "\nsaved " + read_file(user);
}

TEST(TableImage, SessionsAreTheSameWithAndWithoutTheImage) {
    ScratchDir dir;
    const std::string dict = dir.file("main.dic");
    write_file(dict, tricky_dictionary());
    const std::string parsed = session_result(dict, dir.file("user.dic"));
    ASSERT_TRUE(make_table_image(dict.c_str()));
    WordTable probe;
    ASSERT_EQ(adopt_table_image(dict.c_str(), probe), ImageUse::Adopted);
    EXPECT_EQ(session_result(dict, dir.file("user.dic")), parsed);
}

void flip_byte(const std::string& image, size_t at) {
    std::string bytes = read_file(image);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    write_file(image, bytes);
}

// Each damage leaves an image that must be passed over: the word list is
// read, the answers are those of the word list, and the image is made
// afresh when the folder takes files.
struct Damage {
    const char* name;
    std::function<void(const std::string& dict, const std::string& image, ScratchDir& dir)> apply;
};

const Damage Damages[] = {
    {"truncated",
     [](const std::string&, const std::string& image, ScratchDir&) {
         const std::string bytes = read_file(image);
         write_file(image, bytes.substr(0, bytes.size() - 3));
     }},
    {"header only", [](const std::string&, const std::string& image,
                       ScratchDir&) { write_file(image, read_file(image).substr(0, 40)); }},
    {"of another dictionary",
     [](const std::string& dict, const std::string& image, ScratchDir& dir) {
         const std::string other = dir.file("other.dic");
         write_file(other, "only\r\nthese\r\n");
         ASSERT_TRUE(make_table_image(other.c_str()));
         ASSERT_EQ(std::rename(table_image_path(other.c_str()).c_str(), image.c_str()), 0);
         (void)dict;
     }},
    {"dictionary edited in place, same size",
     [](const std::string& dict, const std::string&, ScratchDir&) {
         std::string bytes = read_file(dict);
         bytes[0] = 'T';  // "The" stays a word of the same size
         bytes[1] = 'x';
         write_file(dict, bytes);
     }},
    {"of another build", [](const std::string&, const std::string& image,
                            ScratchDir&) { flip_byte(image, 16); }},
    {"of another byte order",
     [](const std::string&, const std::string& image, ScratchDir&) {
         std::string bytes = read_file(image);
         std::reverse(bytes.begin() + 8, bytes.begin() + 16);
         write_file(image, bytes);
     }},
    {"not an image", [](const std::string&, const std::string& image,
                        ScratchDir&) { write_file(image, "the\r\nzebra\r\n"); }},
    {"a folder", [](const std::string&, const std::string& image, ScratchDir&) {
         std::remove(image.c_str());
         mkdir(image.c_str(), 0700);
     }},
};

TEST(TableImage, DamagedImagesArePassedOver) {
    for (const Damage& damage : Damages) {
        SCOPED_TRACE(damage.name);
        ScratchDir dir;
        const std::string dict = dir.file("main.dic");
        write_file(dict, tricky_dictionary());
        const std::string image = table_image_path(dict.c_str());
        ASSERT_TRUE(make_table_image(dict.c_str()));
        damage.apply(dict, image, dir);
        const std::string expected = [&] {
            ScratchDir plain;
            write_file(plain.file("main.dic"), read_file(dict));
            return session_result(plain.file("main.dic"), plain.file("user.dic"));
        }();
        EXPECT_EQ(session_result(dict, dir.file("user.dic")), expected);
        WordTable again;
        const bool folder = std::string(damage.name) == "a folder";
        EXPECT_EQ(adopt_table_image(dict.c_str(), again),
                  folder ? ImageUse::Stale : ImageUse::Adopted);
    }
}

TEST(TableImage, AMappedImageReplacedByAnotherKeepsItsAnswers) {
    ScratchDir dir;
    const std::string dict = dir.file("main.dic");
    write_file(dict, tricky_dictionary());
    ASSERT_TRUE(make_table_image(dict.c_str()));
    Session session(dict);
    ASSERT_EQ(session.opened, 0);
    const std::string before = dump(session.engine->table());
    // Another dictionary's build puts its image there by a rename.
    write_file(dict, "only\r\nthese\r\n");
    ASSERT_TRUE(make_table_image(dict.c_str()));
    EXPECT_EQ(dump(session.engine->table()), before);
    EXPECT_EQ(session.engine->table().lookup("zebra", ModeFind, WordTagLookupOnly), LookupKnown);
    EXPECT_EQ(session.engine->table().lookup("these", ModeFind, WordTagLookupOnly), LookupAbsent);
}

TEST(TableImage, AReadOnlyFolderIsReadFromAndNeverWrittenToWhenItRefuses) {
    ScratchDir dir;
    const std::string folder = dir.file("ro");
    mkdir(folder.c_str(), 0700);
    const std::string dict = folder + "/main.dic";
    write_file(dict, tricky_dictionary());
    ASSERT_TRUE(make_table_image(dict.c_str()));
    const std::string image = table_image_path(dict.c_str());
    const std::string expected = [&] {
        ScratchDir plain;
        write_file(plain.file("main.dic"), read_file(dict));
        return dump(Session(plain.file("main.dic")).engine->table());
    }();
    chmod(folder.c_str(), 0500);
    // A fitting image is used; a stale one is passed over and, where the
    // folder refuses the new one (not for root), left as it is.
    EXPECT_EQ(dump(Session(dict).engine->table()), expected);
    flip_byte(image, 16);
    EXPECT_EQ(dump(Session(dict).engine->table()), expected);
    EXPECT_FALSE(file_exists(image + ".new"));
    chmod(folder.c_str(), 0700);
}

TEST(TableImage, ADictionaryTurnedFifoIsRefusedWithoutBeingRead) {
    ScratchDir dir;
    const std::string dict = dir.file("main.dic");
    write_file(dict, tricky_dictionary());
    ASSERT_TRUE(make_table_image(dict.c_str()));
    std::remove(dict.c_str());
    ASSERT_EQ(mkfifo(dict.c_str(), 0600), 0);
    EXPECT_EQ(Session(dict).opened, SpellErrOpenMdr);
}

TEST(TableImage, NoImageAppearsBesideADictionaryThatHadNone) {
    ScratchDir dir;
    const std::string dict = dir.file("main.dic");
    write_file(dict, tricky_dictionary());
    EXPECT_EQ(Session(dict).opened, 0);
    EXPECT_FALSE(file_exists(table_image_path(dict.c_str())));
    EXPECT_EQ(Session(dir.file("missing.dic")).opened, SpellErrOpenMdr);
}

}  // namespace

// The fingerprint that ties an image to its dictionary reads in lanes and
// blocks: a change anywhere, in any lane, across a block's end or in the
// tail, must show.
TEST(TableImage, EveryByteOfTheDictionaryCountsInItsFingerprint) {
    ScratchDir dir;
    const std::string dict = dir.file("main.dic");
    std::string bytes;
    for (size_t i = 0; bytes.size() < 70013; ++i) bytes += "w" + std::to_string(i) + "\r\n";
    bytes.resize(70013);
    auto fingerprint = [&](const std::string& content) {
        write_file(dict, content);
        uint64_t size = 0, hash = 0;
        EXPECT_TRUE(dictionary_fingerprint(dict.c_str(), &size, &hash));
        EXPECT_EQ(size, content.size());
        return hash;
    };
    const uint64_t original = fingerprint(bytes);
    EXPECT_EQ(fingerprint(bytes), original);
    for (size_t at : {0, 7, 8, 15, 24, 31, 32, 65535, 65536, 69999, 70004, 70012}) {
        std::string changed = bytes;
        changed[at] ^= 0x20;
        EXPECT_NE(fingerprint(changed), original) << "byte " << at;
    }
    std::string swapped = bytes;
    std::swap_ranges(swapped.begin(), swapped.begin() + 8, swapped.begin() + 8);
    EXPECT_NE(fingerprint(swapped), original) << "lanes swapped";
    EXPECT_NE(fingerprint(bytes + "x"), original);
    EXPECT_NE(fingerprint(bytes.substr(0, 70012)), original);
}
