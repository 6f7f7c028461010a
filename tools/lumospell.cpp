// lumospell: checks English text from files or standard input, speaks the
// ispell pipe protocol for editors, builds dictionaries and adds words to
// the user dictionary, using the LumoSpell libraries as any host would.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "checker.h"
#include "common/save_names.h"
#include "lead_bytes.h"
#include "host_libraries.h"
#include "ispell_pipe.h"

using namespace lumo::tool;

namespace {

constexpr int ExitClean = 0;
constexpr int ExitFound = 1;
constexpr int ExitError = 2;
constexpr int ExitCancelled = 130;

const char* const Usage =
    "usage: lumospell check [OPTIONS] [FILE...]   report misspelt words (standard input if no FILE)\n"
    "       lumospell pipe [OPTIONS]              ispell pipe protocol for editors (also: -a)\n"
    "       lumospell list [OPTIONS]              print misspelt words of standard input (also: -l)\n"
    "       lumospell add [OPTIONS] WORD...       add words to the user dictionary\n"
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
    "  -h, --help             show this help\n"
    "\n"
    "check prints FILE:LINE:COLUMN: word: suggestion, ... (columns count characters,\n"
    "from 1) and exits 1 when it reported a word, 0 when none, 2 on errors.\n";

struct Options {
    std::string command;
    std::string main_dict;
    std::string user_dict;
    unsigned mode = ModeWebAddresses | ModePaths;
    bool suggest = true;
    size_t max_suggestions = 10;
    bool json = false;
    std::vector<std::string> arguments;
};

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
            o.mode |= 0x0002;
        } else if (arg == "--ignore-digits") {
            o.mode |= 0x0004;
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

std::string default_user_dictionary(std::string& error) {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg == '/') {
        base = xdg;
    } else if (home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        error = "cannot find a home for the user dictionary (set HOME or use --user-dict)";
        return {};
    }
    // Creates the folder and any missing parents; failures show up when
    // the dictionary file itself cannot be created.
    const std::string folder = base + "/lumospell";
    for (size_t p = 1; p != std::string::npos; p = folder.find('/', p + 1))
        mkdir(folder.substr(0, p).c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    return folder + "/user.dic";
}

// The engine refuses a missing user dictionary, so an absent one starts empty.
bool ensure_user_dictionary(const std::string& path, std::string& error) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = "user dictionary " + path + " is a directory";
            return false;
        }
        return true;
    }
    // A save that died between its two renames left the list only under
    // the backup name ("<base>.BAK"); an empty list's first save would
    // delete that backup, so take it back instead.
    const lumo::platform::LeadByteSet& lead = lumo::platform::system_lead_bytes();
    const std::string backup =
        lumo::common::save_paths_for(path.c_str(), [&lead](unsigned char c) {
            return lead.is_lead(c);
        }).backup;
    if (stat(backup.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (std::rename(backup.c_str(), path.c_str()) != 0) {
            error = "cannot restore user dictionary " + path + " from " + backup + ": " +
                    std::strerror(errno);
            return false;
        }
        std::fprintf(stderr, "lumospell: user dictionary %s restored from %s\n", path.c_str(),
                     backup.c_str());
        return true;
    }
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        error = "cannot create user dictionary " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    return true;
}

void print_message(const char* text, const char* caption, void*) {
    std::fprintf(stderr, "lumospell: %s: %s\n", caption ? caption : "", text ? text : "");
}

// One open session of the front with both dictionaries.
struct Session {
    FrontApi api;
    std::string engine_path;
    std::string main_dict;
    std::string user_dict;
    unsigned mode = 0;
    int double_byte = 0;
    std::vector<std::string> session_ignores;

    bool open(std::string& error) {
        if (api.init(engine_path.c_str()) != 1) {
            error = "cannot load the speller engine " + engine_path;
            return false;
        }
        if (api.init2(main_dict.c_str(), user_dict.c_str(), 0, double_byte) != 1) {
            api.terminate();
            error = "cannot open the dictionaries (main " + main_dict + ", user " + user_dict + ")";
            return false;
        }
        api.mode(mode);
        for (const std::string& word : session_ignores) api.ignore_always(word.c_str());
        return true;
    }
    void close() { api.terminate(); }
};

