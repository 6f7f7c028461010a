#include "options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "ispell_pipe.h"

namespace lumo::tool {

namespace {

const char* const Usage =
    "usage: lumospell check [OPTIONS] [FILE...]   report misspelt words (standard input if no FILE)\n"
    "       lumospell pipe [OPTIONS]              ispell pipe protocol for editors (also: -a)\n"
    "       lumospell list [OPTIONS]              print misspelt words of standard input (also: -l)\n"
    "       lumospell add [OPTIONS] WORD...       add words to the user dictionary\n"
    "       lumospell fix [OPTIONS] FILE...       correct files in the terminal (? shows the keys)\n"
    "       lumospell lsp [OPTIONS]               language server on standard input and output\n"
    "       lumospell build-dict SOURCE OUTPUT    build a word list from a Shift-JIS dictionary text\n"
    "       lumospell --version\n"
    "\n"
    "options:\n"
    "  -d, --main-dict FILE   main dictionary (default: the one installed with lumospell)\n"
    "  -p, --user-dict FILE   user dictionary (default: $XDG_DATA_HOME/lumospell/user.dic)\n"
    "      --ignore-caps      accept words written in capitals only\n"
    "      --ignore-digits    accept words that hold or follow a digit\n"
    "      --no-web           check web and e-mail addresses too\n"
    "      --no-paths         check file paths and dotted names (file.txt, a/b) too\n"
    "      --no-suggest       report words without suggestions (check)\n"
    "      --max-suggestions N  suggestions shown per word (check; default 10, 0 for all)\n"
    "      --json             one JSON object per reported word (check)\n"
    "      --engine-order     the engine's own order of suggestions instead of ranked ones\n"
    "      --verbose          say how suggestions are made\n"
    "  -h, --help             show this help\n"
    "\n"
    "check prints FILE:LINE:COLUMN: word: suggestion, ... (columns count characters,\n"
    "from 1) and exits 1 when it reported a word, 0 when none, 2 on errors.\n";

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
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (o.command.empty() && !arg.empty() && arg[0] != '-') {
            o.command = arg;
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(Usage, stdout);
            std::exit(ExitClean);
        } else if (arg == "-v" || arg == "-vv" || arg == "--version") {
            std::printf("%s\n", PipeBanner);
            std::exit(ExitClean);
        } else if (arg == "-a") {
            o.command = "pipe";
        } else if (arg == "-l" || arg == "list") {
            o.command = "list";
        } else if (arg == "-d" || arg == "--main-dict") {
            const std::string v = value("--main-dict");
            // Editors pass ispell dictionary names such as "english"; only
            // a path names a word list of ours.
            if (v.find('/') != std::string::npos || access(v.c_str(), F_OK) == 0) o.main_dict = v;
        } else if (arg == "-p" || arg == "--user-dict") {
            o.user_dict = value("--user-dict");
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
        } else if (arg == "--engine-order") {
            o.engine_order = true;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "-m" || arg == "-B" || arg == "-C" || arg.rfind("-T", 0) == 0 ||
                   arg.rfind("--encoding", 0) == 0) {
            if (arg == "-T") ++i;  // editors' ispell options that change nothing here
        } else if (arg == "--") {
            for (++i; i < argc; ++i) o.arguments.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            usage_error("unknown option '" + arg + "'");
        } else {
            o.arguments.push_back(arg);
        }
    }
    if (o.command.empty()) usage_error("no command given");
    return o;
}

}  // namespace lumo::tool
