#include "lsp/lsp_documents.h"

#include <algorithm>

namespace lumo::tool {

namespace {

// Bytes of the UTF-8 sequence a lead byte starts; a stray byte is one.
size_t sequence_length(unsigned char c) {
    if (c >= 0xF0 && c < 0xF8) return 4;
    if (c >= 0xE0) return c < 0xF0 ? 3 : 1;
    if (c >= 0xC0) return 2;
    return 1;
}

}  // namespace

size_t count_units(std::string_view text, PositionEncoding encoding) {
    if (encoding == PositionEncoding::Utf8) return text.size();
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t n =
            std::min(sequence_length(static_cast<unsigned char>(text[i])), text.size() - i);
        units += n == 4 ? 2 : 1;
        i += n;
    }
    return units;
}

size_t LspDocument::line_end(size_t line) const {
    size_t end = line + 1 < line_starts_.size() ? line_starts_[line + 1] : text_.size();
    if (end > line_starts_[line] && text_[end - 1] == '\n') --end;
    if (end > line_starts_[line] && text_[end - 1] == '\r') --end;
    return end;
}

size_t LspDocument::offset_of(LspPosition p, PositionEncoding encoding) const {
    if (p.line >= line_starts_.size()) return text_.size();
    const size_t start = line_starts_[p.line];
    const size_t end = line_end(p.line);
    if (encoding == PositionEncoding::Utf8) {
        // Compared before adding: a character near 2^64 must not wrap.
        size_t at = p.character >= end - start ? end : start + p.character;
        while (at > start && (static_cast<unsigned char>(text_[at]) & 0xC0) == 0x80) --at;
        return at;
    }
    size_t units = 0;
    size_t at = start;
    while (at < end) {
        const size_t n = std::min(sequence_length(static_cast<unsigned char>(text_[at])), end - at);
        const size_t width = n == 4 ? 2 : 1;
        if (units + width > p.character) break;
        units += width;
        at += n;
    }
    return at;
}

LspPosition LspDocument::position_of(size_t offset, PositionEncoding encoding) const {
    offset = std::min(offset, text_.size());
    const auto after = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
    const size_t line = static_cast<size_t>(after - line_starts_.begin()) - 1;
    const size_t start = line_starts_[line];
    const size_t end = std::max(start, std::min(offset, line_end(line)));
    return {line, count_units(std::string_view(text_).substr(start, end - start), encoding)};
}

LspPosition LineCursor::advance(size_t offset) {
    offset = std::min(offset, doc_.text().size());
    if (offset < at_ || offset >= next_start_) {
        // Backwards or past the line: start again where the offset lies.
        const LspPosition p = doc_.position_of(offset, encoding_);
        line_ = p.line;
        at_ = std::min(offset, doc_.line_end(line_));
        units_ = p.character;
        next_start_ =
            line_ + 1 < doc_.line_count() ? doc_.line_start(line_ + 1) : doc_.text().size() + 1;
        return p;
    }
    const size_t to = std::min(offset, doc_.line_end(line_));
    if (to > at_)
        units_ += count_units(std::string_view(doc_.text()).substr(at_, to - at_), encoding_);
    at_ = std::max(at_, to);
    return {line_, units_};
}

void LspDocument::replace(std::string text) {
    text_ = std::move(text);
    index_lines();
}

void LspDocument::edit(LspPosition from, LspPosition to, std::string_view replacement,
                       PositionEncoding encoding) {
    size_t a = offset_of(from, encoding);
    size_t b = offset_of(to, encoding);
    if (a > b) std::swap(a, b);
    text_.replace(a, b - a, replacement);
    index_lines();
}

void LspDocument::index_lines() {
    line_starts_.assign(1, 0);
    for (size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '\n' || (c == '\r' && (i + 1 == text_.size() || text_[i + 1] != '\n')))
            line_starts_.push_back(i + 1);
    }
}

}  // namespace lumo::tool

namespace lumo::tool {

ModeChoice mode_for_language(std::string_view language_id, std::string_view uri) {
    struct Alias {
        std::string_view id;
        std::string_view mode;
    };
    static const Alias aliases[] = {
        {"plaintext", "text"},
        {"bibtex", "tex"},
        {"xhtml", "html"},
        {"typescript", "js"},
        {"typescriptreact", "js"},
        {"javascriptreact", "js"},
        {"shellscript", "sh"},
        {"bash", "sh"},
        {"zsh", "sh"},
        {"java", "c"},
        {"csharp", "c"},
        {"objective-c", "c"},
        {"objective-cpp", "cpp"},
        {"cuda-cpp", "cpp"},
        {"swift", "c"},
        {"kotlin", "c"},
        {"scala", "c"},
        {"dart", "c"},
        {"groff", "nroff"},
        {"restructuredtext", "text"},
    };
    std::string_view name = language_id;
    for (const Alias& a : aliases)
        if (a.id == language_id) name = a.mode;
    // Plain text is what editors send when they know no better (Emacs
    // without markdown-mode): the file name may know more.
    ModeChoice choice;
    if (!name.empty() && parse_mode_name(name, choice) && choice.mode != TextMode::Text)
        return choice;
    return mode_for_file_name(uri);
}

}  // namespace lumo::tool