// Saving happens when the session ends; reopen it right after.
bool save_and_reopen(Session& s) {
    s.close();
    std::string error;
    if (!s.open(error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        std::exit(ExitError);
    }
    return true;
}

bool open_session(const Options& o, Session& s, std::string& error) {
    const std::string front_path = find_library("liborthbridge.so");
    s.engine_path = find_library("liborthex.so");
    if (front_path.empty() || s.engine_path.empty()) {
        error = "cannot find the LumoSpell libraries beside " + program_dir();
        return false;
    }
    if (!bind_front(front_path, s.api, error)) return false;
    s.api.set_message_handler(print_message, nullptr);
    s.main_dict = o.main_dict.empty() ? default_main_dictionary() : o.main_dict;
    if (s.main_dict.empty()) {
        error = "no main dictionary found; give one with --main-dict";
        return false;
    }
    if (access(s.main_dict.c_str(), R_OK) != 0) {
        error = "cannot read main dictionary " + s.main_dict + ": " + std::strerror(errno);
        return false;
    }
    s.user_dict = o.user_dict.empty() ? default_user_dictionary(error) : o.user_dict;
    if (s.user_dict.empty() || !ensure_user_dictionary(s.user_dict, error)) return false;
    s.mode = o.mode;
    s.double_byte = encoding_from_locale() == TextEncoding::ShiftJis ? 1 : 0;
    return s.open(error);
}

void json_string(std::FILE* out, const std::string& s) {
    // Names need not be UTF-8; such bytes are escaped to keep the JSON valid.
    const bool utf8 = is_valid_utf8(s);
    std::fputc('"', out);
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            std::fprintf(out, "\\%c", c);
        } else if (c < 0x20 || (c >= 0x80 && !utf8)) {
            std::fprintf(out, "\\u%04x", c);
        } else {
            std::fputc(c, out);
        }
    }
    std::fputc('"', out);
}

bool read_all(std::FILE* in, std::string& text) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
    return !std::ferror(in);
}

void report(const Options& o, const std::string& name, const std::string& text,
            const std::vector<Finding>& findings, TextEncoding encoding) {
    size_t line = 1, line_start = 0, scanned = 0;
    for (const Finding& f : findings) {
        for (; scanned < f.offset; ++scanned)
            if (text[scanned] == '\n') {
                ++line;
                line_start = scanned + 1;
            }
        const size_t column =
            1 + count_characters(std::string_view(text).substr(line_start, f.offset - line_start),
                                 encoding);
        if (o.json) {
            std::fputs("{\"file\":", stdout);
            json_string(stdout, name);
            std::printf(",\"line\":%zu,\"column\":%zu,\"offset\":%zu,\"word\":", line, column,
                        f.offset);
            json_string(stdout, f.word);
            std::printf(",\"kind\":\"%s\",\"suggestions\":[",
                        f.status == CheckChangeAlways ? "change-always" : "unknown");
            for (size_t k = 0; k < f.suggestions.size(); ++k) {
                if (k) std::fputc(',', stdout);
                json_string(stdout, f.suggestions[k]);
            }
            std::fputs("]}\n", stdout);
            continue;
        }
        std::printf("%s:%zu:%zu: %s", name.c_str(), line, column, f.word.c_str());
        const size_t shown = (o.max_suggestions == 0 || f.status == CheckChangeAlways)
                                 ? f.suggestions.size()
                                 : std::min(f.suggestions.size(), o.max_suggestions);
        for (size_t k = 0; k < shown; ++k)
            std::printf("%s%s", k ? ", " : ": ", f.suggestions[k].c_str());
        std::fputc('\n', stdout);
    }
}

