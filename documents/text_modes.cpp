#include "documents/text_modes.h"

#include <cstring>
#include <string>

#include "documents/modes/scan.h"

namespace lumo::tool {

using namespace modes;

namespace {

// A name (of a mode, or a file name's extension) and the reading it stands for.
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
    {"java", TextMode::Comment, SourceLanguage::CFamily},
    {"csharp", TextMode::Comment, SourceLanguage::CSharp},
    {"cs", TextMode::Comment, SourceLanguage::CSharp},
    {"typescript", TextMode::Comment, SourceLanguage::JavaScript},
    {"ts", TextMode::Comment, SourceLanguage::JavaScript},
    {"ruby", TextMode::Comment, SourceLanguage::Ruby},
    {"php", TextMode::Comment, SourceLanguage::Php},
    {"lua", TextMode::Comment, SourceLanguage::Lua},
    {"sql", TextMode::Comment, SourceLanguage::Sql},
    {"makefile", TextMode::Comment, SourceLanguage::Makefile},
    {"make", TextMode::Comment, SourceLanguage::Makefile},
    {"dockerfile", TextMode::Comment, SourceLanguage::Dockerfile},
    {"cmake", TextMode::Comment, SourceLanguage::CMake},
    {"yaml", TextMode::Data, SourceLanguage::Yaml},
    {"toml", TextMode::Data, SourceLanguage::Toml},
    {"json", TextMode::Data, SourceLanguage::Json},
    {"rst", TextMode::Rst, SourceLanguage::CFamily},
    {"restructuredtext", TextMode::Rst, SourceLanguage::CFamily},
};

constexpr NamedChoice Extensions[] = {
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
    {"cs", TextMode::Comment, SourceLanguage::CSharp},
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
    {"rb", TextMode::Comment, SourceLanguage::Ruby},
    {"rake", TextMode::Comment, SourceLanguage::Ruby},
    {"gemspec", TextMode::Comment, SourceLanguage::Ruby},
    {"php", TextMode::Comment, SourceLanguage::Php},
    {"lua", TextMode::Comment, SourceLanguage::Lua},
    {"sql", TextMode::Comment, SourceLanguage::Sql},
    {"cmake", TextMode::Comment, SourceLanguage::CMake},
    {"mk", TextMode::Comment, SourceLanguage::Makefile},
    {"dockerfile", TextMode::Comment, SourceLanguage::Dockerfile},
    {"yml", TextMode::Data, SourceLanguage::Yaml},
    {"yaml", TextMode::Data, SourceLanguage::Yaml},
    {"toml", TextMode::Data, SourceLanguage::Toml},
    {"json", TextMode::Data, SourceLanguage::Json},
    {"jsonc", TextMode::Data, SourceLanguage::Json},
    {"rst", TextMode::Rst, SourceLanguage::CFamily},
    {"rest", TextMode::Rst, SourceLanguage::CFamily},
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
        case TextMode::Data: return "data";
        case TextMode::Rst: return "rst";
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
    if (name == "cmakelists.txt") return {TextMode::Comment, SourceLanguage::CMake};
    if (one_of(name, {"gemfile", "rakefile"})) return {TextMode::Comment, SourceLanguage::Ruby};
    if (one_of(name, {"makefile", "gnumakefile"}))
        return {TextMode::Comment, SourceLanguage::Makefile};
    if (one_of(name, {"dockerfile", "containerfile"}) || name.rfind("dockerfile.", 0) == 0)
        return {TextMode::Comment, SourceLanguage::Dockerfile};
    if (one_of(name, {".bashrc", ".profile", "configure.ac"}))
        return {TextMode::Comment, SourceLanguage::Shell};
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    for (const NamedChoice& e : Extensions)
        if (extension == e.name) return {e.mode, e.language};
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
    switch (choice_.mode) {
        case TextMode::Markdown: markdown_.line(line, size); break;
        case TextMode::Html: html_.span(line, size, 0); break;
        case TextMode::Tex: tex_.line(line, size); break;
        case TextMode::Email: email_.line(line, size); break;
        case TextMode::Nroff: nroff_.line(line, size); break;
        case TextMode::Comment:
            if (choice_.language == SourceLanguage::Php)
                php_line(line, size);
            else
                comment_.line(line, size);
            break;
        case TextMode::Data: values_.line(line, size); break;
        case TextMode::Rst: rst_.line(line, size); break;
        case TextMode::Text: break;
    }
}

void ProseFilter::php_line(char* line, size_t size) {
    for (size_t i = 0; i < size;) {
        if (in_php_) {
            i += comment_.php_line(line + i, size - i);
            in_php_ = i >= size && !comment_.left_php();
            if (in_php_) return;
            continue;
        }
        const size_t open = find(line, size, i, "<?");
        html_.span(line, open, i);
        if (open == size) return;
        size_t end = open + 2;
        if (starts_with(line, size, end, "php")) end += 3;
        if (starts_with(line, size, end, "=")) end += 1;
        blank(line, open, end);
        in_php_ = true;
        i = end;
    }
}

}  // namespace lumo::tool
