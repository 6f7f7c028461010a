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
    if (word.size() < 8) return false;
    for (char c : word)
        if ((c | 0x20) < 'a' || (c | 0x20) > 'f') return false;
    return true;
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
