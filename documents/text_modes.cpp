#include "documents/text_modes.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "common/char_class.h"

namespace lumo::tool {

namespace {

// The shared byte classes, taking the char that the masks work on.
bool is_alpha(char c) { return common::is_letter(static_cast<unsigned char>(c)); }
bool is_digit(char c) { return common::is_digit(static_cast<unsigned char>(c)); }
bool is_alnum(char c) { return common::is_alnum(static_cast<unsigned char>(c)); }
bool is_hex(char c) { return is_digit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
bool is_ident(char c) { return is_alnum(c) || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

using common::to_lower;

bool equal_ci(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (to_lower(a[i]) != to_lower(b[i])) return false;
    return true;
}

bool one_of(std::string_view word, std::initializer_list<const char*> list) {
    for (const char* w : list)
        if (word == w) return true;
    return false;
}

void blank(char* p, size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) p[k] = ' ';
}

bool starts_with(const char* p, size_t n, size_t i, std::string_view s) {
    return i <= n && n - i >= s.size() && std::memcmp(p + i, s.data(), s.size()) == 0;
}

// Where s occurs in p[from, n), or n.
size_t find(const char* p, size_t n, size_t from, std::string_view s) {
    const size_t at = std::string_view(p, n).find(s, from);
    return at == std::string_view::npos ? n : at;
}

// Where c occurs in p[from, min(n, from + limit)), or n.
size_t find_near(const char* p, size_t n, size_t from, char c, size_t limit) {
    for (size_t k = from; k < n && k - from < limit; ++k)
        if (p[k] == c) return k;
    return n;
}

bool is_blank_line(const char* p, size_t n) {
    for (size_t k = 0; k < n; ++k)
        if (!is_blank(p[k])) return false;
    return true;
}

// Blanks the `code` spans of one line: a run of backticks up to the next
// run of the same length.  A search that failed for a length fails for
// every later run of it, which keeps the line linear.
void blank_code_spans(char* p, size_t n) {
    constexpr size_t LongestRun = 32;
    bool failed[LongestRun + 1] = {};
    size_t i = 0;
    while (i < n) {
        if (p[i] != '`') {
            ++i;
            continue;
        }
        size_t run = i;
        while (run < n && p[run] == '`') ++run;
        const size_t length = run - i;
        if (length > LongestRun || failed[length]) {
            i = run;
            continue;
        }
        size_t close = n;
        for (size_t j = run; j < n;) {
            if (p[j] != '`') {
                ++j;
                continue;
            }
            size_t end = j;
            while (end < n && p[end] == '`') ++end;
            if (end - j == length) {
                close = j;
                break;
            }
            j = end;
        }
        if (close == n) {
            failed[length] = true;
            i = run;
            continue;
        }
        blank(p, i, close + length);
        i = close + length;
    }
}

// Doxygen and Javadoc tags ("@param", "\brief") and `code` in a comment;
// after the tags that name something, the name too.
void comment_text(char* p, size_t from, size_t to) {
    blank_code_spans(p + from, to - from);
    for (size_t i = from; i < to; ++i) {
        if ((p[i] != '@' && p[i] != '\\') || i + 1 >= to || !is_alpha(p[i + 1])) continue;
        if (i > from && !is_blank(p[i - 1])) continue;
        size_t end = i + 1;
        while (end < to && is_ident(p[end])) ++end;
        const std::string_view tag(p + i + 1, end - i - 1);
        if (one_of(tag, {"param", "tparam", "throws", "throw", "exception", "retval", "see", "ref",
                         "link", "def", "file", "class", "struct", "fn", "var"})) {
            while (end < to && is_blank(p[end])) ++end;
            while (end < to && !is_blank(p[end])) ++end;
        }
        blank(p, i, end);
        i = end;
    }
}

// The end of the escape sequence at p[i] == '\\' in a string literal.
size_t escape_end(const char* p, size_t n, size_t i) {
    if (i + 1 >= n) return n;
    size_t k = i + 2;
    const char c = p[i + 1];
    if (c == 'x') {
        while (k < n && k - i < 10 && is_hex(p[k])) ++k;
    } else if ((c == 'u' || c == 'N') && k < n && p[k] == '{') {
        const size_t close = find_near(p, n, k, '}', 64);
        if (close < n) k = close + 1;
    } else if (c == 'u' || c == 'U') {
        const size_t digits = c == 'u' ? 4 : 8;
        while (k < n && k - i - 2 < digits && is_hex(p[k])) ++k;
    } else if (c >= '0' && c <= '7') {
        while (k < n && k - i < 4 && p[k] >= '0' && p[k] <= '7') ++k;
    }
    return k;
}

// The end of the printf conversion at p[i] == '%', or i if there is none.
size_t printf_end(const char* p, size_t n, size_t i) {
    size_t k = i + 1;
    if (k < n && p[k] == '%') return k + 1;
    if (k < n && p[k] == '(') {  // Python's "%(name)s"
        const size_t close = find_near(p, n, k, ')', 64);
        if (close == n) return i;
        k = close + 1;
    }
    while (k < n && std::strchr("-+#0'", p[k]) != nullptr && p[k] != '\0') ++k;
    while (k < n && (is_digit(p[k]) || p[k] == '*' || p[k] == '.')) ++k;
    for (int m = 0; m < 2 && k < n && std::strchr("hlLqjzt", p[k]) != nullptr && p[k] != '\0'; ++m)
        ++k;
    if (k < n && p[k] != '\0' && std::strchr("diouxXeEfFgGaAcspnvqTwb", p[k]) != nullptr)
        return k + 1;
    return i;
}

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

struct NamedChoice {
    const char* name;
    TextMode mode;
    SourceLanguage language;
};

constexpr NamedChoice ModeNames[] = {
    {"text", TextMode::Text, SourceLanguage::CFamily},
    {"markdown", TextMode::Markdown, SourceLanguage::CFamily},
    {"md", TextMode::Markdown, SourceLanguage::CFamily},
    {"html", TextMode::Html, SourceLanguage::CFamily},
    {"xml", TextMode::Html, SourceLanguage::CFamily},
    {"sgml", TextMode::Html, SourceLanguage::CFamily},
    {"tex", TextMode::Tex, SourceLanguage::CFamily},
    {"latex", TextMode::Tex, SourceLanguage::CFamily},
    {"email", TextMode::Email, SourceLanguage::CFamily},
    {"mail", TextMode::Email, SourceLanguage::CFamily},
    {"nroff", TextMode::Nroff, SourceLanguage::CFamily},
    {"troff", TextMode::Nroff, SourceLanguage::CFamily},
    {"man", TextMode::Nroff, SourceLanguage::CFamily},
    {"comment", TextMode::Comment, SourceLanguage::CFamily},
    {"c", TextMode::Comment, SourceLanguage::CFamily},
    {"cpp", TextMode::Comment, SourceLanguage::CFamily},
    {"c++", TextMode::Comment, SourceLanguage::CFamily},
    {"javascript", TextMode::Comment, SourceLanguage::JavaScript},
    {"js", TextMode::Comment, SourceLanguage::JavaScript},
    {"go", TextMode::Comment, SourceLanguage::Go},
    {"rust", TextMode::Comment, SourceLanguage::Rust},
    {"python", TextMode::Comment, SourceLanguage::Python},
    {"shell", TextMode::Comment, SourceLanguage::Shell},
    {"sh", TextMode::Comment, SourceLanguage::Shell},
};

struct Extension {
    const char* extension;
    TextMode mode;
    SourceLanguage language;
};

constexpr Extension Extensions[] = {
    {"md", TextMode::Markdown, SourceLanguage::CFamily},
    {"markdown", TextMode::Markdown, SourceLanguage::CFamily},
    {"mkd", TextMode::Markdown, SourceLanguage::CFamily},
    {"mdown", TextMode::Markdown, SourceLanguage::CFamily},
    {"html", TextMode::Html, SourceLanguage::CFamily},
    {"htm", TextMode::Html, SourceLanguage::CFamily},
    {"xhtml", TextMode::Html, SourceLanguage::CFamily},
    {"shtml", TextMode::Html, SourceLanguage::CFamily},
    {"xml", TextMode::Html, SourceLanguage::CFamily},
    {"sgml", TextMode::Html, SourceLanguage::CFamily},
    {"sgm", TextMode::Html, SourceLanguage::CFamily},
    {"svg", TextMode::Html, SourceLanguage::CFamily},
    {"xsl", TextMode::Html, SourceLanguage::CFamily},
    {"xslt", TextMode::Html, SourceLanguage::CFamily},
    {"docbook", TextMode::Html, SourceLanguage::CFamily},
    {"dbk", TextMode::Html, SourceLanguage::CFamily},
    {"tex", TextMode::Tex, SourceLanguage::CFamily},
    {"latex", TextMode::Tex, SourceLanguage::CFamily},
    {"ltx", TextMode::Tex, SourceLanguage::CFamily},
    {"sty", TextMode::Tex, SourceLanguage::CFamily},
    {"cls", TextMode::Tex, SourceLanguage::CFamily},
    {"dtx", TextMode::Tex, SourceLanguage::CFamily},
    {"eml", TextMode::Email, SourceLanguage::CFamily},
    {"mbox", TextMode::Email, SourceLanguage::CFamily},
    {"man", TextMode::Nroff, SourceLanguage::CFamily},
    {"mdoc", TextMode::Nroff, SourceLanguage::CFamily},
    {"roff", TextMode::Nroff, SourceLanguage::CFamily},
    {"nroff", TextMode::Nroff, SourceLanguage::CFamily},
    {"ms", TextMode::Nroff, SourceLanguage::CFamily},
    {"me", TextMode::Nroff, SourceLanguage::CFamily},
    {"c", TextMode::Comment, SourceLanguage::CFamily},
    {"h", TextMode::Comment, SourceLanguage::CFamily},
    {"cc", TextMode::Comment, SourceLanguage::CFamily},
    {"cpp", TextMode::Comment, SourceLanguage::CFamily},
    {"cxx", TextMode::Comment, SourceLanguage::CFamily},
    {"c++", TextMode::Comment, SourceLanguage::CFamily},
    {"hh", TextMode::Comment, SourceLanguage::CFamily},
    {"hpp", TextMode::Comment, SourceLanguage::CFamily},
    {"hxx", TextMode::Comment, SourceLanguage::CFamily},
    {"ipp", TextMode::Comment, SourceLanguage::CFamily},
    {"m", TextMode::Comment, SourceLanguage::CFamily},
    {"mm", TextMode::Comment, SourceLanguage::CFamily},
    {"java", TextMode::Comment, SourceLanguage::CFamily},
    {"cs", TextMode::Comment, SourceLanguage::CFamily},
    {"swift", TextMode::Comment, SourceLanguage::CFamily},
    {"kt", TextMode::Comment, SourceLanguage::CFamily},
    {"scala", TextMode::Comment, SourceLanguage::CFamily},
    {"dart", TextMode::Comment, SourceLanguage::CFamily},
    {"js", TextMode::Comment, SourceLanguage::JavaScript},
    {"mjs", TextMode::Comment, SourceLanguage::JavaScript},
    {"cjs", TextMode::Comment, SourceLanguage::JavaScript},
    {"jsx", TextMode::Comment, SourceLanguage::JavaScript},
    {"ts", TextMode::Comment, SourceLanguage::JavaScript},
    {"tsx", TextMode::Comment, SourceLanguage::JavaScript},
    {"go", TextMode::Comment, SourceLanguage::Go},
    {"rs", TextMode::Comment, SourceLanguage::Rust},
    {"py", TextMode::Comment, SourceLanguage::Python},
    {"pyw", TextMode::Comment, SourceLanguage::Python},
    {"pyi", TextMode::Comment, SourceLanguage::Python},
    {"sh", TextMode::Comment, SourceLanguage::Shell},
    {"bash", TextMode::Comment, SourceLanguage::Shell},
    {"zsh", TextMode::Comment, SourceLanguage::Shell},
    {"ksh", TextMode::Comment, SourceLanguage::Shell},
    {"pl", TextMode::Comment, SourceLanguage::Shell},
    {"pm", TextMode::Comment, SourceLanguage::Shell},
    {"rb", TextMode::Comment, SourceLanguage::Shell},
    {"cmake", TextMode::Comment, SourceLanguage::Shell},
    {"mk", TextMode::Comment, SourceLanguage::Shell},
    {"yml", TextMode::Comment, SourceLanguage::Shell},
    {"yaml", TextMode::Comment, SourceLanguage::Shell},
    {"toml", TextMode::Comment, SourceLanguage::Shell},
};

}  // namespace

bool parse_mode_name(std::string_view name, ModeChoice& choice) {
    for (const NamedChoice& named : ModeNames) {
        if (equal_ci(name, named.name)) {
            choice = {named.mode, named.language};
            return true;
        }
    }
    return false;
}

const char* mode_name(TextMode mode) {
    switch (mode) {
        case TextMode::Markdown: return "markdown";
        case TextMode::Html: return "html";
        case TextMode::Tex: return "tex";
        case TextMode::Email: return "email";
        case TextMode::Nroff: return "nroff";
        case TextMode::Comment: return "comment";
        case TextMode::Text: break;
    }
    return "text";
}

ModeChoice mode_for_file_name(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
    for (char& c : name) c = to_lower(c);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".in") == 0)
        name.resize(name.size() - 3);
    if (one_of(name, {"makefile", "gnumakefile", "cmakelists.txt", "dockerfile", ".bashrc",
                      ".profile", "configure.ac"}))
        return {TextMode::Comment, SourceLanguage::Shell};
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    for (const Extension& e : Extensions)
        if (extension == e.extension) return {e.mode, e.language};
    // Man pages: "ls.1", "printf.3p", "Foo::Bar.3pm".
    if (!extension.empty() && extension[0] >= '1' && extension[0] <= '9') {
        bool alnum = extension.size() <= 4;
        for (char c : extension) alnum = alnum && is_alnum(c);
        if (alnum) return {TextMode::Nroff, SourceLanguage::CFamily};
    }
    return {};
}

