// The open documents of the language server: their text kept in step
// with the editor's changes, and the protocol's line/character positions
// turned into byte offsets of the UTF-8 text and back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::tool {

// What a position's character counts: UTF-16 code units (the protocol's
// default) or bytes of UTF-8, when the client offers that.
enum class PositionEncoding { Utf16, Utf8 };

struct LspPosition {
    size_t line = 0;
    size_t character = 0;
};

class LspDocument {
public:
    explicit LspDocument(std::string text = {}) { replace(std::move(text)); }

    const std::string& text() const { return text_; }
    size_t line_count() const { return line_starts_.size(); }

    // Bytes [start, end) of a line, without its line end.
    size_t line_start(size_t line) const { return line_starts_[line]; }
    size_t line_end(size_t line) const;

    // A position past the end of its line means the line's end, a line
    // past the last the document's end; a character inside a UTF-8
    // sequence or a surrogate pair falls back to the character's start.
    size_t offset_of(LspPosition p, PositionEncoding encoding) const;
    LspPosition position_of(size_t offset, PositionEncoding encoding) const;

    void replace(std::string text);
    // Replaces the text between two positions (in either order).
    void edit(LspPosition from, LspPosition to, std::string_view replacement,
              PositionEncoding encoding);

private:
    void index_lines();

    std::string text_;
    std::vector<size_t> line_starts_;
};

// Positions of offsets that come in order, in one pass over each line:
// converting each from its line's start would cost the line's length per
// finding.
class LineCursor {
public:
    LineCursor(const LspDocument& doc, PositionEncoding encoding)
        : doc_(doc), encoding_(encoding) {}
    LspPosition advance(size_t offset);

private:
    const LspDocument& doc_;
    PositionEncoding encoding_;
    size_t line_ = 0, at_ = 1, units_ = 0, next_start_ = 0;
};

// The units one character of text takes, counted over bytes [from, to).
size_t count_units(std::string_view text, PositionEncoding encoding);

}  // namespace lumo::tool

#include "documents/text_modes.h"

namespace lumo::tool {

// The mode for a document of the editor's language (its languageId);
// plain text ("text", "plaintext") and a language it does not know go by
// the file name in uri.
ModeChoice mode_for_language(std::string_view language_id, std::string_view uri);

}  // namespace lumo::tool
