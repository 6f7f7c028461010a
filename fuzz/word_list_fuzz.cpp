// The word-list loader on a file of arbitrary bytes, then a save of what
// was loaded and a second load: nothing may be lost on the way round.
#include <cstring>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "lead_bytes.h"
#include "word_list.h"

using namespace lumo::engine;

namespace {

// Static: each table is 5 MB.
WordTable first_table;
WordTable second_table;

// Every word a table holds with the given tag, with the empty word left
// out: saved as an empty line, it is skipped by the next load.  The walk
// over all slots is the target's own bookkeeping: no coverage feedback.
#if defined(__clang__)
__attribute__((no_sanitize("coverage")))
#endif
std::set<std::string> words_of(const WordTable& table, uint8_t tag) {
    std::set<std::string> words;
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        const char* word = table.word_at(slot);
        if (word != nullptr && *word != 0 && table.tag_at(slot) == tag) words.insert(word);
    }
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = lumo::fuzz::scratch_file("user.dic");
    const std::string backup = lumo::fuzz::scratch_file("user.BAK");
    const std::string temporary = lumo::fuzz::scratch_file("~~$LUMOSP$.TMP");
    FUZZ_CHECK(lumo::fuzz::write_bytes(path, data, size), "cannot write the input");
    std::remove(backup.c_str());

    first_table.clear();
    WordStore store, retired;
    FUZZ_CHECK(LoadWordList(path.c_str(), WordTagUser, first_table, store, retired) == 0,
               "an existing file did not load");
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::set<std::string> loaded = words_of(first_table, WordTagUser);
    for (const std::string& word : loaded) {
        FUZZ_CHECK(word.size() <= static_cast<size_t>(LoadPieceBytes), "word of %zu bytes",
                   word.size());
        for (unsigned char c : word)
            FUZZ_CHECK(c > 0x20 && c != ',', "separator 0x%02x inside a word", c);
        FUZZ_CHECK(input.find(word) != std::string::npos, "'%s' is not in the file",
                   word.c_str());
    }

    const lumo::platform::LeadByteSet lead = lumo::platform::shift_jis_lead_bytes();
    FUZZ_CHECK(SaveUserDictionary(path.c_str(), first_table, lead) == 0, "save failed");
    FUZZ_CHECK(access(temporary.c_str(), F_OK) != 0, "temporary file left behind");
    FUZZ_CHECK(lumo::fuzz::read_bytes(backup) == input, "backup is not the previous file");

    second_table.clear();
    WordStore store2, retired2;
    FUZZ_CHECK(LoadWordList(path.c_str(), WordTagUser, second_table, store2, retired2) == 0,
               "the saved file did not load");
    FUZZ_CHECK(words_of(second_table, WordTagUser) == loaded,
               "saved and reloaded words differ from the loaded ones");
    return 0;
}