void ProseFilter::mask(std::string& text) { mask(text.data(), text.size()); }

void ProseFilter::mask(char* data, size_t size) {
    size_t start = 0;
    while (start < size) {
        const char* newline =
            static_cast<const char*>(std::memchr(data + start, '\n', size - start));
        const size_t end = newline != nullptr ? static_cast<size_t>(newline - data) : size;
        mask_line(data + start, end - start);
        start = end + 1;
    }
}

void ProseFilter::mask_line(char* line, size_t size) {
    ++line_number_;
    switch (choice_.mode) {
        case TextMode::Markdown: markdown_line(line, size); break;
        case TextMode::Html: html_span(line, size, 0); break;
        case TextMode::Tex: tex_line(line, size); break;
        case TextMode::Email: email_line(line, size); break;
        case TextMode::Nroff: nroff_line(line, size); break;
        case TextMode::Comment: comment_line(line, size); break;
        case TextMode::Text: break;
    }
}

void ProseFilter::markdown_line(char* p, size_t n) {
    if (html_comment_ || in_tag_ || !raw_element_.empty()) {
        html_span(p, n, 0);
        return;
    }
    size_t indent = 0, first = 0;
    for (; first < n && (p[first] == ' ' || p[first] == '\t'); ++first)
        indent += p[first] == '\t' ? 4 - indent % 4 : 1;
    if (fence_char_ != 0) {
        size_t end = first;
        while (end < n && p[end] == fence_char_) ++end;
        if (indent < 4 && end - first >= fence_length_ && is_blank_line(p + end, n - end))
            fence_char_ = 0;
        blank(p, 0, n);
        return;
    }
    if (is_blank_line(p, n)) {
        previous_blank_ = true;
        return;
    }
    if (indent >= (in_list_ ? 8u : 4u) && (previous_blank_ || indented_code_)) {
        indented_code_ = true;
        previous_blank_ = false;
        blank(p, 0, n);
        return;
    }
    indented_code_ = false;
    previous_blank_ = false;
    const char c = p[first];
    if (indent < 4 && (c == '`' || c == '~')) {
        size_t end = first;
        while (end < n && p[end] == c) ++end;
        if (end - first >= 3 && (c == '~' || std::memchr(p + end, '`', n - end) == nullptr)) {
            fence_char_ = c;
            fence_length_ = end - first;
            blank(p, 0, n);
            return;
        }
    }
    size_t digits = first;
    while (digits < n && is_digit(p[digits])) ++digits;
    const bool bullet = (c == '-' || c == '*' || c == '+') && first + 1 < n && p[first + 1] == ' ';
    const bool numbered = digits > first && digits + 1 < n &&
                          (p[digits] == '.' || p[digits] == ')') && p[digits + 1] == ' ';
    if (bullet || numbered) {
        in_list_ = true;
    } else if (indent == 0) {
        in_list_ = false;
    }
    // A link reference definition: "[label]: address".
    if (indent < 4 && c == '[') {
        const size_t close = find(p, n, first, "]");
        if (close + 1 < n && p[close + 1] == ':') {
            blank(p, 0, n);
            return;
        }
    }
    blank_code_spans(p, n);
    html_span(p, n, 0);
    // Link destinations: "](address "title")".
    size_t close = 0;
    for (size_t k = 0; k + 1 < n; ++k) {
        if (p[k] != ']' || p[k + 1] != '(') continue;
        if (close <= k + 1) close = find(p, n, k + 2, ")");
        if (close == n) break;
        blank(p, k + 1, close + 1);
        k = close;
    }
}

