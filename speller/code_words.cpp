#include "speller/code_words.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/char_class.h"

namespace lumo::tool {

namespace {

// The lists of a mode besides the general one.  Documentation (Markdown,
// HTML, reStructuredText, data files) speaks of C's names as well.
std::vector<const char*> language_lists(ModeChoice mode) {
    if (mode.mode != TextMode::Comment) {
        if (mode.mode == TextMode::Html) return {"html", "c"};
        return {"c"};
    }
    switch (mode.language) {
        case SourceLanguage::CFamily: return {"c"};
        case SourceLanguage::CSharp: return {"c", "csharp"};
        case SourceLanguage::Python: return {"python"};
        case SourceLanguage::Shell:
        case SourceLanguage::CMake: return {"shell"};
        case SourceLanguage::Makefile: return {"shell", "makefile"};
        case SourceLanguage::Dockerfile: return {"shell", "docker"};
        case SourceLanguage::JavaScript: return {"javascript"};
        case SourceLanguage::Php: return {"html", "php"};
        case SourceLanguage::Go: return {"go"};
        case SourceLanguage::Rust: return {"rust"};
        case SourceLanguage::Ruby: return {"ruby"};
        case SourceLanguage::Lua: return {"lua"};
        case SourceLanguage::Sql: return {"sql"};
        default: return {};
    }
}

}  // namespace

const CodeWords::WordSet* CodeWords::list(const std::string& name) {
    auto [it, added] = lists_.try_emplace(name);
    if (added) {
        WordSet& set = it->second;
        std::ifstream in(dir_ + "/code-words/" + name + ".txt", std::ios::binary);
        set.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const std::string_view text(set.text);
        for (size_t start = 0; start < text.size();) {
            const size_t end = std::min(text.find('\n', start), text.size());
            if (end > start) set.words.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        // A list edited by hand need not be in order.
        if (!std::is_sorted(set.words.begin(), set.words.end()))
            std::sort(set.words.begin(), set.words.end());
    }
    return &it->second;
}

bool CodeWords::WordSet::has(std::string_view word) const {
    return std::binary_search(words.begin(), words.end(), word);
}

void CodeWords::choose(ModeChoice mode) {
    chosen_.clear();
    if (mode.mode == TextMode::Text) return;
    chosen_.push_back(list("software"));
    for (const char* name : language_lists(mode)) chosen_.push_back(list(name));
}

bool CodeWords::knows(std::string_view word) const {
    if (chosen_.empty()) return false;
    std::string lower(word);
    for (char& c : lower) c = common::to_lower(c);
    for (const WordSet* set : chosen_)
        if (set->has(lower)) return true;
    return false;
}

}  // namespace lumo::tool
