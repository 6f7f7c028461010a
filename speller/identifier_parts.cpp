#include "speller/identifier_parts.h"

#include "common/char_class.h"

namespace lumo::tool {

namespace {

bool capital(char c) { return common::is_capital(static_cast<unsigned char>(c)); }
bool lower(char c) { return common::is_lower(static_cast<unsigned char>(c)); }
bool separator(char c) {
    return c == '_' || c == '-' || common::is_digit(static_cast<unsigned char>(c));
}

}  // namespace

std::vector<IdentifierPart> identifier_parts(std::string_view word) {
    std::vector<IdentifierPart> parts;
    size_t start = 0;
    const auto close = [&](size_t end) {
        if (end > start) parts.push_back({start, end - start});
    };
    for (size_t i = 0; i < word.size(); ++i) {
        if (separator(word[i])) {
            close(i);
            start = i + 1;
            continue;
        }
        const bool hump = i > start && lower(word[i - 1]) && capital(word[i]);
        const bool run_ends = i > start && capital(word[i - 1]) && capital(word[i]) &&
                              i + 1 < word.size() && lower(word[i + 1]);
        if (hump || run_ends) {
            close(i);
            start = i;
        }
    }
    close(word.size());
    if (parts.size() == 1 && parts[0].length == word.size()) parts.clear();
    return parts;
}

bool part_is_abbreviation(std::string_view part) {
    size_t letters = 0;
    bool capitals = true;
    for (char c : part) {
        if (!common::is_letter(static_cast<unsigned char>(c))) continue;
        ++letters;
        capitals = capitals && capital(c);
    }
    return letters < 3 || (capitals && letters <= 4);
}

bool is_hex_run(std::string_view word) {
    size_t digits = 0, run = 0;
    for (char c : word) {
        if (c == '-' && run > 0) {
            run = 0;
            continue;
        }
        if ((c | 0x20) < 'a' || (c | 0x20) > 'f') return false;
        ++digits;
        ++run;
    }
    const bool grouped = digits < word.size();
    return run > 0 && digits >= (grouped ? 16u : 8u);
}

bool is_base64_run(std::string_view word) {
    if (word.size() < 16) return false;
    size_t changes = 0, capitals = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        if (!common::is_letter(static_cast<unsigned char>(word[i]))) return false;
        if (i > 0 && capital(word[i]) != capital(word[i - 1])) ++changes;
        capitals += capital(word[i]) ? 1 : 0;
    }
    // A name's parts are words, so its case changes twice a part and its
    // capitals are few; random letters are half capitals, changing every other letter.
    const size_t n = word.size();
    return changes * 5 >= n * 2 && capitals * 10 >= n * 3 && capitals * 10 <= n * 7;
}

std::string shaped_like(std::string_view part, std::string_view identifier,
                        std::string suggestion) {
    const bool first_capital = !part.empty() && capital(part[0]);
    const bool all_capitals = part.size() > 1 && first_capital && capital(part[1]);
    const bool snake = identifier.find('_') != std::string_view::npos;
    std::string out;
    bool word_start = true;
    for (char c : suggestion) {
        if (c == ' ') {
            if (snake) out += '_';
            word_start = true;
            continue;
        }
        if (all_capitals)
            c = common::to_upper(c);
        else if (word_start && (first_capital || (!snake && !out.empty())))
            c = common::to_upper(c);
        out += c;
        word_start = false;
    }
    return out;
}

}  // namespace lumo::tool
