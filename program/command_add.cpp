#include <cstring>
#include <vector>

#include "program/commands.h"
#include "speller/user_dictionary_recovery.h"

namespace lumo::tool {

int run_add(const Options& o, SpellSession& s) {
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
        if (s.front().check(word.c_str(), &check) == CheckNoErrors) {
            std::printf("already known: %s\n", word.c_str());
            continue;
        }
        const int code = s.add_word(word);
        if (code != 0) {
            std::fprintf(stderr, "lumospell: cannot add '%s' (code 0x%x)\n", word.c_str(), code);
            result = ExitError;
            continue;
        }
        added.push_back(word);
    }
    const bool saved_ok = s.close();
    if (added.empty()) return result;
    if (!saved_ok) {
        report_save_failure(s);
        return ExitError;
    }
    // Read the file back as well: "added" only for what is really there.
    std::string saved;
    read_user_dictionary(s.user_dict(), saved);
    for (const std::string& word : added) {
        if (saved.find(word + "\r\n") == std::string::npos) {
            std::fprintf(stderr, "lumospell: could not save '%s' to %s\n", word.c_str(),
                         s.user_dict().c_str());
            result = ExitError;
        } else {
            std::printf("added: %s\n", word.c_str());
        }
    }
    return result;
}

}  // namespace lumo::tool
