#include "word_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lumospell/orthex.h"
#include "test_support.h"

using namespace lumo::engine;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

struct Loaded {
    std::unique_ptr<WordTable> table = std::make_unique<WordTable>();
    WordStore store;
    WordStore retired;
    int result = -1;

    std::vector<std::string> words_in_slot_order() const {
        std::vector<std::string> words;
        for (uint32_t s = 0; s < WordTableSlots; ++s)
            if (table->word_at(s)) words.emplace_back(table->word_at(s));
        return words;
    }
};

Loaded load(const std::string& bytes, uint8_t tag = WordTagMain) {
    ScratchDir dir;
    const std::string path = dir.file("words.dic");
    write_file(path, bytes);
    Loaded loaded;
    loaded.result = LoadWordList(path.c_str(), tag, *loaded.table, loaded.store, loaded.retired);
    return loaded;
}

unsigned long split(std::string piece, WordTable& table, WordStore& store,
                    std::vector<std::string>* words) {
    piece.push_back('\0');
    const unsigned long n = split_piece(piece.data(), WordTagMain, table, store);
    if (words) {
        words->clear();
        for (uint32_t s = 0; s < WordTableSlots; ++s)
            if (table.word_at(s)) words->emplace_back(table.word_at(s));
    }
    return n;
}

}  // namespace

TEST(WordListTokenizer, SplitsOnSpacesTabsCommasAndControlBytes) {
    auto table = std::make_unique<WordTable>();
    WordStore store;
    store.start(4096);
    EXPECT_EQ(split("alpha beta\tgamma,delta\x01" "eps\r\n", *table, store, nullptr), 5u);
    for (const char* w : {"alpha", "beta", "gamma", "delta", "eps"})
        EXPECT_EQ(table->lookup(w, ModeFind, 0), LookupKnown) << w;
}

TEST(WordListTokenizer, CommaWhereAWordWouldBeginGivesAnEmptyWord) {
    auto table = std::make_unique<WordTable>();
    WordStore store;
    store.start(4096);
    EXPECT_EQ(split("one ,two\n", *table, store, nullptr), 3u);
    EXPECT_EQ(table->lookup("", ModeFind, 0), LookupKnown);
    EXPECT_EQ(table->lookup("two", ModeFind, 0), LookupKnown);
}

TEST(WordListTokenizer, ControlByteWhereAWordWouldBeginEndsTheLine) {
    auto table = std::make_unique<WordTable>();
    WordStore store;
    store.start(4096);
    EXPECT_EQ(split("first \x02second\n", *table, store, nullptr), 1u);
    EXPECT_EQ(table->lookup("second", ModeFind, 0), LookupAbsent);
}

TEST(WordListTokenizer, HighBytesBelongToWords) {
    auto table = std::make_unique<WordTable>();
    WordStore store;
    store.start(4096);
    EXPECT_EQ(split("caf\xE9 \x83\x41\x83\x43\r\n", *table, store, nullptr), 2u);
    EXPECT_EQ(table->lookup("caf\xE9", ModeFind, 0), LookupKnown);
    EXPECT_EQ(table->lookup("\x83\x41\x83\x43", ModeFind, 0), LookupKnown);
}

TEST(LoadWordList, EmptyFileLoadsWithThousandBytesOfRoom) {
    Loaded loaded = load("");
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.table->count(), 0u);
    EXPECT_EQ(loaded.store.room(), 1000u);
}

TEST(LoadWordList, CrLfLinesLeaveOneSpareBytePerLine) {
    Loaded loaded = load("apple\r\nbanana\r\ncherry\r\n");
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.table->count(), 3u);
    EXPECT_EQ(loaded.store.room(), 1000u + 3u);
}

TEST(LoadWordList, ReadsLastWordWithoutLineEnd) {
    Loaded loaded = load("apple\nbanana");
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.table->lookup("banana", ModeFind, 0), LookupKnown);
    // An LF line costs what it takes in the file; "banana" takes one more.
    EXPECT_EQ(loaded.store.room(), 1000u - 1u);
}

