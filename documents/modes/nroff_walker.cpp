#include "documents/modes/nroff_walker.h"

#include <string_view>

#include "documents/modes/scan.h"

namespace lumo::tool::modes {

namespace {

// man(7) and mdoc(7) macros whose arguments are text.
bool is_nroff_text_macro(std::string_view name) {
    return one_of(
        name, {"B",  "I",  "BI", "BR", "IB", "IR", "RB", "RI", "SM", "SB", "SH", "SS", "IP", "TP",
               "TQ", "HP", "Nd", "Sh", "Ss", "It", "Em", "Sy", "Dq", "Qq", "Sq", "Pq", "D1"});
}

// mdoc macros called inside a line: those that mark code take the words
// behind them up to the next macro.
bool is_mdoc_code_macro(std::string_view word) {
    return one_of(word, {"Fl", "Ar", "Cm", "Pa", "Ev", "Va", "Ic", "Li", "Dv", "Er", "Fn", "Fa",
                         "Xr", "Nm", "Mt", "Lk", "Ad", "Cd", "Ft", "In", "Sx", "Ql", "Fo", "Vt"});
}

bool is_mdoc_macro(std::string_view word) {
    return is_mdoc_code_macro(word) ||
           one_of(word, {"Op",  "Oo", "Oc", "Xo", "Xc", "Ns", "No", "Pf", "Ta", "Bq",
                         "Brq", "Aq", "Po", "Pc", "Do", "Dc", "So", "Sc", "Qo", "Qc",
                         "Em",  "Sy", "Dq", "Qq", "Sq", "Pq", "Tn", "Ux", "An", "Ap"});
}

// The end of the nroff escape sequence at p[i] == '\\'.
size_t nroff_escape_end(const char* p, size_t n, size_t i) {
    if (i + 1 >= n) return n;
    const char c = p[i + 1];
    size_t k = i + 2;
    // An argument: "(xx", "[name]" or one character.
    const auto name_end = [p, n](size_t at) {
        if (at >= n) return n;
        if (p[at] == '(') return at + 3 < n ? at + 3 : n;
        if (p[at] == '[') {
            const size_t close = find_near(p, n, at, ']', 64);
            return close < n ? close + 1 : at + 1;
        }
        return at + 1;
    };
    if (c == '"' || c == '#') return n;  // a comment
    if (c == 'f' || c == '*' || c == 'n' || c == 'F' || c == 'm' || c == 'g' || c == 'Y' ||
        c == 'V' || c == 'k') {
        if (c == 'n' && k < n && (p[k] == '+' || p[k] == '-')) ++k;
        return name_end(k);
    }
    if (c == '(') return k + 2 <= n ? k + 2 : n;
    if (c == '[') return name_end(i + 1);
    if (c == 's') {
        if (k < n && (p[k] == '+' || p[k] == '-')) ++k;
        if (k < n && (p[k] == '(' || p[k] == '[')) return name_end(k);
        while (k < n && k - i < 5 && is_digit(p[k])) ++k;
        return k;
    }
    if (std::strchr("hvwlLoXDZbRNSxAB", c) != nullptr && k < n && p[k] == '\'') {
        const size_t close = find_near(p, n, k + 1, '\'', 256);
        return close < n ? close + 1 : k;
    }
    if (c == '$' || c == 'z') return k + 1 <= n ? k + 1 : n;
    return k;
}

void blank_nroff_escapes(char* p, size_t n, size_t from) {
    for (size_t i = from; i < n;) {
        if (p[i] != '\\') {
            ++i;
            continue;
        }
        const size_t end = nroff_escape_end(p, n, i);
        blank(p, i, end);
        i = end;
    }
}

// The macros called inside an mdoc line from from on, and the code
// words they mark.
void blank_mdoc_code(char* p, size_t n, size_t from) {
    bool code = false;
    for (size_t i = from; i < n;) {
        while (i < n && is_blank(p[i])) ++i;
        size_t word_end = i;
        while (word_end < n && !is_blank(p[word_end])) ++word_end;
        const std::string_view word(p + i, word_end - i);
        if (is_mdoc_macro(word)) {
            code = is_mdoc_code_macro(word);
            blank(p, i, word_end);
        } else if (code) {
            blank(p, i, word_end);
        }
        i = word_end;
    }
}

}  // namespace

void NroffWalker::line(char* p, size_t n) {
    if (in_definition_) {
        if (starts_with(p, n, 0, "..")) in_definition_ = false;
        blank(p, 0, n);
        return;
    }
    if (n == 0 || (p[0] != '.' && p[0] != '\'')) {
        if (in_example_) {
            blank(p, 0, n);
        } else {
            blank_nroff_escapes(p, n, 0);
        }
        return;
    }
    size_t start = 1;
    while (start < n && is_blank(p[start])) ++start;
    size_t end = start;
    while (end < n && !is_blank(p[end]) && p[end] != '\\') ++end;
    const std::string_view name(p + start, end - start);
    if (in_example_) {
        if (name == "EE" || name == "Ed") in_example_ = false;
    } else if (one_of(name, {"de", "de1", "am", "am1", "ig"})) {
        in_definition_ = true;
    } else if (name == "EX" || (name == "Bd" && find(p, n, end, "-literal") < n)) {
        in_example_ = true;
    } else if (is_nroff_text_macro(name)) {
        // mdoc ("Sh", not "SH"): the macros called inside the line, and
        // the code they mark.
        const bool mdoc = name.size() == 2 && name[1] >= 'a' && name[1] <= 'z';
        blank(p, 0, end);
        blank_nroff_escapes(p, n, end);
        if (mdoc) blank_mdoc_code(p, n, end);
        return;
    }
    blank(p, 0, n);
}

}  // namespace lumo::tool::modes