int run_check(const Options& o, Session& s) {
    Checker checker(s.api, encoding_from_locale());
    std::vector<std::string> files = o.arguments;
    if (files.empty()) files.emplace_back("-");
    int result = ExitClean;
    for (const std::string& file : files) {
        std::string text;
        const bool from_stdin = (file == "-");
        std::FILE* in = from_stdin ? stdin : std::fopen(file.c_str(), "rb");
        struct stat st;
        if (in != nullptr && !from_stdin && fstat(fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
            std::fclose(in);
            in = nullptr;
            errno = EISDIR;
        }
        if (in == nullptr) {
            std::fprintf(stderr, "lumospell: %s: %s\n", file.c_str(), std::strerror(errno));
            result = ExitError;
            continue;
        }
        const bool ok = read_all(in, text);
        if (!from_stdin) std::fclose(in);
        if (!ok) {
            std::fprintf(stderr, "lumospell: %s: read error\n", file.c_str());
            result = ExitError;
            continue;
        }
        std::vector<Finding> findings;
        if (!checker.check(text, o.suggest, findings)) {
            std::fprintf(stderr, "lumospell: %s: the checker failed\n", file.c_str());
            result = ExitError;
            continue;
        }
        report(o, from_stdin ? "<stdin>" : file, text, findings, checker.encoding());
        if (!findings.empty() && result == ExitClean) result = ExitFound;
    }
    std::fflush(stdout);
    if (std::ferror(stdout)) return ExitError;
    return result;
}

int run_add(const Options& o, Session& s) {
    if (o.arguments.empty()) usage_error("add needs at least one word");
    int result = ExitClean;
    std::vector<std::string> added;
    for (const std::string& word : o.arguments) {
        const bool plain = !word.empty() && word.find_first_of(" \t\r\n,") == std::string::npos;
        if (!plain) {
            std::fprintf(stderr, "lumospell: '%s' is not a single word\n", word.c_str());
            result = ExitError;
            continue;
        }
        CheckResult check;
        if (s.api.check(word.c_str(), &check) == CheckNoErrors) {
            std::printf("already known: %s\n", word.c_str());
            continue;
        }
        const int code = s.api.add_word(word.c_str());
        if (code != 0) {
            std::fprintf(stderr, "lumospell: cannot add '%s' (code 0x%x)\n", word.c_str(), code);
            result = ExitError;
            continue;
        }
        added.push_back(word);
    }
    s.close();
    if (added.empty()) return result;
    // The front cannot tell whether saving worked: read the file back.
    std::FILE* in = std::fopen(s.user_dict.c_str(), "rb");
    std::string saved;
    if (in) {
        read_all(in, saved);
        std::fclose(in);
    }
    for (const std::string& word : added) {
        if (saved.find(word + "\r\n") == std::string::npos) {
            std::fprintf(stderr, "lumospell: could not save '%s' to %s\n", word.c_str(),
                         s.user_dict.c_str());
            result = ExitError;
        } else {
            std::printf("added: %s\n", word.c_str());
        }
    }
    return result;
}

int run_build(const Options& o) {
    if (o.arguments.size() != 2) usage_error("build-dict needs SOURCE and OUTPUT");
    const std::string path = find_library("liblexforge.so");
    BuilderApi api;
    std::string error;
    if (path.empty()) error = "cannot find liblexforge.so beside " + program_dir();
    if (!error.empty() || !bind_builder(path, api, error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        return ExitError;
    }
    const char* output = o.arguments[1].c_str();
    if (api.make_dic(nullptr, o.arguments[0].c_str(), output) != 1) return ExitError;
    if (access(output, F_OK) != 0) {
        std::fprintf(stderr, "lumospell: cancelled; %s was not written\n", output);
        return ExitCancelled;
    }
    return ExitClean;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const Options o = parse_options(argc, argv);
    if (o.command == "build-dict") return run_build(o);
    if (o.command != "check" && o.command != "pipe" && o.command != "list" && o.command != "add")
        usage_error("unknown command '" + o.command + "'");
    Session session;
    std::string error;
    if (!open_session(o, session, error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        return ExitError;
    }
    int result = ExitError;
    if (o.command == "check") {
        result = run_check(o, session);
    } else if (o.command == "add") {
        return run_add(o, session);
    } else if (o.command == "list") {
        Checker checker(session.api, encoding_from_locale());
        result = run_list(checker, stdin, stdout);
    } else {
        Checker checker(session.api, encoding_from_locale());
        PipeSession pipe{checker, session.api, [&] { return save_and_reopen(session); },
                         session.session_ignores};
        // A client that goes away ends the session normally, with its save.
        signal(SIGPIPE, SIG_IGN);
        result = run_pipe(pipe, stdin, stdout);
    }
    session.close();
    return result;
}
