#include "program_session.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dictionary_locations.h"
#include "text_prepare.h"
#include "user_dictionary_recovery.h"

namespace lumo::tool {

namespace {

void print_message(const char* text, const char* caption, void*) {
    std::fprintf(stderr, "lumospell: %s: %s\n", caption ? caption : "", text ? text : "");
}

// Ranked suggestions when the ranker can be had; the engine's order otherwise.
void open_ranked(const Options& o, Session& s) {
    if (o.engine_order || o.command == "add") return;
    std::string why;
    const bool ranked = s.ranked.open(s.main_dict, s.user_dict, why);
    if (!o.verbose) return;
    if (!ranked) {
        std::fprintf(stderr, "lumospell: %s; suggestions in the engine's order\n", why.c_str());
        return;
    }
    if (!why.empty()) std::fprintf(stderr, "lumospell: %s\n", why.c_str());
    std::fprintf(stderr, "lumospell: ranked suggestions (%s)\n",
                 s.ranked.uses_index() ? "from the prebuilt index" : "index built at start");
}

}  // namespace

bool Session::open(std::string& error) {
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
    if (!s.open(error)) return false;
    open_ranked(o, s);
    return true;
}

}  // namespace lumo::tool