TEST(LoadWordList, KeepsFirstFormOfDuplicatesButCountsTheirBytes) {
    Loaded loaded = load("Apple\napple\nAPPLE\n");
    EXPECT_EQ(loaded.table->count(), 1u);
    EXPECT_EQ(loaded.words_in_slot_order(), std::vector<std::string>{"Apple"});
    EXPECT_EQ(loaded.store.room(), 1000u);
}

TEST(LoadWordList, SplitsLongLinesInto1023BytePieces) {
    std::string first(1020, 'a');
    // "bbbbbb" straddles the 1023-byte boundary: "bbb" ends the first piece.
    Loaded loaded = load(first + " bbbbbb\n");
    EXPECT_EQ(loaded.table->lookup(first.c_str(), ModeFind, 0), LookupKnown);
    EXPECT_EQ(loaded.table->lookup("bb", ModeFind, 0), LookupKnown);
    EXPECT_EQ(loaded.table->lookup("bbbb", ModeFind, 0), LookupKnown);
    EXPECT_EQ(loaded.table->lookup("bbbbbb", ModeFind, 0), LookupAbsent);
}

TEST(LoadWordList, LoadsLongTextWithoutLineEndsCompletely) {
    // 2000 pieces of 1023 bytes without separators need more than the
    // spare 1000 bytes; every piece must still be stored intact.
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        std::string piece(1023, static_cast<char>('a' + i % 26));
        piece[0] = static_cast<char>('A' + (i / 26) % 26);
        piece[1] = static_cast<char>('a' + (i / 676) % 26);
        text += piece;
    }
    Loaded loaded = load(text);
    EXPECT_EQ(loaded.result, 0);
    for (int i = 0; i < 2000; i += 97) {
        const std::string piece = text.substr(static_cast<size_t>(i) * 1023, 1023);
        EXPECT_EQ(loaded.table->lookup(piece.c_str(), ModeFind, 0), LookupKnown) << i;
    }
}

TEST(LoadWordList, StopsAfterThePieceThatPassesTheWordLimit) {
    std::string text;
    // 540000 words on lines of ten, then more: the limit is passed inside
    // the line holding words 540001..540010, which is still read whole.
    for (int i = 0; i < 54002; ++i) {
        for (int k = 0; k < 10; ++k) text += "w" + std::to_string(i * 10 + k) + " ";
        text += "\n";
    }
    Loaded loaded = load(text);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.table->lookup("w540009", ModeFind, 0), LookupKnown);
    EXPECT_EQ(loaded.table->lookup("w540010", ModeFind, 0), LookupAbsent);
}

TEST(LoadWordList, NulByteEndsItsPiece) {
    Loaded loaded = load(std::string("good\0bad more\nnext\n", 19));
    EXPECT_EQ(loaded.table->lookup("good", ModeFind, 0), LookupKnown);
    EXPECT_EQ(loaded.table->lookup("more", ModeFind, 0), LookupAbsent);
    EXPECT_EQ(loaded.table->lookup("next", ModeFind, 0), LookupKnown);
}

TEST(LoadWordList, FailsForMissingFileOrDirectoryAndKeepsTheStore) {
    ScratchDir dir;
    Loaded loaded;
    loaded.store.start(10);
    EXPECT_EQ(LoadWordList(dir.file("missing.dic").c_str(), WordTagMain, *loaded.table,
                           loaded.store, loaded.retired),
              1);
    EXPECT_FALSE(loaded.store.empty());
    EXPECT_EQ(LoadWordList(dir.path().c_str(), WordTagMain, *loaded.table, loaded.store,
                           loaded.retired),
              1);
    EXPECT_EQ(LoadWordList(nullptr, WordTagMain, *loaded.table, loaded.store, loaded.retired), 1);
}

TEST(SavePaths, FormsTemporaryAndBackupNamesBesideTheDictionary) {
    const auto sjis = lumo::platform::shift_jis_lead_bytes();
    SavePaths p = save_paths_for("C:\\dict\\user.dic", sjis);
    EXPECT_EQ(p.temporary, "C:\\dict\\~~$LUMOSP$.TMP");
    EXPECT_EQ(p.backup, "C:\\dict\\user.BAK");
    p = save_paths_for("user.dic", sjis);
    EXPECT_EQ(p.temporary, "~~$LUMOSP$.TMP");
    EXPECT_EQ(p.backup, "user.BAK");
    p = save_paths_for("/home/a.b/words", sjis);
    EXPECT_EQ(p.temporary, "/home/a.b/~~$LUMOSP$.TMP");
    EXPECT_EQ(p.backup, "/home/a.b/words.BAK");
    p = save_paths_for("D:my.user.dic", sjis);
    EXPECT_EQ(p.temporary, "D:~~$LUMOSP$.TMP");
    EXPECT_EQ(p.backup, "D:my.user.BAK");
}

