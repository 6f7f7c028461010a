// Word stores: the memory that loaded and added words live in.  The word
// table points into them, so a placed word never moves.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace lumo::engine {

class WordStore {
public:
    // Starts the store with one block of the given size.
    bool start(size_t bytes);

    // Copies len bytes and a NUL behind the words placed so far.  When the
    // current block has no room left, the word goes into a further block.
    // Null only when memory cannot be had.
    char* place(const char* bytes, size_t len);

    // Bytes still free in the current block.
    size_t room() const;

    // The first block, where a load places a file's words.
    const char* first_block() const { return blocks_.empty() ? nullptr : blocks_[0].data.get(); }
    size_t first_block_size() const { return blocks_.empty() ? 0 : blocks_[0].size; }
    size_t first_block_used() const { return blocks_.empty() ? 0 : blocks_[0].used; }

    bool empty() const { return blocks_.empty(); }

    // Moves every block of other into this store (other ends up empty).
    void take_from(WordStore& other);

    void release() { blocks_.clear(); }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        size_t used = 0;
    };
    bool add_block(size_t bytes);
    std::vector<Block> blocks_;
};

}  // namespace lumo::engine
