// Data mode: of YAML, TOML and JSON only the values (and comments) are
// prose; keys, table headers, punctuation, anchors and indicators are
// blanked.
#pragma once

#include <cstddef>

namespace lumo::tool {
enum class SourceLanguage;
}

namespace lumo::tool::modes {

class ValueWalker {
public:
    explicit ValueWalker(SourceLanguage language) : language_(language) {}
    void line(char* p, size_t n);

private:
    void json_line(char* p, size_t n);
    void yaml_line(char* p, size_t n);
    void toml_line(char* p, size_t n);
    // A TOML value from p[i]: strings kept, the rest blanked; a comment kept.
    void toml_value(char* p, size_t n, size_t i);

    SourceLanguage language_;
    long block_indent_ = -1;  // YAML block scalar: the indent of its key line
    char multi_quote_ = 0;    // TOML: the quote of an open """ or ''' string
};

}  // namespace lumo::tool::modes
