#include "program/options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/char_class.h"
#include "program/ispell_pipe.h"
#include "speller/language.h"

namespace lumo::tool {

namespace {

const char* const Usage =
    "usage: lumospell check [OPTIONS] [FILE...]   report misspelt words (standard input if no "
    "FILE)\n"
    "       lumospell pipe [OPTIONS] [FILE...]    ispell pipe protocol for editors (also: -a)\n"
    "       lumospell list [OPTIONS] [FILE...]    print misspelt words, one a line (also: -l)\n"
    "       lumospell add [OPTIONS] WORD...       add words to the user dictionary\n"
    "       lumospell fix [OPTIONS] FILE...       correct files in the terminal (? shows the "
    "keys)\n"
    "       lumospell lsp [OPTIONS]               language server on standard input and output\n"
    "       lumospell config --show FILE...       the project configuration that applies\n"
    "       lumospell build-dict SOURCE OUTPUT    build a word list from a Shift-JIS dictionary "
    "text\n"
    "       lumospell COMMAND --help              help on one command\n"
    "       lumospell --version\n"
    "\n"
    "options:\n"
    "  -d, --main-dict FILE   main dictionary (default: the installed one of the language)\n"
    "      --lang NAME        en_US, en_GB, en_CA, en_AU, or en for the locale's own\n"
    "                         (default: from LC_ALL, LC_MESSAGES or LANG, else en_US)\n"
    "  -p, --user-dict FILE   user dictionary (default: $XDG_DATA_HOME/lumospell/user.dic)\n"
    "      --encoding ENC     utf-8, shift-jis (cp932), euc-jp, latin-1 or auto (default:\n"
    "                         decided for each file from its bytes)\n"
    "      --mode MODE        text, markdown, html (xml, sgml), tex, email, nroff, rst,\n"
    "                         comment (c, cpp, java, csharp, js, typescript, go, rust,\n"
    "                         python, sh, ruby, php, lua, sql, makefile, dockerfile,\n"
    "                         cmake) or the values of yaml, toml, json; default: from\n"
    "                         each file's name, text for standard input\n"
    "      --ignore-caps      accept words written in capitals only\n"
    "      --ignore-digits    accept words that hold or follow a digit (always outside text)\n"
    "      --no-web           check web and e-mail addresses too\n"
    "      --no-paths         check file paths and dotted names (file.txt, a/b) too\n"
    "      --no-suggest       report words without suggestions (check)\n"
    "      --max-suggestions N  suggestions shown per word (check; default 10, 0 for all)\n"
    "      --json             one JSON object per reported word (check)\n"
    "      --format FORMAT    check's output: text, json, sarif (2.1.0) or github\n"
    "                         (workflow annotations); a summary goes to standard error\n"
    "  -j, --jobs N           worker processes for check and list (default: one per core)\n"
    "      --config FILE      the project configuration (default: .lumospell.toml found\n"
    "                         from each file's folder up to the repository root)\n"
    "      --project          add: to the project's word list instead of the user's\n"
    "      --color[=WHEN]     colours in check's lines: auto (the default: on a terminal\n"
    "                         unless NO_COLOR is set or TERM=dumb), always or never\n"
    "      --engine-order     the engine's own order of suggestions instead of ranked ones\n"
    "  -v, --verbose          say which encoding and mode each file is read in and how\n"
    "                         suggestions are made\n"
    "  -h, --help             show this help\n"
    "\n"
    "check prints FILE:LINE:COLUMN: word: suggestion, ... (columns count characters,\n"
    "from 1) and exits 1 when it reported a word, 0 when none, 2 on errors.\n";

struct CommandHelp {
    const char* command;
    const char* text;
};

constexpr CommandHelp CommandHelps[] = {
    {"check",
     "usage: lumospell check [OPTIONS] [FILE|DIRECTORY|GLOB...]\n"
     "Reports every misspelt word of each FILE (standard input for none or '-') as\n"
     "FILE:LINE:COLUMN: word: suggestion, ...  Columns count characters of the file's\n"
     "encoding, from 1.  Exits 1 when it reported a word, 0 when none, 2 on errors.\n"
     "options: -d FILE, -p FILE, --encoding ENC, --mode MODE, --ignore-caps,\n"
     "  --ignore-digits, --no-web, --no-paths, --no-suggest, --max-suggestions N,\n"
     "  --json, --format text|json|sarif|github, -j N, --config FILE,\n"
     "  --color[=auto|always|never], -v (see 'lumospell --help')\n"
     "A DIRECTORY is walked, leaving out what git and .lumospell-ignore ignore,\n"
     "version-control folders, links and binary files.\n"},
    {"list",
     "usage: lumospell list [OPTIONS] [FILE...]   (also: lumospell -l)\n"
     "Prints each misspelt word of each FILE (standard input for none), one a line,\n"
     "as soon as it is read.\n"
     "options: -d FILE, -p FILE, --encoding ENC, --mode MODE (also -t, -n, -H),\n"
     "  --ignore-caps, --ignore-digits, --no-web, --no-paths, -v\n"},
    {"pipe",
     "usage: lumospell pipe [OPTIONS] [FILE...]   (also: lumospell -a)\n"
     "Speaks the ispell pipe protocol on standard input, or on the lines of each FILE:\n"
     "'*' correct, '& word count offset: suggestions', '# word offset'; commands\n"
     "*word, &word, @word, #, !, %, ^line.\n"
     "options: -d FILE, -p FILE, --encoding ENC (also -i ENC), --mode MODE, -t (tex),\n"
     "  -n (nroff), -H (html), --ignore-caps, --ignore-digits, --no-web, --no-paths\n"},
    {"add",
     "usage: lumospell add [OPTIONS] WORD...\n"
     "Adds each WORD to the user dictionary and says whether it was saved.\n"
     "options: -d FILE, -p FILE\n"},
    {"build-dict",
     "usage: lumospell build-dict SOURCE OUTPUT\n"
     "Builds a main dictionary from the Shift-JIS text of an English-Japanese\n"
     "dictionary.  OUTPUT is replaced only when the build completes; Ctrl-C cancels\n"
     "and leaves any earlier OUTPUT as it was.  Prints the number of words and the\n"
     "time taken.\n"},
};

// A name such as "english" or "en_US": an editor's ispell dictionary.
bool is_bare_dictionary_name(const std::string& v) {
    if (v.empty()) return false;
    for (unsigned char c : v)
        if (!common::is_alnum(c) && c != '_' && c != '-') return false;
    return v.size() < 4 || v.compare(v.size() - 4, 4, ".dic") != 0;
}

void set_mode(Options& o, const std::string& name) {
    ModeChoice choice;
    if (!parse_mode_name(name, choice)) usage_error("unknown mode '" + name + "'");
    o.text_mode = choice;
}

// "auto" asks the terminal; NO_COLOR (no-color.org) and TERM=dumb say no.
bool color_wanted(const std::string& when) {
    if (when == "always") return true;
    if (when == "never") return false;
    if (when != "auto") usage_error("--color takes auto, always or never, not '" + when + "'");
    const char* term = std::getenv("TERM");
    const char* no_color = std::getenv("NO_COLOR");
    return isatty(STDOUT_FILENO) && (no_color == nullptr || *no_color == '\0') && term != nullptr &&
           std::strcmp(term, "dumb") != 0;
}

void set_encoding(Options& o, const std::string& name) {
    if (!parse_encoding_name(name, o.encoding)) usage_error("unknown encoding '" + name + "'");
}

}  // namespace

[[noreturn]] void usage_error(const std::string& message) {
    std::fprintf(stderr, "lumospell: %s\nTry 'lumospell --help'.\n", message.c_str());
    std::exit(ExitError);
}

Options parse_options(int argc, char** argv) {
    Options o;
    int i = 1;
    auto value = [&](const char* name) -> std::string {
        if (i + 1 >= argc) usage_error(std::string("option ") + name + " needs a value");
        return argv[++i];
    };
    auto joined = [&](const std::string& arg, const char* name) {
        const size_t n = std::strlen(name);
        return arg.size() > n && arg.compare(0, n, name) == 0 && arg[n] == '=';
    };
    bool version = false;
    std::string color = "auto";
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (o.command.empty() && !arg.empty() && arg[0] != '-') {
            o.command = arg;
        } else if (arg == "-h" || arg == "--help") {
            for (const CommandHelp& h : CommandHelps) {
                if (o.command == h.command) {
                    std::fputs(h.text, stdout);
                    std::exit(ExitClean);
                }
            }
            std::fputs(Usage, stdout);
            std::exit(ExitClean);
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "-v" || arg == "-vv" || arg == "--verbose") {
            // Editors ask "-v" alone for the version.
            o.verbose = true;
        } else if (arg == "-a") {
            o.command = "pipe";
        } else if (arg == "-l" || arg == "list") {
            o.command = "list";
        } else if (arg == "-d" || arg == "--main-dict") {
            const std::string v = value("--main-dict");
            // An editor's "-d en_GB" (or "en_GB-ise", "british") names a variant.
            const std::string lang = v.rfind("en", 0) == 0
                                         ? language_of_locale(v.substr(0, v.find('-')))
                                     : v == "british"  ? "en_GB"
                                     : v == "american" ? "en_US"
                                                       : "";
            if (is_bare_dictionary_name(v) && access(v.c_str(), F_OK) != 0 && !lang.empty())
                o.language = v == "en" ? "en" : lang;
            else if (is_bare_dictionary_name(v) && access(v.c_str(), F_OK) != 0)
                o.ignored_dictionary_name = v;
            else
                o.main_dict = v;
        } else if (arg == "--lang") {
            o.language = value("--lang");
        } else if (joined(arg, "--lang")) {
            o.language = arg.substr(7);
        } else if (arg == "-p" || arg == "--user-dict") {
            o.user_dict = value("--user-dict");
        } else if (arg == "--encoding" || arg == "-i") {
            set_encoding(o, value("--encoding"));
        } else if (joined(arg, "--encoding")) {
            set_encoding(o, arg.substr(11));
        } else if (arg == "--mode") {
            set_mode(o, value("--mode"));
        } else if (joined(arg, "--mode")) {
            set_mode(o, arg.substr(7));
        } else if (arg == "-t") {
            set_mode(o, "tex");
        } else if (arg == "-n") {
            set_mode(o, "nroff");
        } else if (arg == "-H") {
            set_mode(o, "html");
        } else if (arg == "--ignore-caps") {
            o.mode |= ModeIgnoreAllCapitals;
        } else if (arg == "--ignore-digits") {
            o.mode |= ModeIgnoreWordsWithDigits;
        } else if (arg == "--no-web") {
            o.mode &= ~static_cast<unsigned>(ModeWebAddresses);
        } else if (arg == "--paths") {
            o.mode |= ModePaths;
        } else if (arg == "--no-paths") {
            o.mode &= ~static_cast<unsigned>(ModePaths);
        } else if (arg == "--no-suggest") {
            o.suggest = false;
        } else if (arg == "--max-suggestions") {
            const std::string v = value("--max-suggestions");
            char* end = nullptr;
            const unsigned long n = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0') usage_error("--max-suggestions needs a number");
            o.max_suggestions = n;
        } else if (arg == "--json") {
            o.json = true;
            o.format = "json";
        } else if (arg == "--format" || joined(arg, "--format")) {
            o.format = arg == "--format" ? value("--format") : arg.substr(9);
            if (o.format != "text" && o.format != "json" && o.format != "sarif" &&
                o.format != "github")
                usage_error("--format takes text, json, sarif or github, not '" + o.format + "'");
            o.json = o.format == "json";
        } else if (arg == "-j" || arg == "--jobs" || (arg.rfind("-j", 0) == 0 && arg.size() > 2)) {
            const std::string v = arg.size() > 2 && arg[1] == 'j' ? arg.substr(2) : value("--jobs");
            char* end = nullptr;
            const unsigned long n = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || n == 0 || n > 1024)
                usage_error("-j needs a number of workers from 1 to 1024");
            o.jobs = static_cast<unsigned>(n);
        } else if (arg == "--config") {
            o.config_file = value("--config");
        } else if (joined(arg, "--config")) {
            o.config_file = arg.substr(9);
        } else if (arg == "--project") {
            o.project = true;
        } else if (arg == "--show" && o.command == "config") {
            // config's only action: what applies to each FILE
        } else if (arg == "--color" || arg == "--colour") {
            color = "always";
        } else if (joined(arg, "--color") || joined(arg, "--colour")) {
            color = arg.substr(arg.find('=') + 1);
        } else if (arg == "--engine-order") {
            o.engine_order = true;
        } else if (arg == "-m" || arg == "-B" || arg == "-C" || arg.rfind("-T", 0) == 0) {
            if (arg == "-T") ++i;  // editors' ispell options that change nothing here
        } else if (arg == "--") {
            for (++i; i < argc; ++i) o.arguments.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            usage_error("unknown option '" + arg + "'");
        } else {
            o.arguments.push_back(arg);
        }
    }
    if (version || (o.verbose && o.command.empty())) {
        std::printf("%s\n", PipeBanner);
        std::exit(ExitClean);
    }
    if (o.command.empty()) usage_error("no command given");
    o.color = color_wanted(color) && o.format == "text";
    return o;
}

}  // namespace lumo::tool
