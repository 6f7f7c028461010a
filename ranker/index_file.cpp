#include "index_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "mapped_file.h"

namespace lumo::ranker {

namespace {

// 04: the nodes hold the frequency bands below them, and the tries of the
// common words follow the main ones; an older index is passed over and the
// tries built anew.
constexpr char Magic[8] = {'L', 'M', 'R', 'A', 'N', 'K', '0', '4'};

struct Header {
    char magic[8];
    uint64_t dict_size, dict_hash, frequency_size, frequency_hash;
    uint64_t forward_nodes, backward_nodes, sounds, entries, arena_bytes;
    uint64_t common_nodes, common_backward_nodes, common_min_count, common_min_len;
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
bool put(std::FILE* f, const T* data, size_t n) {
    return n == 0 || std::fwrite(data, sizeof(T), n, f) == n;
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
    // Written aside and renamed over the old one: programs that have the old
    // index mapped keep reading it whole.
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) return false;
    Header h{};
    std::memcpy(h.magic, Magic, sizeof Magic);
    h.dict_size = dict.size;
    h.dict_hash = dict.hash;
    h.frequency_size = frequency.size;
    h.frequency_hash = frequency.hash;
    h.forward_nodes = lexicon.forward().size;
    h.backward_nodes = lexicon.backward().size;
    h.sounds = lexicon.sound_count();
    h.entries = lexicon.entries().size();
    h.arena_bytes = lexicon.arena().size();
    h.common_nodes = lexicon.common().size;
    h.common_backward_nodes = lexicon.common_backward().size;
    h.common_min_count = lexicon.common_min_count();
    h.common_min_len = lexicon.common_min_len();
    bool ok = std::fwrite(&h, sizeof h, 1, f) == 1 &&
              put(f, lexicon.forward().data, lexicon.forward().size) &&
              put(f, lexicon.backward().data, lexicon.backward().size) &&
              put(f, lexicon.common().data, lexicon.common().size) &&
              put(f, lexicon.common_backward().data, lexicon.common_backward().size) &&
              put(f, lexicon.sounds(), lexicon.sound_count()) &&
              put(f, lexicon.entries().data(), lexicon.entries().size()) &&
              put(f, lexicon.arena().data(), lexicon.arena().size());
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        // Where renaming cannot replace a file.
        std::remove(path.c_str());
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    }
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

IndexResult read_index(const std::string& path, const Fingerprint& dict,
                       const Fingerprint& frequency, Lexicon& lexicon) {
    size_t size = 0;
    std::shared_ptr<const unsigned char> file = platform::map_file_for_reading(path, size);
    if (file == nullptr) return IndexResult::Missing;
    Header h{};
    std::memcpy(&h, file.get(), std::min(size, sizeof h));
    if (std::memcmp(h.magic, Magic, sizeof Magic) != 0 || size < sizeof Magic)
        return IndexResult::Foreign;
    if (size < sizeof h) return IndexResult::Truncated;
    if (h.dict_size != dict.size || h.dict_hash != dict.hash ||
        h.frequency_size != frequency.size || h.frequency_hash != frequency.hash)
        return IndexResult::Stale;
    // Sizes beyond any real dictionary mean a damaged header; they must not
    // overflow the sums below.
    constexpr uint64_t Limit = 1u << 26;
    if (h.forward_nodes > Limit || h.backward_nodes > Limit || h.sounds > Limit ||
        h.entries > Limit || h.arena_bytes > Limit || h.common_nodes > Limit ||
        h.common_backward_nodes > Limit || h.common_min_count > Limit || h.common_min_len > Limit)
        return IndexResult::Damaged;
    const uint64_t nodes =
        h.forward_nodes + h.backward_nodes + h.common_nodes + h.common_backward_nodes;
    const uint64_t need = sizeof h + nodes * sizeof(FrozenNode) + h.sounds * sizeof(SoundEntry) +
                          h.entries * sizeof(Entry) + h.arena_bytes;
    if (size < need) return IndexResult::Truncated;
    if (size > need) return IndexResult::Damaged;
    // The tries stay in the file's view; entries and spellings are copied,
    // since sessions change and extend them.
    const unsigned char* p = file.get() + sizeof h;
    FrozenParts parts;
    parts.forward = reinterpret_cast<const FrozenNode*>(p);
    parts.forward_nodes = static_cast<size_t>(h.forward_nodes);
    parts.backward = parts.forward + parts.forward_nodes;
    parts.backward_nodes = static_cast<size_t>(h.backward_nodes);
    parts.common = parts.backward + parts.backward_nodes;
    parts.common_nodes = static_cast<size_t>(h.common_nodes);
    parts.common_backward = parts.common + parts.common_nodes;
    parts.common_backward_nodes = static_cast<size_t>(h.common_backward_nodes);
    parts.common_min_count = static_cast<uint32_t>(h.common_min_count);
    parts.common_min_len = static_cast<uint32_t>(h.common_min_len);
    p += nodes * sizeof(FrozenNode);
    parts.sounds = reinterpret_cast<const SoundEntry*>(p);
    parts.sound_count = static_cast<size_t>(h.sounds);
    p += h.sounds * sizeof(SoundEntry);
    parts.owner = std::move(file);
    std::vector<Entry> entries(static_cast<size_t>(h.entries));
    if (!entries.empty()) std::memcpy(entries.data(), p, entries.size() * sizeof(Entry));
    p += h.entries * sizeof(Entry);
    std::vector<char> arena(p, p + h.arena_bytes);
    if (!lexicon.adopt(std::move(parts), std::move(entries), std::move(arena)))
        return IndexResult::Damaged;
    return IndexResult::Ok;
}

}  // namespace lumo::ranker
