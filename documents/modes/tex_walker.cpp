#include "documents/modes/tex_walker.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "documents/modes/scan.h"

namespace lumo::tool::modes {

namespace {

struct NamedCount {
    const char* name;
    int count;
};

// TeX commands whose braced arguments are names, keys or code.
constexpr NamedCount TexCommands[] = {
    {"label", 1},
    {"ref", 1},
    {"eqref", 1},
    {"pageref", 1},
    {"autoref", 1},
    {"cref", 1},
    {"Cref", 1},
    {"cite", 1},
    {"citep", 1},
    {"citet", 1},
    {"nocite", 1},
    {"usepackage", 1},
    {"RequirePackage", 1},
    {"documentclass", 1},
    {"input", 1},
    {"include", 1},
    {"includeonly", 1},
    {"includegraphics", 1},
    {"bibliography", 1},
    {"bibliographystyle", 1},
    {"pagestyle", 1},
    {"thispagestyle", 1},
    {"pagenumbering", 1},
    {"url", 1},
    {"nolinkurl", 1},
    {"href", 1},
    {"hyperref", 0},
    {"setcounter", 2},
    {"addtocounter", 2},
    {"setlength", 2},
    {"addtolength", 2},
    {"hspace", 1},
    {"vspace", 1},
    {"color", 1},
    {"textcolor", 1},
    {"pagecolor", 1},
    {"fontsize", 2},
    {"newcommand", 2},
    {"renewcommand", 2},
    {"providecommand", 2},
    {"newenvironment", 3},
    {"renewenvironment", 3},
    {"newlength", 1},
    {"newcounter", 1},
    {"def", 1},
    {"graphicspath", 1},
    {"lstinputlisting", 1},
    {"inputminted", 2},
    {"verbatiminput", 1},
    {"rule", 2},
    {"raisebox", 1},
    {"scalebox", 1},
    {"resizebox", 2},
    {"multicolumn", 2},
    {"multirow", 2},
    {"cline", 1},
    {"hyphenation", 1},
    {"DeclareMathOperator", 2},
    {"bibitem", 1},
    {"end", 1},
    {"lstset", 1},
    {"hypersetup", 1},
    {"geometry", 1},
    {"definecolor", 3},
    {"mathrm", 1},
    {"mathbf", 1},
    {"mathit", 1},
    {"texttt", 1},
    {"verb", 0},
    {"ensuremath", 1},
    {"kern", 0},
    {"newtheorem", 1},
};

// Environments whose whole body is code or mathematics.
constexpr const char* TexSkippedEnvironments[] = {
    "verbatim",    "Verbatim",     "lstlisting", "minted",      "comment",   "equation",  "align",
    "gather",      "multline",     "eqnarray",   "displaymath", "math",      "flalign",   "alignat",
    "tikzpicture", "filecontents", "alltt",      "BVerbatim",   "LVerbatim", "pspicture", "picture",
};

constexpr NamedCount TexEnvironmentArguments[] = {
    {"tabular", 1},   {"tabular*", 2},   {"tabularx", 2},  {"array", 1},           {"minipage", 1},
    {"multicols", 1}, {"wrapfigure", 2}, {"longtable", 1}, {"thebibliography", 1},
};

int count_of(const NamedCount* table, size_t size, std::string_view name) {
    for (size_t k = 0; k < size; ++k)
        if (name == table[k].name) return table[k].count;
    return 0;
}

bool is_skipped_environment(std::string_view name) {
    if (!name.empty() && name.back() == '*') name.remove_suffix(1);
    for (const char* e : TexSkippedEnvironments)
        if (name == e) return true;
    return false;
}

}  // namespace

void TexWalker::line(char* p, size_t n) {
    if (is_blank_line(p, n)) {
        // A paragraph ends inline mathematics and arguments left open.
        math_ = 0;
        arguments_to_skip_ = 0;
        argument_depth_ = 0;
        return;
    }
    size_t i = 0;
    while (i < n) {
        if (!environment_end_.empty()) {
            i = skipped_environment(p, n, i);
        } else if (argument_depth_ > 0) {
            i = argument_text(p, n, i);
        } else if (math_ != 0) {
            i = math_text(p, n, i);
        } else {
            const size_t next = arguments_to_skip_ > 0 ? argument_start(p, n, i) : i;
            i = next != i ? next : text_at(p, n, i);
        }
    }
}

size_t TexWalker::skipped_environment(char* p, size_t n, size_t i) {
    const size_t end = find(p, n, i, environment_end_);
    if (end == n) {
        blank(p, i, n);
        return n;
    }
    blank(p, i, end + environment_end_.size());
    const size_t after = end + environment_end_.size();
    environment_end_.clear();
    return after;
}

size_t TexWalker::argument_text(char* p, size_t n, size_t i) {
    const char c = p[i];
    if (c == '\\') {
        blank(p, i, std::min(n, i + 2));
        return i + 2;
    }
    if (c == '{') ++argument_depth_;
    if (c == '}' && --argument_depth_ == 0) --arguments_to_skip_;
    p[i] = ' ';
    return i + 1;
}

size_t TexWalker::math_text(char* p, size_t n, size_t i) {
    const char c = p[i];
    if (c == '\\' && i + 1 < n) {
        if ((math_ == '(' && p[i + 1] == ')') || (math_ == '[' && p[i + 1] == ']')) math_ = 0;
        blank(p, i, i + 2);
        return i + 2;
    }
    if (c == '$' && math_ == 'D' && i + 1 < n && p[i + 1] == '$') {
        math_ = 0;
        blank(p, i, i + 2);
        return i + 2;
    }
    if (c == '$' && math_ == '$') math_ = 0;
    p[i] = ' ';
    return i + 1;
}

size_t TexWalker::argument_start(char* p, size_t n, size_t i) {
    const char c = p[i];
    if (is_blank(c)) return i + 1;
    if (c == '[') {
        const size_t close = find_near(p, n, i, ']', 256);
        if (close < n) {
            blank(p, i, close + 1);
            return close + 1;
        }
    }
    if (c == '{') {
        argument_depth_ = 1;
        p[i] = ' ';
        return i + 1;
    }
    arguments_to_skip_ = 0;
    return i;
}

size_t TexWalker::text_at(char* p, size_t n, size_t i) {
    const char c = p[i];
    if (c == '%') {
        blank(p, i, n);
        return n;
    }
    if (c == '$') {
        const bool display = i + 1 < n && p[i + 1] == '$';
        math_ = display ? 'D' : '$';
        blank(p, i, i + (display ? 2 : 1));
        return i + (display ? 2 : 1);
    }
    if (c != '\\') return i + 1;
    if (i + 1 >= n || !is_alpha(p[i + 1])) {
        // A control symbol: \\, \%, \( and \[ that open mathematics.
        if (i + 1 < n && (p[i + 1] == '(' || p[i + 1] == '[')) math_ = p[i + 1];
        blank(p, i, std::min(n, i + 2));
        return i + 2;
    }
    return command(p, n, i);
}

size_t TexWalker::command(char* p, size_t n, size_t i) {
    size_t end = i + 1;
    while (end < n && (is_alpha(p[end]) || p[end] == '@')) ++end;
    const std::string name(p + i + 1, end - i - 1);
    if (end < n && p[end] == '*') ++end;
    blank(p, i, end);
    i = end;
    if (name == "verb" && i < n) {
        const size_t close = find_near(p, n, i + 1, p[i], n);
        blank(p, i, close < n ? close + 1 : n);
        return close < n ? close + 1 : n;
    }
    if (name == "begin") return begin_environment(p, n, i);
    arguments_to_skip_ = count_of(TexCommands, std::size(TexCommands), name);
    return i;
}

size_t TexWalker::begin_environment(char* p, size_t n, size_t i) {
    size_t open = i;
    while (open < n && is_blank(p[open])) ++open;
    const size_t close = open < n && p[open] == '{' ? find_near(p, n, open, '}', 256) : n;
    if (close == n) {
        arguments_to_skip_ = 1;
        return i;
    }
    const std::string environment(p + open + 1, close - open - 1);
    blank(p, i, close + 1);
    i = close + 1;
    if (i < n && p[i] == '[') {
        const size_t options = find_near(p, n, i, ']', 256);
        if (options < n) {
            blank(p, i, options + 1);
            i = options + 1;
        }
    }
    if (is_skipped_environment(environment)) {
        environment_end_ = "\\end{" + environment + "}";
    } else {
        arguments_to_skip_ =
            count_of(TexEnvironmentArguments, std::size(TexEnvironmentArguments), environment);
    }
    return i;
}

}  // namespace lumo::tool::modes
