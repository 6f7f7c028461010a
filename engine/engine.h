// The engine's session state and the work behind its sixteen exports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lead_bytes.h"
#include "lumospell/orthex.h"
#include "suggestions.h"
#include "word_list.h"
#include "word_store.h"
#include "word_table.h"

namespace lumo::engine {

constexpr uint32_t ChangeTableEntries = 100;

class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Every path, word and replacement passed in is a NUL-terminated
    // string, never null: the exports refuse null ones before calling.
    uint16_t init(uint32_t* session);
    uint16_t set_options(uint32_t options) {
        option_word = options;
        return 0;
    }
    uint16_t terminate();
    uint16_t verify_main(const char* path, uint16_t* language);
    uint16_t open_main(const char* path);
    // With create, a user dictionary that does not exist yet is made empty
    // first, so that what the session adds has a file to be saved to.
    uint16_t open_user(const char* path, bool create = false);
    // Answers an open that has no path as one whose file cannot be read.
    uint16_t refuse_user();
    uint16_t add_word(uint32_t user_dict_id, const char* word);
    uint16_t add_change(const char* word, const char* replacement);
    uint16_t close_user();
    void check(uint32_t command, SpellInputBuffer* input, SpellReturnBuffer* output);

    // Where words added during the session go: the store loaded last.
    char* place_addition(const char* word);

    WordTable& table() { return table_; }
    const char* change_at(uint32_t index) const { return change_table_[index]; }
    bool user_dict_changed() const { return user_dict_changed_; }
    const char* user_dict_path() const { return user_dict_path_.get(); }

    // Path split rule and file operations of the save (tests replace them).
    lumo::platform::LeadByteSet lead_bytes;
    const SaveFileOps* save_ops = &system_save_file_ops();

    uint32_t option_word = 0;
    char report_buffer[SpellReportBufferSize] = {};
    SuggestionStore suggestion_store;

private:
    void free_stores();

    WordTable table_;
    WordStore main_store_;
    WordStore user_store_;
    WordStore retired_;
    WordStore* cursor_store_ = nullptr;
    char* change_table_[ChangeTableEntries] = {};
    uint32_t next_change_index_ = 1;
    std::unique_ptr<char[]> user_dict_path_;
    bool user_dict_changed_ = false;
    uint32_t ignore_words_ = 0;  // ignore-always additions since the last init
};

}  // namespace lumo::engine
