// HTML, XML and SGML, and the tags and comments of Markdown: tags,
// comments, entities and the text of script and style elements are blanked.
#pragma once

#include <cstddef>
#include <string>

namespace lumo::tool::modes {

class HtmlWalker {
public:
    // In Markdown a '<' that no '>' of its line closes is text.
    explicit HtmlWalker(bool markdown) : markdown_(markdown) {}

    // Blanks the markup of p[i, n), one line.
    void span(char* p, size_t n, size_t i);
    // Inside a comment, a tag or the text of a script or style element.
    bool open() const { return comment_ || in_tag_ || !raw_element_.empty(); }

private:
    size_t comment_text(char* p, size_t n, size_t i);
    size_t tag_text(char* p, size_t n, size_t i);
    size_t raw_text(char* p, size_t n, size_t i);
    // At p[i] outside any of them: where to go on.
    size_t markup_at(char* p, size_t n, size_t i, size_t& next_gt);

    bool markdown_;
    bool comment_ = false;
    bool in_tag_ = false;
    char tag_quote_ = 0;
    std::string raw_element_;      // "script" or "style" when its text runs
    std::string opening_element_;  // the element of the tag under way
};

}  // namespace lumo::tool::modes
