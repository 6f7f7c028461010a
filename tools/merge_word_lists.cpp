// Build step: merges word-list files into one sorted list without
// duplicates, one word per CR LF line, as the engine's main dictionary.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/word_list_syntax.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: merge_word_lists OUTPUT INPUT...\n");
        return 2;
    }
    std::vector<std::string> words;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "merge_word_lists: cannot read %s\n", argv[i]);
            return 2;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t at = 0;
        for (std::string_view word = lumo::common::next_word_list_word(text, &at); !word.empty();
             word = lumo::common::next_word_list_word(text, &at))
            words.emplace_back(word);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "merge_word_lists: cannot write %s\n", argv[1]);
        return 2;
    }
    for (const std::string& w : words) std::fprintf(out, "%s\r\n", w.c_str());
    if (std::fclose(out) != 0) return 2;
    return 0;
}
