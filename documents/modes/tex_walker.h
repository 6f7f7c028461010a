// TeX and LaTeX: commands, the arguments that are names or code,
// mathematics, comments and the environments of code are blanked.
#pragma once

#include <cstddef>
#include <string>

namespace lumo::tool::modes {

class TexWalker {
public:
    void line(char* p, size_t n);

private:
    // Each step starts at p[i] and returns where the line goes on.
    size_t skipped_environment(char* p, size_t n, size_t i);
    size_t argument_text(char* p, size_t n, size_t i);
    size_t math_text(char* p, size_t n, size_t i);
    // The start of an argument to skip; i when p[i] starts none.
    size_t argument_start(char* p, size_t n, size_t i);
    size_t text_at(char* p, size_t n, size_t i);
    // p[i] is the backslash of a command with a name.
    size_t command(char* p, size_t n, size_t i);
    size_t begin_environment(char* p, size_t n, size_t i);

    char math_ = 0;                // '$' inline, 'D' $$display$$, '(' \( \), '[' \[ \]
    std::string environment_end_;  // "\end{verbatim}" while skipping one
    int arguments_to_skip_ = 0;
    int argument_depth_ = 0;
};

}  // namespace lumo::tool::modes
