// lumospell: checks English text from files or standard input, speaks the
// ispell pipe protocol for editors, builds dictionaries and adds words to
// the user dictionary, using the LumoSpell libraries as any host would.
#include <clocale>
#include <cstdio>
#include <string>

#include "fix/command_fix.h"
#include "program/commands.h"
#include "program/project_files.h"

using namespace lumo::tool;

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    Options o = parse_options(argc, argv);
    if (o.command == "build-dict") return run_build(o);
    if (o.command == "config") return run_config_command(o);
    if (o.command == "add" && o.project) return run_add_project(o);
    o.language_given = !o.language.empty() || !o.main_dict.empty();
    if (!o.language_given && o.command != "lsp" && o.command != "pipe") {
        o.language = project_language(o);
        // check and list tell it for each file of that configuration instead.
        if ((o.command == "check" || o.command == "list") && !o.language.empty() &&
            !language_installed(o.language))
            o.language.clear();
    }
    if (o.command == "lsp") return run_lsp_command(o);
    if (o.command != "check" && o.command != "pipe" && o.command != "list" && o.command != "add" &&
        o.command != "fix")
        usage_error("unknown command '" + o.command + "'");
    if (o.verbose && !o.ignored_dictionary_name.empty())
        std::fprintf(stderr, "lumospell: ignoring the ispell dictionary name '%s'\n",
                     o.ignored_dictionary_name.c_str());
    SpellSession session;
    std::string error;
    if (!session.open(session_settings(o), error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        return ExitError;
    }
    int result = ExitError;
    if (o.command == "check") {
        result = run_check(o, session);
    } else if (o.command == "add") {
        return run_add(o, session);
    } else if (o.command == "fix") {
        if (o.arguments.empty()) usage_error("fix needs at least one FILE");
        std::vector<std::string> files;
        ProjectConfigs configs(o.config_file, [](const std::string& message) {
            std::fprintf(stderr, "lumospell: %s\n", message.c_str());
        });
        bool config_error = false;
        const FileListing listing =
            list_files(o.arguments, walk_ignores(configs, config_error), stderr);
        for (const ListedFile& f : listing.files) files.push_back(f.path);
        if (listing.error || (config_error && !o.config_file.empty())) return ExitError;
        result = run_fix(files, session, configs);
    } else if (o.command == "list") {
        result = run_list_command(o, session);
    } else {
        result = run_pipe_command(o, session);
    }
    if (!session.close()) {
        report_save_failure(session);
        result = ExitError;
    }
    return result;
}
