// Suggestions for arbitrary words.  Input: the area's size (0 means the
// front's 256), then the word; CommandSuggest sees it up to the first NUL.
#include <cstring>
#include <memory>
#include <string>

#include "engine_fixture.h"

using namespace lumo::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Engine& engine = lumo::fuzz::fixture_engine();
    engine.set_options(0);
    const uint16_t capacity = data[0] == 0 ? 256 : data[0];
    ++data;
    --size;
    if (size > 512) size = 512;

    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = 'q';
    std::unique_ptr<char[]> area(new char[capacity]);
    std::memset(area.get(), '\x5A', capacity);
    const std::string area_before(area.get(), capacity);

    SpellInputBuffer input{};
    input.textLength = static_cast<uint16_t>(size);
    input.text = text.get();
    SpellReturnBuffer out{};
    out.suggestionBytesUsed = 0x2222;
    out.suggestionCapacity = capacity;
    out.suggestions = area.get();
    engine.check(CommandSuggest, &input, &out);

    FUZZ_CHECK(std::memcmp(text.get(), data, size) == 0 && text[size] == 'q',
               "the caller's text was not restored");
    const std::string word(reinterpret_cast<const char*>(data),
                           strnlen(reinterpret_cast<const char*>(data), size));
    lumo::fuzz::check_suggestion_answer(engine, word, out, area_before.data(), 0x2222);
    return 0;
}