void ProseFilter::html_span(char* p, size_t n, size_t i) {
    const bool markdown = choice_.mode == TextMode::Markdown;
    if (is_blank_line(p, n)) {
        // A tag never holds an empty line: one left open ends here.
        in_tag_ = false;
        tag_quote_ = 0;
        opening_element_.clear();
        return;
    }
    size_t next_gt = 0;  // Markdown: the next '>' of the line, or n
    while (i < n) {
        if (html_comment_) {
            const size_t end = find(p, n, i, "-->");
            if (end == n) {
                blank(p, i, n);
                return;
            }
            blank(p, i, end + 3);
            i = end + 3;
            html_comment_ = false;
            continue;
        }
        if (in_tag_) {
            for (; i < n; ++i) {
                const char c = p[i];
                p[i] = ' ';
                if (tag_quote_ != 0) {
                    if (c == tag_quote_) tag_quote_ = 0;
                } else if (c == '"' || c == '\'') {
                    tag_quote_ = c;
                } else if (c == '>') {
                    in_tag_ = false;
                    raw_element_ = opening_element_;
                    opening_element_.clear();
                    ++i;
                    break;
                }
            }
            continue;
        }
        if (!raw_element_.empty()) {
            size_t k = i;
            for (;; k += 2) {
                k = find(p, n, k, "</");
                if (k == n) break;
                const size_t length = std::min(raw_element_.size(), n - k - 2);
                if (equal_ci(std::string_view(p + k + 2, length), raw_element_)) break;
            }
            blank(p, i, k);
            i = k;
            if (k == n) return;
            raw_element_.clear();
        }
        const char c = p[i];
        if (c == '<') {
            if (starts_with(p, n, i, "<!--")) {
                blank(p, i, i + 4);
                i += 4;
                html_comment_ = true;
                continue;
            }
            if (starts_with(p, n, i, "<![CDATA[")) {
                blank(p, i, i + 9);
                i += 9;
                continue;
            }
            const char next = i + 1 < n ? p[i + 1] : '\0';
            if (is_alpha(next) || next == '/' || next == '!' || next == '?') {
                if (markdown) {
                    if (next_gt <= i) next_gt = find(p, n, i, ">");
                    if (next_gt == n) {
                        ++i;
                        continue;
                    }
                }
                size_t end = i + 1;
                while (end < n && (is_alnum(p[end]) || p[end] == '-' || p[end] == ':')) ++end;
                const std::string_view element(p + i + 1, end - i - 1);
                if (equal_ci(element, "script") || equal_ci(element, "style")) {
                    opening_element_.assign(element);
                    for (char& e : opening_element_) e = to_lower(e);
                }
                in_tag_ = true;
                tag_quote_ = 0;
                continue;
            }
        } else if (c == ']' && starts_with(p, n, i, "]]>")) {
            blank(p, i, i + 3);
            i += 3;
            continue;
        } else if (c == '&') {
            size_t end = i + 1;
            if (end < n && p[end] == '#') ++end;
            const size_t name = end;
            while (end < n && end - name < 32 && is_alnum(p[end])) ++end;
            if (end < n && p[end] == ';' && end > name) {
                blank(p, i, end + 1);
                i = end + 1;
                continue;
            }
        }
        ++i;
    }
}

