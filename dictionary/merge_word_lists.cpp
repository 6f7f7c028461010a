// Build step: merges word-list files into one sorted list without
// duplicates, one word per CR LF line, as the engine's main dictionary.
// "--headwords-of SOURCE INPUT" takes only those words of INPUT that occur
// in a headword of the Shift-JIS dictionary text SOURCE: the words of its
// glosses alone are not trusted (they hold misspellings).  "--except LIST"
// leaves out every word of LIST (another variant's spellings), in any case.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "common/char_class.h"
#include "common/shift_jis.h"
#include "common/word_list_syntax.h"
namespace {

// The ASCII tokens of the headwords ("■headword  {pos} : ..." lines),
// also without the full stops, hyphens and apostrophes around them.
bool read_headwords(const char* path, std::set<std::string>& headwords) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 2, "\x81\xA1") != 0) continue;
        const std::string headword = line.substr(2, line.find("  {") - 2);
        std::string token;
        for (size_t k = 0; k <= headword.size(); ++k) {
            const unsigned char c =
                k < headword.size() ? static_cast<unsigned char>(headword[k]) : 0;
            if (lumo::common::is_alnum(c) || c == '.' || c == '-' || c == '\'') {
                token.push_back(static_cast<char>(c));
                continue;
            }
            if (lumo::common::is_shift_jis_lead_byte(c)) ++k;  // a double-byte pair
            headwords.insert(token);
            const size_t first = token.find_first_not_of(".-'");
            if (first != std::string::npos)
                headwords.insert(token.substr(first, token.find_last_not_of(".-'") + 1 - first));
            token.clear();
        }
    }
    return !in.bad() && in.eof();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: merge_word_lists OUTPUT INPUT... [--headwords-of SOURCE INPUT]... "
                     "[--except LIST]\n");
        return 2;
    }
    std::vector<std::string> words;
    std::set<std::string> excepted;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--except") == 0) {
            std::ifstream in(i + 1 < argc ? argv[i + 1] : "", std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "merge_word_lists: cannot read the list to leave out\n");
                return 2;
            }
            for (std::string line; std::getline(in, line);)
                excepted.insert(line.substr(0, line.find_last_not_of("\r") + 1));
            ++i;
            continue;
        }
        std::set<std::string> headwords;
        const bool vouched = std::strcmp(argv[i], "--headwords-of") == 0;
        if (vouched && (i + 2 >= argc || !read_headwords(argv[i + 1], headwords))) {
            std::fprintf(stderr, "merge_word_lists: cannot read the headwords of %s\n",
                         i + 1 < argc ? argv[i + 1] : "(nothing)");
            return 2;
        }
        if (vouched) i += 2;
        const size_t first_word = words.size();
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "merge_word_lists: cannot read %s\n", argv[i]);
            return 2;
        }
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        size_t at = 0;
        for (std::string_view word = lumo::common::next_word_list_word(text, &at); !word.empty();
             word = lumo::common::next_word_list_word(text, &at))
            words.emplace_back(word);
        if (vouched)
            words.erase(
                std::remove_if(words.begin() + static_cast<std::ptrdiff_t>(first_word), words.end(),
                               [&](const std::string& w) { return headwords.count(w) == 0; }),
                words.end());
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    words.erase(std::remove_if(words.begin(), words.end(),
                               [&](const std::string& w) {
                                   // The engine takes "organization" for "Organization".
                                   std::string lower = w;
                                   for (char& c : lower) c = lumo::common::to_lower(c);
                                   return excepted.count(w) != 0 || excepted.count(lower) != 0;
                               }),
                words.end());
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "merge_word_lists: cannot write %s\n", argv[1]);
        return 2;
    }
    for (const std::string& w : words) std::fprintf(out, "%s\r\n", w.c_str());
    if (std::fclose(out) != 0) return 2;
    return 0;
}
