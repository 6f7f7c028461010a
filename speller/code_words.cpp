#include "speller/code_words.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/char_class.h"

namespace lumo::tool {

namespace {

const char* language_list(ModeChoice mode) {
    if (mode.mode == TextMode::Html) return "html";
    if (mode.mode != TextMode::Comment) return nullptr;
    switch (mode.language) {
        case SourceLanguage::CFamily: return "c";
        case SourceLanguage::Python: return "python";
        case SourceLanguage::Shell:
        case SourceLanguage::CMake: return "shell";
        case SourceLanguage::JavaScript: return "javascript";
        case SourceLanguage::Php: return "html";
        default: return nullptr;
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
    general_ = language_ = nullptr;
    if (mode.mode == TextMode::Text) return;
    general_ = list("software");
    if (const char* name = language_list(mode)) language_ = list(name);
}

bool CodeWords::knows(std::string_view word) const {
    if (general_ == nullptr) return false;
    std::string lower(word);
    for (char& c : lower) c = common::to_lower(c);
    return general_->has(lower) || (language_ != nullptr && language_->has(lower));
}

}  // namespace lumo::tool
