// One SpellCheck call on an Engine, with the caller's text and suggestions
// area held in exactly sized heap blocks, so that the sanitizer build
// catches any access outside them.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"

namespace lumo::test {

constexpr char AreaFill = '~';

struct CheckCall {
    // The text plus the one byte past textLength that the caller provides.
    std::string text;
    char after = '#';
    std::unique_ptr<char[]> text_block;
    std::unique_ptr<char[]> area;
    SpellInputBuffer in{};
    SpellReturnBuffer out{};

    explicit CheckCall(std::string t, uint16_t capacity = 256, char byte_after = '#')
        : text(std::move(t)), after(byte_after) {
        text_block = std::make_unique<char[]>(text.size() + 1);
        std::memcpy(text_block.get(), text.data(), text.size());
        text_block[text.size()] = after;
        in.textLength = static_cast<uint16_t>(text.size());
        in.mainDictCount = 1;
        in.userDictCount = 1;
        in.spellState = 2;
        in.text = text_block.get();
        // A zero-sized block too, so that a write at capacity 0 is caught.
        area = std::make_unique<char[]>(capacity);
        std::memset(area.get(), AreaFill, capacity);
        out.errorOffset = 0xAAAA;
        out.errorLength = 0xBBBB;
        out.suggestionCapacity = capacity;
        out.suggestions = area.get();
    }

    SpellReturnBuffer& run(lumo::engine::Engine& engine, uint32_t command) {
        engine.check(command, &in, &out);
        return out;
    }

    // True when every byte of the text and the byte after it are as given.
    bool text_intact() const {
        return std::memcmp(text_block.get(), text.data(), text.size()) == 0 &&
               text_block[text.size()] == after;
    }

    std::string first() const { return std::string(area.get()); }

    // The suggestionCount strings packed in the area, read within its bounds.
    std::vector<std::string> list() const {
        std::vector<std::string> words;
        size_t pos = 0;
        for (int i = 0; i < out.suggestionCount && pos < out.suggestionCapacity; ++i) {
            const size_t len = strnlen(area.get() + pos, out.suggestionCapacity - pos);
            words.emplace_back(area.get() + pos, len);
            pos += len + 1;
        }
        return words;
    }

    bool area_untouched() const {
        for (size_t i = 0; i < out.suggestionCapacity; ++i) {
            if (area[i] != AreaFill) return false;
        }
        return true;
    }
};

// Adds words to the engine's table as main-dictionary words would be.
inline void know(lumo::engine::Engine& engine, std::initializer_list<const char*> words) {
    for (const char* w : words) engine.add_word(0, w);
}

}  // namespace lumo::test