void ProseFilter::tex_line(char* p, size_t n) {
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
            const size_t end = find(p, n, i, environment_end_);
            if (end == n) {
                blank(p, i, n);
                return;
            }
            blank(p, i, end + environment_end_.size());
            i = end + environment_end_.size();
            environment_end_.clear();
            continue;
        }
        const char c = p[i];
        if (argument_depth_ > 0) {
            if (c == '\\') {
                blank(p, i, std::min(n, i + 2));
                i += 2;
                continue;
            }
            if (c == '{') ++argument_depth_;
            if (c == '}' && --argument_depth_ == 0) --arguments_to_skip_;
            p[i++] = ' ';
            continue;
        }
        if (math_ != 0) {
            if (c == '\\' && i + 1 < n) {
                if ((math_ == '(' && p[i + 1] == ')') || (math_ == '[' && p[i + 1] == ']'))
                    math_ = 0;
                blank(p, i, i + 2);
                i += 2;
                continue;
            }
            if (c == '$' && math_ == 'D' && i + 1 < n && p[i + 1] == '$') {
                math_ = 0;
                blank(p, i, i + 2);
                i += 2;
                continue;
            }
            if (c == '$' && math_ == '$') math_ = 0;
            p[i++] = ' ';
            continue;
        }
        if (arguments_to_skip_ > 0) {
            if (is_blank(c)) {
                ++i;
                continue;
            }
            if (c == '[') {
                const size_t close = find_near(p, n, i, ']', 256);
                if (close < n) {
                    blank(p, i, close + 1);
                    i = close + 1;
                    continue;
                }
            }
            if (c == '{') {
                argument_depth_ = 1;
                p[i++] = ' ';
                continue;
            }
            arguments_to_skip_ = 0;
        }
        if (c == '%') {
            blank(p, i, n);
            return;
        }
        if (c == '$') {
            const bool display = i + 1 < n && p[i + 1] == '$';
            math_ = display ? 'D' : '$';
            blank(p, i, i + (display ? 2 : 1));
            i += display ? 2 : 1;
            continue;
        }
        if (c != '\\') {
            ++i;
            continue;
        }
        if (i + 1 >= n || !is_alpha(p[i + 1])) {
            // A control symbol: \\, \%, \( and \[ that open mathematics.
            if (i + 1 < n && (p[i + 1] == '(' || p[i + 1] == '[')) math_ = p[i + 1];
            blank(p, i, std::min(n, i + 2));
            i += 2;
            continue;
        }
        size_t end = i + 1;
        while (end < n && (is_alpha(p[end]) || p[end] == '@')) ++end;
        const std::string name(p + i + 1, end - i - 1);
        if (end < n && p[end] == '*') ++end;
        blank(p, i, end);
        i = end;
        if (name == "verb" && i < n) {
            const size_t close = find_near(p, n, i + 1, p[i], n);
            blank(p, i, close < n ? close + 1 : n);
            i = close < n ? close + 1 : n;
            continue;
        }
        if (name == "begin") {
            size_t open = i;
            while (open < n && is_blank(p[open])) ++open;
            const size_t close = open < n && p[open] == '{' ? find_near(p, n, open, '}', 256) : n;
            if (close == n) {
                arguments_to_skip_ = 1;
                continue;
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
                arguments_to_skip_ = count_of(TexEnvironmentArguments,
                                              std::size(TexEnvironmentArguments), environment);
            }
            continue;
        }
        arguments_to_skip_ = count_of(TexCommands, std::size(TexCommands), name);
    }
}

