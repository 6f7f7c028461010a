#include "program/ispell_pipe.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace lumo::tool {

namespace {

bool read_line(std::FILE* input, std::string& line) {
    line.clear();
    int c;
    while ((c = std::getc(input)) != EOF) {
        if (c == '\n') return true;
        line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

void strip_carriage_return(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

// Answers one line of text: "*" for each accepted word unless terse, "&"
// with suggestions or "#" without for each reported one, then a blank line.
void answer_line(PipeSession& s, const std::string& line, size_t shift, bool terse,
                 std::FILE* out) {
    std::string text = line;
    s.view.make(text);
    // A run too long to be a word is answered once, not piece by piece.
    std::vector<Finding> findings = take_too_long_runs(text);
    std::vector<Finding> words;
    s.checker.check(text, true, words);
    const size_t runs = findings.size();
    findings.insert(findings.end(), std::make_move_iterator(words.begin()),
                    std::make_move_iterator(words.end()));
    std::inplace_merge(findings.begin(), findings.begin() + static_cast<std::ptrdiff_t>(runs),
                       findings.end(),
                       [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
    PositionCounter positions(line, s.view.encoding());
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    auto accept_words_before = [&](size_t limit) {
        // Words the checker passed: runs that start with a letter.
        while (i < limit) {
            const unsigned char c = bytes[i];
            if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') {
                while (i < limit && is_word_char(bytes[i])) ++i;
                if (!terse) std::fputs("*\n", out);
            } else {
                ++i;
            }
        }
    };
    for (const Finding& f : findings) {
        accept_words_before(f.offset);
        const size_t offset = shift + positions.at(f.offset).column - 1;
        if (f.suggestions.empty()) {
            std::fprintf(out, "# %s %zu\n", f.word.c_str(), offset);
        } else {
            std::fprintf(out, "& %s %zu %zu:", f.word.c_str(), f.suggestions.size(), offset);
            for (size_t k = 0; k < f.suggestions.size(); ++k)
                std::fprintf(out, "%s %s", k ? "," : "", f.suggestions[k].c_str());
            std::fputc('\n', out);
        }
        i = f.offset + f.length;
    }
    accept_words_before(text.size());
    std::fputc('\n', out);
}

}  // namespace

int run_pipe(PipeSession& s, std::FILE* input, std::FILE* out, bool banner) {
    if (banner) std::fprintf(out, "%s\n", PipeBanner);
    std::fflush(out);
    bool terse = false;
    std::string line;
    while (read_line(input, line)) {
        strip_carriage_return(line);
        const char command = line.empty() ? '\0' : line[0];
        const std::string rest = line.empty() ? std::string() : line.substr(1);
        switch (command) {
            case '*':  // add to the user dictionary
                if (!rest.empty()) s.speller.add_word(rest);
                break;
            case '&':  // add in lower case
                if (!rest.empty()) {
                    std::string lower = rest;
                    for (char& c : lower)
                        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
                    s.speller.add_word(lower);
                }
                break;
            case '@':  // accept for this session only
                if (!rest.empty()) s.speller.ignore_always(rest);
                break;
            case '#':  // a failure is told on standard error, never in the answers
                s.save_user_dictionary();
                break;
            case '!': terse = true; break;
            case '%': terse = false; break;
            case '+':  // formatter modes and parameters: nothing to change
            case '-':
            case '~':
            case '`': break;
            case '^': answer_line(s, rest, 1, terse, out); break;
            default: answer_line(s, line, 0, terse, out); break;
        }
        std::fflush(out);
        if (std::ferror(out)) return 2;
    }
    return 0;
}

}  // namespace lumo::tool
