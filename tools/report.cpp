#include "report.h"

#include <algorithm>
#include <cstdio>

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

}  // namespace

void report(const Options& o, const std::string& name, const std::string& text,
            const std::vector<Finding>& findings, TextEncoding encoding) {
    size_t line = 1, line_start = 0, scanned = 0;
    for (const Finding& f : findings) {
        for (; scanned < f.offset; ++scanned)
            if (text[scanned] == '\n') {
                ++line;
                line_start = scanned + 1;
            }
        const size_t column =
            1 + count_characters(std::string_view(text).substr(line_start, f.offset - line_start),
                                 encoding);
        if (o.json) {
            std::fputs("{\"file\":", stdout);
            json_string(stdout, name);
            std::printf(",\"line\":%zu,\"column\":%zu,\"offset\":%zu,\"word\":", line, column,
                        f.offset);
            json_string(stdout, f.word);
            std::printf(",\"kind\":\"%s\",\"suggestions\":[",
                        f.status == CheckChangeAlways ? "change-always" : "unknown");
            for (size_t k = 0; k < f.suggestions.size(); ++k) {
                if (k) std::fputc(',', stdout);
                json_string(stdout, f.suggestions[k]);
            }
            std::fputs("]}\n", stdout);
            continue;
        }
        std::printf("%s:%zu:%zu: %s", name.c_str(), line, column, f.word.c_str());
        const size_t shown = (o.max_suggestions == 0 || f.status == CheckChangeAlways)
                                 ? f.suggestions.size()
                                 : std::min(f.suggestions.size(), o.max_suggestions);
        for (size_t k = 0; k < shown; ++k)
            std::printf("%s%s", k ? ", " : ": ", f.suggestions[k].c_str());
        std::fputc('\n', stdout);
    }
}

}  // namespace lumo::tool
