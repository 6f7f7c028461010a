#include "engine.h"

#include <cstring>
#include <new>

#include "files.h"

namespace lumo::engine {

Engine::Engine() : lead_bytes(lumo::platform::system_lead_bytes()) {}

Engine::~Engine() {
    for (char*& entry : change_table_) {
        delete[] entry;
        entry = nullptr;
    }
}

void Engine::free_stores() {
    main_store_.release();
    user_store_.release();
    retired_.release();
    cursor_store_ = nullptr;
    // The table points into the stores just freed; a later session loads
    // its dictionaries afresh into an empty table.
    table_.clear();
}

uint16_t Engine::init(uint32_t* session) {
    if (session != nullptr) *session = SessionId;
    free_stores();
    user_dict_changed_ = false;
    return 0;
}

uint16_t Engine::terminate() {
    const uint16_t code = close_user();
    if (code != 0) return static_cast<uint16_t>(code | 4);
    free_stores();
    return 0;
}

uint16_t Engine::verify_main(const char* path, uint16_t* language) {
    if (!lumo::platform::path_exists(path)) return SpellErrMdrAccess;
    if (language != nullptr) *language = 0;
    return 0;
}

uint16_t Engine::open_main(const char* path) {
    if (LoadWordList(path, WordTagMain, table_, main_store_, retired_) != 0) {
        if (cursor_store_ == &main_store_ && main_store_.empty()) cursor_store_ = nullptr;
        return SpellErrOpenMdr;
    }
    cursor_store_ = &main_store_;
    return 0;
}

uint16_t Engine::open_user(const char* path) {
    user_dict_changed_ = false;
    if (LoadWordList(path, WordTagUser, table_, user_store_, retired_) != 0) {
        if (cursor_store_ == &user_store_ && user_store_.empty()) cursor_store_ = nullptr;
        return SpellErrOpenUdr;
    }
    cursor_store_ = &user_store_;
    const size_t len = std::strlen(path);
    char* copy = new (std::nothrow) char[len + 1];
    if (copy != nullptr) std::memcpy(copy, path, len + 1);
    user_dict_path_.reset(copy);
    return 0;
}

char* Engine::place_addition(const char* word) {
    // Before any load the additions start a store of their own.
    if (cursor_store_ == nullptr) cursor_store_ = &user_store_;
    return cursor_store_->place(word, std::strlen(word));
}

uint16_t Engine::refuse_user() {
    user_dict_changed_ = false;
    return SpellErrOpenUdr;
}

uint16_t Engine::add_word(uint32_t user_dict_id, const char* word) {
    const uint8_t tag = (user_dict_id == UdrIgnoreAlways) ? WordTagIgnoreAlways : WordTagUser;
    char* copy = place_addition(word);
    if (copy == nullptr) return SpellErrNoMemory;
    table_.lookup(copy, ModeInsert, tag);
    user_dict_changed_ = true;
    return 0;
}

uint16_t Engine::add_change(const char* word, const char* replacement) {
    // Indices run 1..99; a tag tells at most 100 and the table has 100 entries.
    if (next_change_index_ >= ChangeTableEntries) return SpellErrChangeTableFull;
    const size_t len = std::strlen(replacement);
    char* copy = new (std::nothrow) char[len + 1];
    if (copy != nullptr) std::memcpy(copy, replacement, len + 1);
    const uint32_t index = next_change_index_;
    change_table_[index] = copy;
    char* placed = place_addition(word);
    ++next_change_index_;
    if (placed == nullptr) return SpellErrNoMemory;
    table_.lookup(placed, ModeInsert, static_cast<uint8_t>(index));
    return 0;
}

uint16_t Engine::close_user() {
    if (!user_dict_path_ || !user_dict_changed_) return 0;
    const uint16_t code = SaveUserDictionary(user_dict_path_.get(), table_, lead_bytes, *save_ops);
    user_dict_path_.reset();
    return code;
}

}  // namespace lumo::engine
