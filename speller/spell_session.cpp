#include "speller/spell_session.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "speller/dictionary_locations.h"
#include "documents/text_prepare.h"
#include "speller/user_dictionary_recovery.h"

namespace lumo::tool {

namespace {

constexpr char SaveFailedPrefix[] = "LumoSpell Error 140 ";

void print_message(const char* text, const char* caption, void*) {
    // The program tells of a failed save itself, saying what is kept.
    if (text && std::strncmp(text, SaveFailedPrefix, sizeof SaveFailedPrefix - 1) == 0) return;
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
    apply_settings();
    return true;
}

void Session::apply_settings() {
    api.mode(mode);
    for (const std::string& word : session_ignores) api.ignore_always(word.c_str());
}

bool Session::close() {
    api.terminate();
    return last_save_worked();
}

bool Session::last_save_worked() {
    char reason[512] = "";
    const int code = api.get_save_result(reason, static_cast<int>(sizeof reason));
    if (code == 0) {
        save_error.clear();
        return true;
    }
    char number[16];
    std::snprintf(number, sizeof number, "0x%x", static_cast<unsigned>(code));
    save_error = std::string(reason[0] ? reason : "unknown reason") + " (code " + number + ")";
    return false;
}

void report_save_failure(const Session& s) {
    std::fprintf(stderr, "lumospell: could not save the user dictionary %s: %s\n",
                 s.user_dict.c_str(), s.save_error.c_str());
}

Reopened reopen_saving(Session& s) {
    if (s.api.init2(s.main_dict.c_str(), s.user_dict.c_str(), 0, s.double_byte) == 1) {
        s.save_error.clear();
        s.apply_settings();
        return Reopened::Done;
    }
    // After a failed save the front keeps the session open with its words:
    // they are saved at the next try.
    return s.last_save_worked() ? Reopened::OpenFailed : Reopened::SaveFailed;
}

bool save_and_reopen(Session& s) {
    switch (reopen_saving(s)) {
        case Reopened::Done: return true;
        case Reopened::SaveFailed:
            std::fprintf(stderr,
                         "lumospell: could not save the user dictionary %s: %s; its new words are "
                         "kept for this session\n",
                         s.user_dict.c_str(), s.save_error.c_str());
            return false;
        case Reopened::OpenFailed: break;
    }
    std::fprintf(stderr, "lumospell: cannot reopen the dictionaries (main %s, user %s)\n",
                 s.main_dict.c_str(), s.user_dict.c_str());
    std::exit(ExitError);
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
    if (opened) open_ranked(o, s);
    return opened;
}

}  // namespace lumo::tool
