#include "program/report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

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

// A file name as a relative URI reference: bytes outside the unreserved
// set are percent-encoded, so that names that are not UTF-8 stay exact.
std::string uri_of(const std::string& name) {
    std::string uri;
    for (unsigned char c : name) {
        if (std::isalnum(c) || std::strchr("-._~/", c) != nullptr) {
            uri += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            uri += hex;
        }
    }
    return uri;
}

// Workflow commands end a property at ',' or ':' and the message at a line end.
std::string github_escaped(const std::string& s, bool property) {
    std::string out;
    for (char c : s) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else if (property && c == ':')
            out += "%3A";
        else if (property && c == ',')
            out += "%2C";
        else
            out += c;
    }
    return out;
}

size_t sarif_results = 0;

const char* rule_of(const Finding& f) {
    return f.too_long                      ? "too-long"
           : f.status == CheckChangeAlways ? "change-always"
                                           : "unknown-word";
}

std::string message_of(const Finding& f, const std::string& word) {
    if (f.too_long)
        return word + "...: too long to be a word (" + std::to_string(f.length) + " characters)";
    return (f.status == CheckChangeAlways ? "Word to change: " : "Unknown word: ") + word;
}

}  // namespace

void sarif_begin(std::FILE* out) {
    std::fputs(
        "{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\",\"version\":"
        "\"2.1.0\",\"runs\":[{\"tool\":{\"driver\":{\"name\":\"lumospell\","
        "\"version\":\"" LUMOSPELL_VERSION "\",\"semanticVersion\":\"" LUMOSPELL_VERSION
        "\",\"rules\":["
        "{\"id\":\"unknown-word\",\"name\":\"UnknownWord\",\"shortDescription\":"
        "{\"text\":\"A word the dictionaries do not know\"},"
        "\"defaultConfiguration\":{\"level\":\"warning\"}},"
        "{\"id\":\"change-always\",\"name\":\"ChangeAlways\",\"shortDescription\":"
        "{\"text\":\"A word the user chose always to change\"},"
        "\"defaultConfiguration\":{\"level\":\"warning\"}},"
        "{\"id\":\"too-long\",\"name\":\"TooLong\",\"shortDescription\":"
        "{\"text\":\"A run of letters too long to be a word\"},"
        "\"defaultConfiguration\":{\"level\":\"note\"}}]}},"
        "\"columnKind\":\"unicodeCodePoints\",\"results\":[\n",
        out);
}

void sarif_end(std::FILE* out) { std::fputs("\n]}]}\n", out); }

size_t take_sarif_result_count() { return std::exchange(sarif_results, 0); }

std::string listed_word(const Finding& f) {
    if (!f.too_long) return f.word;
    return f.word + "... (" + std::to_string(f.length) + " characters, too long to be a word)";
}

namespace {

// A suggestion as the reader would write it: for a part, inside its identifier.
std::string shown_suggestion(const Finding& f, const std::string& suggestion) {
    if (f.identifier.empty()) return suggestion;
    return f.identifier.substr(0, f.part_at) + suggestion +
           f.identifier.substr(std::min(f.identifier.size(), f.part_at + f.length));
}

}  // namespace

void report(const Options& o, const std::string& name, const Finding& f,
            const TextPosition& position, OutputConverter& convert) {
    const std::string word = convert.convert(f.word);
    // A part is named with its identifier: "getRecieveBuffer: Recieve".
    const std::string named =
        f.identifier.empty() ? word : convert.convert(f.identifier) + ": " + word;
    const size_t shown = (o.max_suggestions == 0 || f.status == CheckChangeAlways)
                             ? f.suggestions.size()
                             : std::min(f.suggestions.size(), o.max_suggestions);
    if (o.format == "github") {
        std::string text = message_of(f, named);
        for (size_t k = 0; k < shown; ++k)
            text += (k ? ", " : ": ") + convert.convert(shown_suggestion(f, f.suggestions[k]));
        std::printf("::warning file=%s,line=%zu,col=%zu,endColumn=%zu,title=%s::%s\n",
                    github_escaped(name, true).c_str(), position.line, position.column,
                    position.column + (f.too_long ? 0 : f.length), rule_of(f),
                    github_escaped(text, false).c_str());
        return;
    }
    if (o.format == "sarif") {
        if (sarif_results++ > 0) std::fputs(",\n", stdout);
        char region[96];
        std::snprintf(region, sizeof region,
                      "{\"startLine\":%zu,\"startColumn\":%zu,\"endColumn\":%zu}", position.line,
                      position.column, position.column + f.length);
        const std::string uri = uri_of(name);
        std::printf("{\"ruleId\":\"%s\",\"level\":\"%s\",\"message\":{\"text\":", rule_of(f),
                    f.too_long ? "note" : "warning");
        json_string(stdout, message_of(f, named));
        std::printf("},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":{\"uri\":");
        json_string(stdout, uri);
        std::printf("},\"region\":%s}}]", region);
        if (shown > 0 && !f.too_long) {
            std::fputs(",\"fixes\":[", stdout);
            for (size_t k = 0; k < shown; ++k) {
                const std::string s = convert.convert(f.suggestions[k]);
                std::fputs(k ? ",{\"description\":{\"text\":" : "{\"description\":{\"text\":",
                           stdout);
                json_string(stdout, "Change to " + s);
                std::fputs("},\"artifactChanges\":[{\"artifactLocation\":{\"uri\":", stdout);
                json_string(stdout, uri);
                std::printf(
                    "},\"replacements\":[{\"deletedRegion\":%s,\"insertedContent\":"
                    "{\"text\":",
                    region);
                json_string(stdout, s);
                std::fputs("}}]}]}", stdout);
            }
            std::fputc(']', stdout);
        }
        std::fputc('}', stdout);
        return;
    }
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
        std::printf(
            "\033[35m%s\033[36m:\033[32m%zu\033[36m:\033[32m%zu\033[36m:\033[m "
            "\033[1;31m%s\033[m",
            name.c_str(), position.line, position.column, named.c_str());
    } else {
        std::printf("%s:%zu:%zu: %s", name.c_str(), position.line, position.column, named.c_str());
    }
    for (size_t k = 0; k < shown; ++k)
        std::printf("%s%s", k ? ", " : ": ",
                    convert.convert(shown_suggestion(f, f.suggestions[k])).c_str());
    std::fputc('\n', stdout);
}

}  // namespace lumo::tool
