#include "fuzz_support.h"

#include <fstream>
#include <iterator>

namespace lumo::fuzz {

namespace {

std::string make_scratch_dir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") +
                          "/lumospell-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    return pattern;
}

void remove_scratch_dir() {
    const std::string command = "rm -rf '" + scratch_dir() + "'";
    if (std::system(command.c_str()) != 0) {
    }
}

bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

}  // namespace

const std::string& scratch_dir() {
    static const std::string dir = [] {
        std::string made = make_scratch_dir();
        return made;
    }();
    static const bool cleanup_registered = (std::atexit(remove_scratch_dir), true);
    (void)cleanup_registered;
    return dir;
}

std::string scratch_file(const char* name) { return scratch_dir() + "/" + name; }

bool write_bytes(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string data_path(const char* relative) {
    return std::string(LUMOSPELL_DATA_DIR) + "/" + relative;
}

bool within_one_edit(const std::string& a, const std::string& b) {
    const size_t la = a.size();
    const size_t lb = b.size();
    auto same = [](char x, char y) {
        return fold(static_cast<unsigned char>(x)) == fold(static_cast<unsigned char>(y));
    };
    if (la == lb) {
        std::vector<size_t> diff;
        for (size_t i = 0; i < la && diff.size() <= 2; ++i)
            if (!same(a[i], b[i])) diff.push_back(i);
        if (diff.empty()) return true;
        if (diff.size() == 1) return is_letter(static_cast<unsigned char>(b[diff[0]]));
        return diff.size() == 2 && diff[1] == diff[0] + 1 && same(a[diff[0]], b[diff[1]]) &&
               same(a[diff[1]], b[diff[0]]);
    }
    // One byte deleted from a, or one letter inserted into it.
    const std::string& longer = la > lb ? a : b;
    const std::string& shorter = la > lb ? b : a;
    if (longer.size() != shorter.size() + 1) return false;
    size_t i = 0;
    while (i < shorter.size() && same(shorter[i], longer[i])) ++i;
    for (size_t j = i; j < shorter.size(); ++j)
        if (!same(shorter[j], longer[j + 1])) return false;
    return la > lb || is_letter(static_cast<unsigned char>(longer[i]));
}

std::vector<std::string> suffix_stems(const std::string& word) {
    std::vector<std::string> stems{word};
    std::string w = word;
    auto ends = [&](const char* suffix, size_t n) {
        if (w.size() < n) return false;
        for (size_t i = 0; i < n; ++i)
            if (fold(static_cast<unsigned char>(w[w.size() - n + i])) != suffix[i]) return false;
        return true;
    };
    for (;;) {
        size_t cut = 0;
        if (w.size() > 3 && (ends("ing", 3) || ends("est", 3))) cut = 3;
        else if (w.size() > 2 && (ends("ed", 2) || ends("er", 2))) cut = 2;
        if (cut == 0) break;
        w.resize(w.size() - cut);
        stems.push_back(w);
    }
    return stems;
}

std::vector<std::string> unpack_suggestions(const char* area, size_t capacity, unsigned count,
                                            unsigned bytes_used) {
    std::vector<std::string> found;
    size_t pos = 0;
    for (unsigned i = 0; i < count; ++i) {
        FUZZ_CHECK(pos < capacity, "string %u starts outside the area", i);
        size_t end = pos;
        while (end < capacity && area[end] != 0) ++end;
        FUZZ_CHECK(end < capacity, "string %u has no NUL inside the area", i);
        found.emplace_back(area + pos, end - pos);
        pos = end + 1;
    }
    if (count > 0) {
        FUZZ_CHECK(pos == bytes_used, "bytes used %u, strings take %zu", bytes_used, pos);
        FUZZ_CHECK(pos < capacity && area[pos] == 0, "no closing NUL inside the area");
    }
    return found;
}

}  // namespace lumo::fuzz
