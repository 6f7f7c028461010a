#include "word_store.h"

#include <cstring>
#include <new>

namespace lumo::engine {

namespace {
constexpr size_t FurtherBlockSize = 64 * 1024;
}

bool WordStore::add_block(size_t bytes) {
    Block block;
    // Zeroed: verification reads the first block eight bytes at a time,
    // which can reach past the last word placed.
    block.data.reset(new (std::nothrow) char[bytes]());
    if (!block.data) return false;
    block.size = bytes;
    blocks_.push_back(std::move(block));
    return true;
}

bool WordStore::start(size_t bytes) {
    release();
    return add_block(bytes);
}

char* WordStore::place(const char* bytes, size_t len) {
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < len + 1) {
        if (!add_block(len + 1 > FurtherBlockSize ? len + 1 : FurtherBlockSize)) return nullptr;
    }
    Block& block = blocks_.back();
    char* at = block.data.get() + block.used;
    std::memcpy(at, bytes, len);
    at[len] = '\0';
    block.used += len + 1;
    return at;
}

size_t WordStore::room() const {
    return blocks_.empty() ? 0 : blocks_.back().size - blocks_.back().used;
}

void WordStore::take_from(WordStore& other) {
    for (Block& block : other.blocks_) blocks_.push_back(std::move(block));
    other.blocks_.clear();
}

}  // namespace lumo::engine
