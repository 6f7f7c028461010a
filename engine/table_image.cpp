#include "table_image.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "files.h"
#include "mapped_file.h"
#include "word_list.h"
#include "word_store.h"

namespace lumo::engine {

namespace platform = lumo::platform;

namespace {

constexpr char ImageMagic[8] = {'L', 'u', 'm', 'o', 'T', 'a', 'b', '1'};
constexpr uint64_t ByteOrderMark = 0x0102030405060708ull;

struct ImageHeader {
    char magic[8];
    uint64_t byte_order;
    uint64_t build;  // what the layout and the loading rules depend on
    uint64_t dict_size;
    uint64_t dict_hash;
    uint64_t words_size;
    uint64_t count;
    uint64_t reserved;
};
static_assert(sizeof(ImageHeader) == 64, "the slots start aligned");

constexpr size_t SlotsOffset = sizeof(ImageHeader);
constexpr size_t WordsOffset = SlotsOffset + WordTableSlots * sizeof(WordSlot);

// Changes with the hash, the slot layout or a loading limit, so that an
// image of another build is never taken for this one's.
uint64_t build_mark() {
    static const char* const probes[] = {"the", "Zebra", "\xE9t\xC9", "a'b", ""};
    uint64_t mark = 0x4C756D6F00000004ull;  // bumped whenever the loading rules change
    auto mix = [&mark](uint64_t v) { mark = (mark ^ v) * 0x100000001B3ull; };
    mix(WordTableSlots);
    mix(LoadWordLimit);
    mix(static_cast<uint64_t>(LoadPieceBytes));
    mix(StoreSpareBytes);
    mix(sizeof(WordSlot));
    for (const char* probe : probes) mix(WordTable::probe_mark(probe));
    return mark;
}

// Four independent lanes of eight bytes: the hash of a dictionary is the
// larger part of adopting its image, and one chain of multiplications runs
// at a quarter of the speed the memory delivers.
class BytesHash {
public:
    // Every call but the last must hand over a multiple of 32 bytes.
    void add(const unsigned char* p, size_t n) {
        for (; n >= 32; p += 32, n -= 32) {
            for (int i = 0; i < 4; ++i) lane_[i] = step(lane_[i], load(p + 8 * i));
        }
        for (; n >= 8; p += 8, n -= 8) lane_[0] = step(lane_[0], load(p));
        for (; n > 0; ++p, --n) lane_[1] = (lane_[1] ^ *p) * 0x100000001B3ull;
    }
    uint64_t value(uint64_t size) const {
        uint64_t h = step(0xCBF29CE484222325ull, size);
        for (uint64_t lane : lane_) h = step(h, lane);
        return h;
    }

private:
    static uint64_t load(const unsigned char* p) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    }
    static uint64_t step(uint64_t h, uint64_t w) {
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }
    uint64_t lane_[4] = {1, 2, 3, 4};
};

}  // namespace

std::string table_image_path(const char* dict_path) { return std::string(dict_path) + ".table"; }

bool dictionary_fingerprint(const char* dict_path, uint64_t* size, uint64_t* hash) {
    // A FIFO or device is never read here: the load refuses it anyway.
    uint64_t listed = 0;
    if (!platform::file_size(dict_path, &listed)) return false;
    std::FILE* file = platform::open_file(dict_path, "rb");
    if (file == nullptr) return false;
    static unsigned char block[LoadBlockBytes];
    static_assert(sizeof block % 32 == 0, "only the last read may end inside a lane step");
    BytesHash h;
    uint64_t total = 0;
    size_t got;
    // Whole blocks, so that the hash does not depend on how reads split.
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        h.add(block, got);
        total += got;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    *size = total;
    *hash = h.value(total);
    return !failed;
}

ImageUse adopt_table_image(const char* dict_path, WordTable& table) {
    if (table.count() != 0) return ImageUse::Stale;
    const std::string path = table_image_path(dict_path);
    size_t size = 0;
    std::shared_ptr<unsigned char> image = platform::map_file_copy_on_write(path, size);
    if (image == nullptr)
        return platform::name_exists(path.c_str()) ? ImageUse::Stale : ImageUse::Missing;
    ImageHeader header;
    if (size < sizeof header) return ImageUse::Stale;
    std::memcpy(&header, image.get(), sizeof header);
    if (std::memcmp(header.magic, ImageMagic, sizeof ImageMagic) != 0 ||
        header.byte_order != ByteOrderMark || header.build != build_mark() ||
        header.count > WordTableSlots || header.words_size == 0 ||
        header.words_size > size - WordsOffset || size < WordsOffset ||
        size - WordsOffset != header.words_size)
        return ImageUse::Stale;
    uint64_t dict_size = 0;
    uint64_t dict_hash = 0;
    if (!dictionary_fingerprint(dict_path, &dict_size, &dict_hash) ||
        dict_size != header.dict_size || dict_hash != header.dict_hash)
        return ImageUse::Stale;
    unsigned char* base = image.get();
    const WordTableView view{reinterpret_cast<WordSlot*>(base + SlotsOffset),
                             reinterpret_cast<const char*>(base + WordsOffset),
                             static_cast<size_t>(header.words_size),
                             static_cast<size_t>(header.count)};
    return table.adopt(view, std::move(image)) ? ImageUse::Adopted : ImageUse::Stale;
}

bool write_table_image(const char* dict_path, const WordTable& table, size_t words_used,
                       uint64_t dict_size, uint64_t dict_hash) {
    WordTableView view;
    if (!table.view(&view) || words_used == 0 || words_used > view.words_size) return false;
    view.words_size = words_used;
    ImageHeader header{};
    std::memcpy(header.magic, ImageMagic, sizeof ImageMagic);
    header.byte_order = ByteOrderMark;
    header.build = build_mark();
    header.dict_size = dict_size;
    header.dict_hash = dict_hash;
    header.words_size = view.words_size;
    header.count = view.count;
    const std::string path = table_image_path(dict_path);
    const std::string temporary = path + ".new";
    // A leftover of a killed write, or a link planted in its place.
    platform::remove_file(temporary.c_str());
    std::FILE* file = platform::create_new_file(temporary.c_str());
    if (file == nullptr) return false;
    bool ok = std::fwrite(&header, sizeof header, 1, file) == 1 &&
              std::fwrite(view.slots, sizeof(WordSlot), WordTableSlots, file) == WordTableSlots &&
              std::fwrite(view.words, 1, view.words_size, file) == view.words_size;
    if (!ok) std::fclose(file);
    ok = ok && platform::close_written_file(file);
    // Replaced by a rename: a process that has the old image mapped keeps it.
    if (ok) ok = platform::rename_replacing(temporary.c_str(), path.c_str());
    if (!ok) platform::remove_file(temporary.c_str());
    return ok;
}

bool make_table_image(const char* dict_path) {
    uint64_t size = 0;
    uint64_t hash = 0;
    if (!dictionary_fingerprint(dict_path, &size, &hash)) return false;
    std::unique_ptr<WordTable> table(new (std::nothrow) WordTable());
    if (!table) return false;
    WordStore store;
    WordStore retired;
    if (LoadWordList(dict_path, WordTagMain, *table, store, retired) != 0) return false;
    uint64_t size_after = 0;
    uint64_t hash_after = 0;
    if (!dictionary_fingerprint(dict_path, &size_after, &hash_after) || size_after != size ||
        hash_after != hash)
        return false;
    return write_table_image(dict_path, *table, store.first_block_used(), size, hash);
}

}  // namespace lumo::engine
