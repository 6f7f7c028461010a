#include "program/report.h"

#include <algorithm>
#include <cstdio>

#include "documents/utf8.h"

namespace lumo::tool {

namespace {

void json_string(std::FILE* out, const std::string& s) {
    // Names need not be UTF-8; such bytes are escaped to keep the JSON valid.
    const bool utf8 = is_valid_utf8(s);
    std::fputc('"', out);
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            std::fprintf(out, "\\%c", c);
        } else if (c < 0x20 || (c >= 0x80 && !utf8)) {
            std::fprintf(out, "\\u%04x", c);
        } else {
            std::fputc(c, out);
        }
    }
    std::fputc('"', out);
}

// A suggestion as the reader would write it: for a part, inside its identifier.
std::string shown_suggestion(const Finding& f, const std::string& suggestion) {
    if (f.identifier.empty()) return suggestion;
    return f.identifier.substr(0, f.part_at) + suggestion +
           f.identifier.substr(std::min(f.identifier.size(), f.part_at + f.length));
}

}  // namespace

std::string listed_word(const Finding& f) {
    if (!f.too_long) return f.word;
    return f.word + "... (" + std::to_string(f.length) + " characters, too long to be a word)";
}

void report(const Options& o, const std::string& name, const Finding& f,
            const TextPosition& position, OutputConverter& convert) {
    const std::string word = convert.convert(f.word);
    // A part is named with its identifier: "getRecieveBuffer: Recieve".
    const std::string named =
        f.identifier.empty() ? word : convert.convert(f.identifier) + ": " + word;
    const size_t shown = (o.max_suggestions == 0 || f.status == CheckChangeAlways)
                             ? f.suggestions.size()
                             : std::min(f.suggestions.size(), o.max_suggestions);
    if (o.json) {
        std::fputs("{\"file\":", stdout);
        json_string(stdout, name);
        std::printf(",\"line\":%zu,\"column\":%zu,\"offset\":%zu,\"word\":", position.line,
                    position.column, f.offset);
        json_string(stdout, word);
        if (!f.identifier.empty()) {
            std::fputs(",\"identifier\":", stdout);
            json_string(stdout, convert.convert(f.identifier));
        }
        const char* kind = f.too_long                      ? "too-long"
                           : f.status == CheckChangeAlways ? "change-always"
                                                           : "unknown";
        std::printf(",\"kind\":\"%s\",", kind);
        if (f.too_long) std::printf("\"length\":%zu,", f.length);
        std::fputs("\"suggestions\":[", stdout);
        for (size_t k = 0; k < shown; ++k) {
            if (k) std::fputc(',', stdout);
            json_string(stdout, convert.convert(f.suggestions[k]));
        }
        std::fputs("]}\n", stdout);
        return;
    }
    if (f.too_long) {
        std::printf("%s:%zu:%zu: %s...: too long to be a word (%zu characters)\n", name.c_str(),
                    position.line, position.column, word.c_str(), f.length);
        return;
    }
    if (o.color) {
        // As grep colours its matches: the place dimmed, the word red.
        std::printf("\033[35m%s\033[36m:\033[32m%zu\033[36m:\033[32m%zu\033[36m:\033[m "
                    "\033[1;31m%s\033[m",
                    name.c_str(), position.line, position.column, named.c_str());
    } else {
        std::printf("%s:%zu:%zu: %s", name.c_str(), position.line, position.column,
                    named.c_str());
    }
    for (size_t k = 0; k < shown; ++k)
        std::printf("%s%s", k ? ", " : ": ",
                    convert.convert(shown_suggestion(f, f.suggestions[k])).c_str());
    std::fputc('\n', stdout);
}

}  // namespace lumo::tool
