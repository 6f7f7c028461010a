#include "word_lists.h"

#include <cstdio>
#include <cstring>

namespace lumo::ranker {

void split_word_piece(const char* piece, size_t len,
                      const std::function<void(const char*, size_t)>& take) {
    const auto* p = reinterpret_cast<const unsigned char*>(piece);
    size_t i = 0;
    for (;;) {
        while (i < len && (p[i] == ' ' || p[i] == '\t')) ++i;
        if (i >= len || p[i] < 0x20) return;
        const size_t start = i;
        while (i < len && p[i] > 0x20 && p[i] != ',') ++i;
        if (i > start) take(piece + start, i - start);
        if (i >= len) return;
        ++i;  // the separator
        if (i >= len) return;
    }
}

bool read_word_list(const std::string& path,
                    const std::function<void(const char*, size_t)>& take) {
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
