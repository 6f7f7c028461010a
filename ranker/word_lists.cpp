#include "word_lists.h"

#include <cstdio>
#include <cstring>

#include "common/word_list_syntax.h"

namespace lumo::ranker {

void split_word_piece(const char* piece, size_t len,
                      const std::function<void(const char*, size_t)>& take) {
    // The engine counts empty words between two commas; there is nothing to rank in them.
    lumo::common::split_word_list_piece(piece, len, [&](const char* word, size_t n) {
        if (n > 0) take(word, n);
    });
}

bool read_word_list(const std::string& path, const std::function<void(const char*, size_t)>& take) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    char piece[WordListPieceBytes + 1];
    while (std::fgets(piece, sizeof piece, file) != nullptr) {
        // fgets stops at a NUL byte too; the engine sees the same piece.
        split_word_piece(piece, std::strlen(piece), take);
    }
    std::fclose(file);
    return true;
}

}  // namespace lumo::ranker
