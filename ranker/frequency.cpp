#include "frequency.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace lumo::ranker {

namespace {

constexpr char Magic[] = "#lumorank-frequency 1 ";
constexpr size_t MaxFileBytes = 64u << 20;
constexpr unsigned long MaxLines = 4000000;

bool read_number(const char*& p, const char* end, unsigned long limit, unsigned long& value) {
    const char* start = p;
    value = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned long>(*p - '0');
        if (value > limit) return false;
        ++p;
    }
    return p > start;
}

}  // namespace

FrequencyResult read_frequency_file(
    const std::string& path,
    const std::function<void(const char*, size_t, uint32_t, uint8_t)>& take) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return FrequencyResult::Missing;
    std::vector<char> text;
    char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (text.size() + got > MaxFileBytes) {
            std::fclose(file);
            return FrequencyResult::Foreign;
        }
        text.insert(text.end(), chunk, chunk + got);
    }
    std::fclose(file);

    const char* p = text.data();
    const char* end = p + text.size();
    const size_t magic_len = sizeof Magic - 1;
    if (text.size() < magic_len || std::memcmp(p, Magic, magic_len) != 0)
        return FrequencyResult::Foreign;
    p += magic_len;
    unsigned long expected = 0;
    if (!read_number(p, end, MaxLines, expected) || p == end || *p != '\n')
        return FrequencyResult::Foreign;
    ++p;
    unsigned long lines = 0;
    while (p < end) {
        const char* word = p;
        while (p<end&& static_cast<unsigned char>(*p)> 0x20) ++p;
        const size_t len = static_cast<size_t>(p - word);
        unsigned long count = 0;
        unsigned long level = 0;
        if (len == 0 || p == end || *p++ != '\t' || !read_number(p, end, 0xFFFFFFFFul, count) ||
            p == end || *p++ != '\t' || !read_number(p, end, 100, level))
            return p >= end ? FrequencyResult::Truncated : FrequencyResult::Foreign;
        if (p == end) return FrequencyResult::Truncated;
        if (*p++ != '\n') return FrequencyResult::Foreign;
        if (++lines > expected) return FrequencyResult::Foreign;
        take(word, len, static_cast<uint32_t>(count), static_cast<uint8_t>(level));
    }
    return lines == expected ? FrequencyResult::Ok : FrequencyResult::Truncated;
}

}  // namespace lumo::ranker
