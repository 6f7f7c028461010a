// Helpers for the builder's tests: a presenter that records what it is
// told, and the texts of the run in Shift-JIS.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumo::test {

// "[<path>] <cannot be opened>"
inline std::string cannot_open_message(const std::string& path) {
    return "[" + path + "] \x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1";
}
// "<percentage>% <processing>"
inline std::string processing_text(const std::string& percent) {
    return percent + "% \x8F\x88\x97\x9D\x92\x86";
}
const char WritingText[] = "\x8F\x6F\x97\xCD\x92\x86";
const char Caption[] =
    "\x82\x6B\x82\x95\x82\x8D\x82\x8F\x83\x58\x83\x79\x83\x8B\x83\x60\x83\x46\x83\x62"
    "\x83\x4E\x83\x4C\x83\x62\x83\x67\x3A\x8E\xAB\x8F\x91\x8D\xEC\x90\xAC\x92\x86";

enum { EventShow = 1, EventStatus = 2, EventPoll = 3, EventClose = 4, EventMessage = 5 };

struct Recorder {
    struct Event {
        int32_t kind;
        std::string text;
    };
    std::vector<Event> events;
    int cancel_at_poll = 0;  // answer "cancel" to this poll (1 = first); 0 never
    int polls = 0;
    void (*on_poll)(Recorder&) = nullptr;

    static int32_t present(void* context, int32_t event, const char* text) {
        auto& self = *static_cast<Recorder*>(context);
        self.events.push_back({event, text != nullptr ? text : ""});
        if (event != EventPoll) return 0;
        ++self.polls;
        if (self.on_poll != nullptr) self.on_poll(self);
        return self.polls == self.cancel_at_poll ? 1 : 0;
    }

    std::vector<std::string> texts(int32_t kind) const {
        std::vector<std::string> found;
        for (const auto& e : events)
            if (e.kind == kind) found.push_back(e.text);
        return found;
    }
    std::vector<int32_t> kinds() const {
        std::vector<int32_t> found;
        for (const auto& e : events) found.push_back(e.kind);
        return found;
    }
};

// Splits a word list into its lines; well_formed tells whether every line
// ended in CR LF.
inline std::vector<std::string> crlf_lines(const std::string& bytes, bool* well_formed = nullptr) {
    std::vector<std::string> lines;
    bool ok = true;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ok = false;
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    if (well_formed != nullptr) *well_formed = ok;
    return lines;
}

}  // namespace lumo::test