void ProseFilter::email_line(char* p, size_t n) {
    const bool empty = is_blank_line(p, n);
    if (line_number_ == 1) {
        size_t colon = 0;
        while (colon < n && p[colon] > ' ' && p[colon] < 127 && p[colon] != ':') ++colon;
        in_header_ = (colon > 0 && colon < n && p[colon] == ':') || starts_with(p, n, 0, "From ");
    } else if (!in_header_ && previous_blank_ && starts_with(p, n, 0, "From ")) {
        in_header_ = true;  // the next message of a mailbox
    }
    previous_blank_ = empty;
    if (in_header_) {
        if (empty) {
            in_header_ = false;
            return;
        }
        if (p[0] == ' ' || p[0] == '\t') {
            if (header_skipped_) blank(p, 0, n);
            return;
        }
        size_t colon = 0;
        while (colon < n && p[colon] > ' ' && p[colon] < 127 && p[colon] != ':') ++colon;
        if (colon > 0 && colon < n && p[colon] == ':') {
            header_skipped_ = !equal_ci(std::string_view(p, colon), "Subject");
            blank(p, 0, header_skipped_ ? n : colon + 1);
            return;
        }
        if (starts_with(p, n, 0, "From ")) {
            header_skipped_ = true;
            blank(p, 0, n);
            return;
        }
        in_header_ = false;  // a body that follows without its empty line
    }
    size_t first = 0;
    while (first < n && is_blank(p[first])) ++first;
    if (first < n && p[first] == '>') blank(p, 0, n);
}

