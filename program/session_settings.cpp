#include <cstdio>
#include <cstdlib>

#include "documents/text_prepare.h"
#include "program/commands.h"
#include "speller/dictionary_locations.h"
#include "speller/language.h"

namespace lumo::tool {

namespace {

void print_message(const char* text, const char* caption) {
    std::fprintf(stderr, "lumospell: %s: %s\n", caption ? caption : "", text ? text : "");
}

}  // namespace

SessionSettings session_settings(const Options& o) {
    SessionSettings settings;
    settings.main_dict = o.main_dict;
    LanguageChoice choice;
    std::string error;
    if (!choose_language(o.language, choice, error)) {
        std::string installed;
        for (const std::string& name : installed_languages(installed_data_dir()))
            installed += " " + name;
        std::fprintf(stderr, "lumospell: %s; installed:%s\n", error.c_str(),
                     installed.empty() ? " none" : installed.c_str());
        std::exit(ExitError);
    }
    if (o.main_dict.empty()) settings.language = choice.name;
    if (o.verbose && o.main_dict.empty())
        std::fprintf(stderr, "lumospell: language %s (%s)\n", choice.name.c_str(),
                     choice.why.c_str());
    else if (o.verbose)
        std::fprintf(stderr, "lumospell: main dictionary %s (--main-dict)\n", o.main_dict.c_str());
    settings.user_dict = o.user_dict;
    settings.mode = o.mode;
    settings.double_byte = encoding_from_locale() == TextEncoding::ShiftJis;
    settings.ranked = !o.engine_order && o.command != "add";
    settings.max_suggestions = o.max_suggestions;
    // Commands that only read need no default user dictionary.
    settings.stand_in_user_dict = o.command == "check" || o.command == "list";
    settings.message = print_message;
    settings.notice = [](const std::string& text) {
        std::fprintf(stderr, "lumospell: %s\n", text.c_str());
    };
    settings.detail = o.verbose;
    return settings;
}

void report_save_failure(const SpellSession& s) {
    std::fprintf(stderr, "lumospell: could not save the user dictionary %s: %s\n",
                 s.user_dict().c_str(), s.save_error().c_str());
}

}  // namespace lumo::tool
