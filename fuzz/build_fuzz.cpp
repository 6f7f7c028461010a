// Headword extraction and the whole build run on arbitrary source bytes.
// Input: a control byte (bit 0: cancel at the next progress call), then
// the source file's bytes.  The word list written must be sorted, unique,
// made of tokens of the source, and load into the engine.
#include <unistd.h>

#include <cstring>
#include <string>

#include "build_run.h"
#include "fuzz_support.h"
#include "progress_display.h"
#include "word_list.h"

using namespace lumo::builder;

namespace {

bool cancel_requested = false;
bool cancel_answered = false;
int messages = 0;

int32_t presenter(void*, int32_t event, const char*) {
    if (event == lumo::builder::ProgressMessage) ++messages;
    if (event != lumo::builder::ProgressPoll || !cancel_requested) return 0;
    cancel_answered = true;
    return lumo::builder::ProgressAnswerCancel;
}

bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool is_token_byte(unsigned char c) {
    return is_letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '\'';
}

lumo::engine::WordTable table;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const bool installed =
        (lumo::builder::set_progress_presenter(presenter, nullptr), true);
    (void)installed;
    cancel_requested = (data[0] & 1) != 0;
    cancel_answered = false;
    messages = 0;
    ++data;
    --size;

    const std::string source_path = lumo::fuzz::scratch_file("source.txt");
    const std::string output_path = lumo::fuzz::scratch_file("words.dic");
    FUZZ_CHECK(lumo::fuzz::write_bytes(source_path, data, size), "cannot write the source");
    std::remove(output_path.c_str());

    const int32_t result = make_dictionary(nullptr, source_path.c_str(), output_path.c_str());
    FUZZ_CHECK(result == 1, "build returned %d", result);
    FUZZ_CHECK(messages == 0, "%d cannot-open messages", messages);
    if (cancel_answered) {
        FUZZ_CHECK(access(output_path.c_str(), F_OK) != 0, "cancelled output left behind");
        return 0;
    }

    const std::string source(reinterpret_cast<const char*>(data), size);
    const std::string output = lumo::fuzz::read_bytes(output_path);
    std::string previous;
    size_t start = 0;
    bool first = true;
    while (start < output.size()) {
        const size_t end = output.find("\r\n", start);
        FUZZ_CHECK(end != std::string::npos, "line at %zu has no CR LF", start);
        const std::string word = output.substr(start, end - start);
        FUZZ_CHECK(!word.empty() && is_letter(static_cast<unsigned char>(word[0])),
                   "line '%s'", word.c_str());
        for (unsigned char c : word) FUZZ_CHECK(is_token_byte(c), "byte 0x%02x in a word", c);
        // A token ending in an apostrophe or a hyphen is dropped; one that
        // only ends so once its final full stop is gone ("etc-.") is kept.
        if (word.back() == '\'' || word.back() == '-')
            FUZZ_CHECK(source.find(word + ".") != std::string::npos, "unfinished token '%s'",
                       word.c_str());
        FUZZ_CHECK(source.find(word) != std::string::npos, "'%s' is not in the source",
                   word.c_str());
        FUZZ_CHECK(first || std::strcmp(previous.c_str(), word.c_str()) < 0,
                   "'%s' after '%s': not sorted or not unique", word.c_str(), previous.c_str());
        previous = word;
        first = false;
        start = end + 2;
    }

    table.clear();
    lumo::engine::WordStore store, retired;
    FUZZ_CHECK(lumo::engine::LoadWordList(output_path.c_str(), lumo::engine::WordTagMain, table,
                                          store, retired) == 0,
               "the word list does not load");
    start = 0;
    while (start < output.size()) {
        const size_t end = output.find("\r\n", start);
        const std::string word = output.substr(start, end - start);
        FUZZ_CHECK(table.lookup(word.c_str(), lumo::engine::ModeFind,
                                lumo::engine::WordTagLookupOnly) == lumo::engine::LookupKnown,
                   "'%s' not known after loading", word.c_str());
        start = end + 2;
    }
    return 0;
}
