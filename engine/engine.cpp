#include "engine.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "common/word_list_syntax.h"
#include "files.h"
#include "table_image.h"

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
    // A reopen must not drop what was added since the last save; when the
    // save fails the session stays as it is.
    const uint16_t code = close_user();
    if (code != 0) return code;
    free_stores();
    user_dict_changed_ = false;
    ignore_words_ = 0;
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
    const bool fresh = table_.count() == 0;
    const ImageUse image = fresh ? adopt_table_image(path, table_) : ImageUse::Missing;
    if (image == ImageUse::Adopted) {
        // The words live in the image; additions start a block of their own.
        retired_.take_from(main_store_);
        cursor_store_ = &main_store_;
        return 0;
    }
    uint64_t size = 0;
    uint64_t hash = 0;
    const bool rebuild = image == ImageUse::Stale && dictionary_fingerprint(path, &size, &hash);
    if (LoadWordList(path, WordTagMain, table_, main_store_, retired_) != 0) {
        if (cursor_store_ == &main_store_ && main_store_.empty()) cursor_store_ = nullptr;
        return SpellErrOpenMdr;
    }
    cursor_store_ = &main_store_;
    // A stale image is made afresh, when the dictionary stayed as it was
    // read and its folder takes files; a missing one is not (no file
    // appears beside a dictionary that never had one).
    uint64_t size_after = 0;
    uint64_t hash_after = 0;
    if (rebuild && dictionary_fingerprint(path, &size_after, &hash_after) && size_after == size &&
        hash_after == hash)
        write_table_image(path, table_, main_store_.first_block_used(), size, hash);
    return 0;
}

uint16_t Engine::open_user(const char* path, bool create) {
    user_dict_changed_ = false;
    if (create && !platform::name_exists(path)) {
        // Under the saves' lock: a dictionary is missing for a moment between
        // the two renames of another program's save, and an empty one made
        // then would take its place.  Exclusively: a name taken meanwhile is
        // loaded as it is.
        const platform::LockHandle held = lock_user_dictionary(path, lead_bytes, true, *save_ops);
        if (!platform::name_exists(path)) {
            std::FILE* made = platform::create_new_file(path);
            if (made != nullptr) platform::close_written_file(made);
        }
        if (held != platform::NoLock) save_ops->unlock(held);
    }
    // Read while no other program is between the renames of its save; a
    // folder where no lock can be had is read all the same.
    const platform::LockHandle lock = lock_user_dictionary(path, lead_bytes, false, *save_ops);
    const int loaded = LoadWordList(path, WordTagUser, table_, user_store_, retired_);
    if (lock != platform::NoLock) save_ops->unlock(lock);
    if (loaded != 0) {
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

namespace {

// A word that the user dictionary's file gives back as this one word.
uint16_t savable_word(const char* word) {
    const size_t len = std::strlen(word);
    if (len >= SavableWordLimit) return SpellErrWordTooLong;
    if (len == 0) return SpellErrNotOneWord;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(word); *p; ++p) {
        if (!lumo::common::is_word_list_byte(*p)) return SpellErrNotOneWord;
    }
    return 0;
}

}  // namespace

uint16_t Engine::add_word(uint32_t user_dict_id, const char* word) {
    const uint8_t tag = (user_dict_id == UdrIgnoreAlways) ? WordTagIgnoreAlways : WordTagUser;
    if (tag == WordTagUser) {
        const uint16_t code = savable_word(word);
        if (code != 0) return code;
    }
    char* copy = place_addition(word);
    if (copy == nullptr) return SpellErrNoMemory;
    const int found = table_.lookup(copy, ModeInsert, tag);
    if (tag == WordTagIgnoreAlways) {
        ++ignore_words_;
    } else if (found == LookupKnown && ignore_words_ > 0) {
        // Accepted for the session first, added now: it becomes a user word.
        table_.retag(copy, WordTagIgnoreAlways, WordTagUser);
    }
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
    // After a failure the path stays, so that a later close tries again
    // instead of reporting success with the words unsaved.
    if (code == 0) user_dict_path_.reset();
    return code;
}

}  // namespace lumo::engine