void ProseFilter::nroff_line(char* p, size_t n) {
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
        bool code = false;
        for (size_t i = end; mdoc && i < n;) {
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
        return;
    }
    blank(p, 0, n);
}

void ProseFilter::comment_line(char* p, size_t n) {
    if (!heredoc_end_.empty()) {
        // A here-document's body is text, up to the line of its delimiter.
        size_t first = 0;
        while (first < n && p[first] == '\t') ++first;
        size_t last = n;
        while (last > first && p[last - 1] == '\r') --last;
        if (std::string_view(p + first, last - first) == heredoc_end_) {
            heredoc_end_.clear();
            blank(p, 0, n);
        }
        return;
    }
    size_t i = 0;
    while (i < n) {
        if (block_comment_ > 0) {
            const bool nests = choice_.language == SourceLanguage::Rust;
            size_t k = i;
            while (k < n) {
                if (k + 1 < n && p[k] == '*' && p[k + 1] == '/') {
                    blank(p, k, k + 2);
                    k += 2;
                    if (--block_comment_ == 0) break;
                } else if (nests && k + 1 < n && p[k] == '/' && p[k + 1] == '*') {
                    blank(p, k, k + 2);
                    k += 2;
                    ++block_comment_;
                } else {
                    ++k;
                }
            }
            comment_text(p, i, k);
            i = k;
        } else if (string_quote_ != 0) {
            i = source_string(p, n, i);
        } else {
            i = source_code(p, n, i);
        }
    }
    // Only some strings run on over a line end.
    const SourceLanguage language = choice_.language;
    const bool multi_line = triple_quote_ || raw_hashes_ >= 0 || string_quote_ == '`' ||
                            language == SourceLanguage::Shell ||
                            (language == SourceLanguage::Rust && string_quote_ == '"');
    if (!multi_line) string_quote_ = 0;
}

