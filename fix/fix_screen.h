// The terminal of `lumospell fix`: draws the word in its lines with the
// suggestions, reads keys and small answers.  Knows nothing of decisions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "documents/text_encoding.h"

namespace lumo::tool {

struct FixView {
    std::string file_name;
    std::string language;  // the variant checked (en_GB), in the header
    size_t file_index = 0, file_count = 1;
    std::string_view text;  // the file's bytes as they stand
    FileEncoding encoding = FileEncoding::Utf8;
    bool at_end = false;
    size_t offset = 0, length = 0;  // of the word offered
    std::vector<std::string> suggestions;
    std::string message;  // the bottom line; the keys when empty
};

class FixScreen {
public:
    // Takes the terminal; false when it cannot be used.
    bool open();
    void close();
    ~FixScreen() { close(); }

    void draw(const FixView& view);
    // A key or character; KeyResize after a resize, KeyStop when the
    // terminal is gone or a signal asks to end.
    int read_key();
    // A line typed at the bottom, starting with initial; false on Escape.
    bool edit_line(const std::string& prompt, std::string& line);
    bool ask_yes_no(const std::string& question);
    void show_help();

    static constexpr int KeyResize = -2;
    static constexpr int KeyStop = -3;

private:
    void draw_bottom(const std::string& text);
    bool open_ = false;
    const FixView* last_ = nullptr;
};

// Set by the signals that end a session; read_key then gives KeyStop.
extern volatile int fix_stop_signal;

}  // namespace lumo::tool
