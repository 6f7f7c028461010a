// Shared by the fuzz targets: a property check that stops the run with a
// message (libFuzzer then keeps the input), a scratch folder, and the
// rules a suggestion must obey.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition, ...)                                                  \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "%s:%d: property failed: %s\n  ", __FILE__, __LINE__, \
                         #condition);                                               \
            std::fprintf(stderr, __VA_ARGS__);                                      \
            std::fputc('\n', stderr);                                               \
            std::abort();                                                           \
        }                                                                           \
    } while (0)

namespace lumo::fuzz {

// A folder of its own for the files a target writes, removed at exit.
const std::string& scratch_dir();

std::string scratch_file(const char* name);

bool write_bytes(const std::string& path, const void* data, size_t size);
std::string read_bytes(const std::string& path);

// The real English word list shipped with the sources.
std::string data_path(const char* relative);

inline unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 0x20) : c;
}

// True when b is a, or one edit away from it: two neighbours exchanged, one
// byte deleted, one byte replaced by a letter, or one letter inserted.
// ASCII letters compare without case, as the engine's look-up does.
bool within_one_edit(const std::string& a, const std::string& b);

// The word and every stem the suffix rule can cut it to ("ing", "est",
// "ed", "er", each only above its length limit), longest first.
std::vector<std::string> suffix_stems(const std::string& word);

// Reads the packed strings of a suggestions area: count strings, each
// with its NUL, then one more NUL; checks the layout against bytesUsed.
std::vector<std::string> unpack_suggestions(const char* area, size_t capacity, unsigned count,
                                            unsigned bytes_used);

}  // namespace lumo::fuzz