size_t ProseFilter::source_code(char* p, size_t n, size_t i) {
    const SourceLanguage language = choice_.language;
    const bool python = language == SourceLanguage::Python;
    const bool shell = language == SourceLanguage::Shell;
    const bool hash_comments = python || shell;
    while (i < n) {
        const char c = p[i];
        const char next = i + 1 < n ? p[i + 1] : '\0';
        if (hash_comments && c == '#' &&
            (python || i == 0 || std::strchr(" \t;|&(", p[i - 1]) != nullptr)) {
            p[i] = ' ';
            comment_text(p, i + 1, n);
            return n;
        }
        if (!hash_comments && c == '/' && next == '/') {
            blank(p, i, i + 2);
            comment_text(p, i + 2, n);
            return n;
        }
        if (!hash_comments && c == '/' && next == '*') {
            blank(p, i, i + 2);
            block_comment_ = 1;
            return i + 2;
        }
        const bool char_literals = language == SourceLanguage::CFamily ||
                                   language == SourceLanguage::Go ||
                                   language == SourceLanguage::Rust;
        if (c == '\'' && char_literals) {
            // 'x' and '\n' are no prose; a quote that closes nothing near
            // (a Rust lifetime, a C++ digit separator) is code.
            const size_t close =
                find_near(p, n, next == '\\' ? i + 3 : i + 2, '\'', next == '\\' ? 10 : 1);
            const size_t end = close < n ? close + 1 : i + 1;
            blank(p, i, end);
            i = end;
            continue;
        }
        const bool backtick_strings =
            language == SourceLanguage::Go || language == SourceLanguage::JavaScript;
        if (c == '"' || c == '\'' || (c == '`' && backtick_strings)) {
            string_quote_ = c;
            triple_quote_ =
                python && (starts_with(p, n, i, "\"\"\"") || starts_with(p, n, i, "'''"));
            const size_t length = triple_quote_ ? 3 : 1;
            blank(p, i, i + length);
            return i + length;
        }
        if (language == SourceLanguage::Rust && c == 'r' && (i == 0 || !is_ident(p[i - 1]))) {
            size_t k = i + 1;
            while (k < n && p[k] == '#') ++k;
            if (k < n && p[k] == '"') {
                raw_hashes_ = static_cast<int>(k - i - 1);
                string_quote_ = '"';
                blank(p, i, k + 1);
                return k + 1;
            }
        }
        if (shell && c == '<' && starts_with(p, n, i, "<<") && !starts_with(p, n, i, "<<<")) {
            size_t k = i + 2;
            if (k < n && p[k] == '-') ++k;
            while (k < n && is_blank(p[k])) ++k;
            if (k < n && (p[k] == '\'' || p[k] == '"')) ++k;
            size_t end = k;
            while (end < n && is_ident(p[end])) ++end;
            if (end > k) heredoc_end_.assign(p + k, end - k);
            blank(p, i, end < n && (p[end] == '\'' || p[end] == '"') ? end + 1 : end);
            i = end;
            continue;
        }
        p[i++] = ' ';
    }
    return n;
}

