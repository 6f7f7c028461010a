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
    bool scratch = false;
    if (s.user_dict.empty() || !ensure_user_dictionary(s.user_dict, error)) {
        // Commands that only read need no default user dictionary: an
        // empty one that nothing is ever saved to stands in.
        if (!o.user_dict.empty() || (o.command != "check" && o.command != "list")) return false;
        std::fprintf(stderr, "lumospell: %s; checking without it, additions cannot be saved\n",
                     error.c_str());
        error.clear();
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/lumospell-user-XXXXXX";
        const int fd = mkstemp(&name[0]);
        if (fd < 0) {
            error = "cannot create a stand-in user dictionary: " + std::string(std::strerror(errno));
            return false;
        }
        close(fd);
        s.user_dict = name;
        scratch = true;
    }
    s.mode = o.mode;
    s.double_byte = encoding_from_locale() == TextEncoding::ShiftJis ? 1 : 0;
    const bool opened = s.open(error);
    if (scratch) unlink(s.user_dict.c_str());
    return opened;
}

}  // namespace lumo::tool
