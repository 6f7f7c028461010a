// The whole front check road: mode flags, check, suggestions and the
// user's decisions, host to engine and back, as a host walks its text.
// The engine's exports are linked in and bound by name like the library's.
// Input: mode flags (2 bytes), action bits, then the host's text.
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "error_box.h"
#include "front.h"
#include "fuzz_support.h"
#include "linked_engine.h"

using namespace lumo::front;

namespace {

constexpr int ReportsPerInput = 16;
constexpr int AdditionsBeforeReopen = 500;

const lumo::platform::LeadByteSet shift_jis = lumo::platform::shift_jis_lead_bytes();

int messages = 0;
void count_message(const char*, const char*, void*) { ++messages; }

int additions = 0;

Front& session() {
    static Front* front = [] {
        set_message_handler(count_message, nullptr);
        auto* f = new Front(lumo::fuzz::linked_engine_ops(), &shift_jis);
        FUZZ_CHECK(f->init("linked") == 1, "binding failed");
        return f;
    }();
    static bool open = false;
    if (!open || additions >= AdditionsBeforeReopen) {
        const std::string main_path = lumo::fuzz::data_path("words/american-english-large");
        const std::string user_path = lumo::fuzz::scratch_file("user.dic");
        FUZZ_CHECK(lumo::fuzz::write_bytes(user_path, "", 0), "cannot write the user list");
        FUZZ_CHECK(front->init2(main_path.c_str(), user_path.c_str(), 0, 1) == 1,
                   "session did not open");
        front->change_always("teh", "the");
        open = true;
        additions = 0;
    }
    return *front;
}

bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Collects the suggestions of the last check and checks what a host gets.
std::set<std::string> check_suggestions(Front& front, const std::string& word) {
    std::unique_ptr<char[]> out(new char[WordSize]);
    std::set<std::string> got;
    int more = front.suggestion_first(out.get());
    int count = 0;
    while (more == 1) {
        FUZZ_CHECK(std::memchr(out.get(), 0, WordSize) != nullptr, "unterminated suggestion");
        const std::string s(out.get());
        FUZZ_CHECK(got.insert(s).second, "suggestion '%s' handed out twice", s.c_str());
        bool near = false;
        for (const std::string& stem : lumo::fuzz::suffix_stems(word))
            near = near || lumo::fuzz::within_one_edit(stem, s);
        FUZZ_CHECK(near, "'%s' is not one edit from '%s'", s.c_str(), word.c_str());
        FUZZ_CHECK(++count <= 50, "more than 50 suggestions");
        more = front.suggestion_next(out.get());
    }
    FUZZ_CHECK(more == 0 && out[0] == 0, "an ended list gave %d '%s'", more, out.get());
    return got;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    Front& front = session();
    const unsigned flags = static_cast<unsigned>(data[0] | (data[1] << 8));
    const unsigned actions = data[2];
    FUZZ_CHECK(front.mode(flags) == 1, "mode refused");
    front.doubleByteText = (actions & 1) != 0;
    data += 3;
    size -= 3;

    std::unique_ptr<char[]> host(new char[size + 1]);
    std::memcpy(host.get(), data, size);
    host[size] = 0;
    const size_t host_length = std::strlen(host.get());
    std::unique_ptr<CheckResult> result(new CheckResult);
    messages = 0;

    size_t from = 0;
    for (int report = 0; report < ReportsPerInput && from < host_length; ++report) {
        const char* text = host.get() + from;
        const int status = front.check(text, result.get());
        FUZZ_CHECK(std::memcmp(host.get(), data, size) == 0, "host text changed");
        FUZZ_CHECK(status == StatusNoErrors || status == StatusUnknownWord ||
                       status == StatusChangeAlways,
                   "status %d", status);
        if (status == StatusNoErrors) break;
        const size_t rest = host_length - from;
        const size_t offset = static_cast<uint16_t>(result->wordOffset);
        FUZZ_CHECK(offset < rest, "offset %zu outside %zu", offset, rest);
        FUZZ_CHECK(std::memchr(result->word, 0, WordSize) != nullptr &&
                       std::memchr(result->replacement, 0, WordSize) != nullptr,
                   "unterminated result");
        const std::string word(result->word);
        FUZZ_CHECK(!word.empty() && is_letter(static_cast<unsigned char>(word[0])),
                   "reported word '%s'", word.c_str());
        FUZZ_CHECK(std::memcmp(text + offset, word.data(), word.size()) == 0,
                   "word is not the host's text at its offset");
        if (status == StatusUnknownWord)
            FUZZ_CHECK(word == result->replacement, "engine saw '%s', host has '%s'",
                       result->replacement, word.c_str());
        const std::set<std::string> suggestions = check_suggestions(front, word);

        // The user's decision; a later check must see it.
        const bool whole = word.size() < WordSize - 1;
        int code = -1;
        if ((actions & 0x10) != 0) code = front.ignore_always(word.c_str());
        else if ((actions & 0x20) != 0) code = front.add_word(word.c_str());
        else if ((actions & 0x40) != 0 && !suggestions.empty())
            code = front.change_always(word.c_str(), suggestions.begin()->c_str());
        if (code >= 0) ++additions;
        if (code == 0 && whole && status == StatusUnknownWord) {
            const int again = front.check(text, result.get());
            const bool same_word = again != StatusNoErrors &&
                                   static_cast<uint16_t>(result->wordOffset) == offset &&
                                   word == result->word;
            if ((actions & 0x30) != 0) {
                FUZZ_CHECK(!same_word, "'%s' still reported after it was accepted",
                           word.c_str());
            } else {
                FUZZ_CHECK(same_word && again == StatusChangeAlways &&
                               suggestions.begin()->compare(result->replacement) == 0,
                           "'%s' not reported with its replacement", word.c_str());
            }
        }
        from += offset + (word.empty() ? 1 : word.size());
    }
    FUZZ_CHECK(messages == 0, "a check showed %d error messages", messages);
    return 0;
}