size_t ProseFilter::source_string(char* p, size_t n, size_t i) {
    const SourceLanguage language = choice_.language;
    const char quote = string_quote_;
    // The shell's single quotes have no escapes, but printf formats in
    // them do ("%s\n"); a backslash before the closing quote stays.
    const bool shell_single = language == SourceLanguage::Shell && quote == '\'';
    const bool escapes = raw_hashes_ < 0 && !(language == SourceLanguage::Go && quote == '`');
    const auto close = [this] {
        string_quote_ = 0;
        triple_quote_ = false;
        raw_hashes_ = -1;
    };
    while (i < n) {
        const char c = p[i];
        const char next = i + 1 < n ? p[i + 1] : '\0';
        if (escapes && c == '\\' && !(shell_single && !is_alnum(next))) {
            const size_t end = escape_end(p, n, i);
            blank(p, i, end);
            i = end;
            continue;
        }
        if (c == quote) {
            if (triple_quote_) {
                if (starts_with(p, n, i, std::string(3, quote))) {
                    blank(p, i, i + 3);
                    close();
                    return i + 3;
                }
                ++i;
                continue;
            }
            size_t end = i + 1;
            if (raw_hashes_ > 0) {
                while (end < n && p[end] == '#' && static_cast<int>(end - i - 1) < raw_hashes_)
                    ++end;
                if (static_cast<int>(end - i - 1) < raw_hashes_) {
                    ++i;
                    continue;
                }
            }
            blank(p, i, end);
            close();
            return end;
        }
        if (c == '%') {
            const size_t end = printf_end(p, n, i);
            if (end > i) {
                blank(p, i, end);
                i = end;
                continue;
            }
        }
        // Interpolations are code: "${name}" and "$name" in the shell,
        // "{name}" in Python, "${expression}" in JavaScript templates.
        if (c == '$' && ((language == SourceLanguage::Shell && quote == '"') ||
                         (language == SourceLanguage::JavaScript && quote == '`'))) {
            size_t end = i + 1;
            if (next == '{' || next == '(') {
                const size_t found = find_near(p, n, i + 2, next == '{' ? '}' : ')', 256);
                end = found < n ? found + 1 : i + 2;
            } else {
                while (end < n && is_ident(p[end])) ++end;
            }
            blank(p, i, end);
            i = end;
            continue;
        }
        if (c == '{' && language == SourceLanguage::Python) {
            const size_t found = next == '{' ? n : find_near(p, n, i + 1, '}', 64);
            const size_t end = found < n ? found + 1 : i + (next == '{' ? 2 : 1);
            blank(p, i, end);
            i = end;
            continue;
        }
        ++i;
    }
    return n;
}

}  // namespace lumo::tool