TEST(SavePaths, NeverTakesATrailByteForASeparator) {
    // 0x95 0x5C is a Shift-JIS character whose second byte is a backslash.
    const char* path = "C:\\\x95\x5C\\user.dic";
    SavePaths p = save_paths_for(path, lumo::platform::shift_jis_lead_bytes());
    EXPECT_EQ(p.temporary, "C:\\\x95\x5C\\~~$LUMOSP$.TMP");
    SavePaths none = save_paths_for("C:\\\x95\x5Cuser.dic", lumo::platform::LeadByteSet{});
    EXPECT_EQ(none.backup, "C:\\\x95\\user.BAK");
}

TEST(SavePaths, HandlesPathsLongerThanWindowsBuffers) {
    std::string dir(600, 'd');
    SavePaths p = save_paths_for(("/" + dir + "/u.dic").c_str(), lumo::platform::LeadByteSet{});
    EXPECT_EQ(p.backup, "/" + dir + "/u.BAK");
}

namespace {

// Loads path as a line reader would: fgets pieces of at most 1023 bytes.
void load_by_lines(const std::string& path, WordTable& table, WordStore& store) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char piece[LoadPieceBytes + 1];
    unsigned long words = 0;
    while (words <= LoadWordLimit && std::fgets(piece, sizeof piece, file) != nullptr)
        words += split_piece(piece, WordTagMain, table, store);
    std::fclose(file);
}

// Each slot's word, and how far behind the previous stored word it lies.
std::vector<std::pair<std::string, std::ptrdiff_t>> layout(const WordTable& table) {
    std::vector<const char*> words;
    for (uint32_t s = 0; s < WordTableSlots; ++s)
        if (table.word_at(s) != nullptr) words.push_back(table.word_at(s));
    std::vector<const char*> by_address = words;
    std::sort(by_address.begin(), by_address.end());
    std::vector<std::pair<std::string, std::ptrdiff_t>> out;
    for (const char* w : words) {
        const auto at = std::lower_bound(by_address.begin(), by_address.end(), w);
        out.emplace_back(w, at == by_address.begin() ? 0 : w - *(at - 1));
    }
    return out;
}

}  // namespace

TEST(LoadWordList, PiecesWordsStoreAndSlotsAreThoseOfALineReader) {
    std::string mixed;
    std::mt19937 random(3);
    const char* separators[] = {" ", "\t", ",", " ,", "\r\n", "\n", "\x01"};
    while (mixed.size() < 300000) {
        const size_t length = random() % 12;
        for (size_t i = 0; i < length; ++i) mixed += static_cast<char>('a' + random() % 26);
        mixed += random() % 40 == 0 ? std::string(1500 + random() % 2000, 'x')
                                    : std::string(separators[random() % 7]);
        if (random() % 500 == 0) mixed += '\0';
    }
    std::string many;
    while (many.size() < 2400000) many += "ab cd ef gh " + std::to_string(many.size()) + "\r\n";
    for (const std::string& bytes : {mixed, mixed + "\n", std::string(1023, 'w') + "\nx", many}) {
        ScratchDir dir;
        const std::string path = dir.file("words.dic");
        write_file(path, bytes);
        Loaded blocks;
        ASSERT_EQ(LoadWordList(path.c_str(), WordTagMain, *blocks.table, blocks.store,
                               blocks.retired),
                  0);
        auto table = std::make_unique<WordTable>();
        WordStore store;
        ASSERT_TRUE(store.start(bytes.size() + StoreSpareBytes));
        load_by_lines(path, *table, store);
        EXPECT_EQ(blocks.store.room(), store.room());
        EXPECT_EQ(blocks.table->count(), table->count());
        EXPECT_TRUE(layout(*blocks.table) == layout(*table));
    }
}
