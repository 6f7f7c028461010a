#include "index_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace lumo::ranker {

namespace {

constexpr char Magic[8] = {'L', 'M', 'R', 'A', 'N', 'K', '0', '1'};

struct Header {
    char magic[8];
    uint64_t dict_size, dict_hash, frequency_size, frequency_hash;
    uint64_t forward_nodes, backward_nodes, entries, arena_bytes;
};

uint64_t mix(uint64_t h, const unsigned char* p, size_t n) {
    // FNV-1a over 8-byte words: fast, and any change of a source shows.
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        h = (h ^ v) * 0x100000001b3ull;
    }
    for (; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

template <class T>
bool put(std::FILE* f, const std::vector<T>& v) {
    return v.empty() || std::fwrite(v.data(), sizeof(T), v.size(), f) == v.size();
}

template <class T>
bool take(std::FILE* f, std::vector<T>& v, uint64_t n) {
    v.resize(static_cast<size_t>(n));
    return n == 0 || std::fread(v.data(), sizeof(T), v.size(), f) == v.size();
}

}  // namespace

bool fingerprint_file(const std::string& path, Fingerprint& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    out = Fingerprint{0, 0xcbf29ce484222325ull};
    std::vector<unsigned char> chunk(1 << 16);
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) {
        out.hash = mix(out.hash, chunk.data(), got);
        out.size += got;
    }
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

bool write_index(const std::string& path, const Lexicon& lexicon, const Fingerprint& dict,
                 const Fingerprint& frequency) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    Header h{};
    std::memcpy(h.magic, Magic, sizeof Magic);
    h.dict_size = dict.size;
    h.dict_hash = dict.hash;
    h.frequency_size = frequency.size;
    h.frequency_hash = frequency.hash;
    h.forward_nodes = lexicon.forward().size();
    h.backward_nodes = lexicon.backward().size();
    h.entries = lexicon.entries().size();
    h.arena_bytes = lexicon.arena().size();
    bool ok = std::fwrite(&h, sizeof h, 1, f) == 1 && put(f, lexicon.forward()) &&
              put(f, lexicon.backward()) && put(f, lexicon.entries()) && put(f, lexicon.arena());
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

IndexResult read_index(const std::string& path, const Fingerprint& dict,
                       const Fingerprint& frequency, Lexicon& lexicon) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return IndexResult::Missing;
    Header h{};
    if (std::fread(&h, sizeof h, 1, f) != 1) {
        std::fclose(f);
        return std::memcmp(h.magic, Magic, sizeof Magic) == 0 ? IndexResult::Truncated
                                                               : IndexResult::Foreign;
    }
    if (std::memcmp(h.magic, Magic, sizeof Magic) != 0) {
        std::fclose(f);
        return IndexResult::Foreign;
    }
    if (h.dict_size != dict.size || h.dict_hash != dict.hash ||
        h.frequency_size != frequency.size || h.frequency_hash != frequency.hash) {
        std::fclose(f);
        return IndexResult::Stale;
    }
    // Sizes beyond any real dictionary mean a damaged header; they must not
    // turn into huge allocations.
    constexpr uint64_t Limit = 1u << 26;
    if (h.forward_nodes > Limit || h.backward_nodes > Limit || h.entries > Limit ||
        h.arena_bytes > Limit) {
        std::fclose(f);
        return IndexResult::Damaged;
    }
    std::vector<FrozenNode> forward, backward;
    std::vector<Entry> entries;
    std::vector<char> arena;
    const bool whole = take(f, forward, h.forward_nodes) && take(f, backward, h.backward_nodes) &&
                       take(f, entries, h.entries) && take(f, arena, h.arena_bytes);
    const bool extra = whole && std::fgetc(f) != EOF;
    std::fclose(f);
    if (!whole) return IndexResult::Truncated;
    if (extra) return IndexResult::Damaged;
    if (!lexicon.adopt(std::move(forward), std::move(backward), std::move(entries),
                       std::move(arena)))
        return IndexResult::Damaged;
    return IndexResult::Ok;
}

}  // namespace lumo::ranker
