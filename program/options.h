// The program's command line: its command, options and arguments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "documents/text_encoding.h"
#include "documents/text_modes.h"
#include "lumospell/orthbridge.h"

namespace lumo::tool {

constexpr int ExitClean = 0;
constexpr int ExitFound = 1;
constexpr int ExitError = 2;
constexpr int ExitCancelled = 130;

struct Options {
    std::string command;
    std::string main_dict;
    std::string user_dict;
    std::string language;  // --lang or an ispell -d en_GB; empty: the locale's
    // --lang, -d or --main-dict named the language: no project's applies.
    bool language_given = false;
    unsigned mode = ModeWebAddresses | ModePaths;
    bool suggest = true;
    size_t max_suggestions = 10;
    bool json = false;
    std::string format = "text";  // check: text, json, sarif or github
    unsigned jobs = 0;            // check and list: worker processes; 0: one per core
    std::string config_file;      // --config: the project configuration for every file
    bool project = false;         // add: to the project's word list
    bool color = false;           // check: colours on, from --color and the terminal
    bool engine_order = false;    // the engine's own order instead of ranked suggestions
    bool verbose = false;
    std::optional<FileEncoding> encoding;  // none: decided per file
    std::optional<ModeChoice> text_mode;   // none: from each file's name
    // An ispell dictionary name an editor passed, which names nothing of ours.
    std::string ignored_dictionary_name;
    std::vector<std::string> arguments;
};

// Prints message and the hint to --help, and exits with ExitError.
[[noreturn]] void usage_error(const std::string& message);

// Exits at once for --help and --version, and through usage_error for a
// line it cannot take.
Options parse_options(int argc, char** argv);

}  // namespace lumo::tool
