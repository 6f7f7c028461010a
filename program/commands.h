// The program's commands; each returns the process exit code.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "documents/text_encoding.h"
#include "program/options.h"
#include "program/project_files.h"
#include "speller/checker.h"
#include "speller/project_config.h"
#include "speller/spell_session.h"

namespace lumo::tool {

int run_check(const Options& o, SpellSession& s);
int run_add(const Options& o, SpellSession& s);
int run_build(const Options& o);
int run_pipe_command(const Options& o, SpellSession& s);
int run_list_command(const Options& o, SpellSession& s);
int run_lsp_command(const Options& o);
int run_config_command(const Options& o);
int run_add_project(const Options& o);
// The project configuration for file: --config, else the nearest .lumospell.toml.
// The language the project's configuration names, empty if none.
std::string project_language(const Options& o);
// Whether language names a variant whose dictionary is installed.
bool language_installed(const std::string& language);
std::string project_config_path(const Options& o, const std::string& file);

// The session the command line asks for.
SessionSettings session_settings(const Options& o);
// Tells the user that the session's save failed, with the reason.
void report_save_failure(const SpellSession& s);

// The mode a file is read in, and the engine's options for it.
ModeChoice mode_of(const Options& o, const std::string& file);
unsigned engine_mode(const Options& o, TextMode mode);

using DocumentWord = std::function<void(const std::string& name, const Finding&,
                                        const TextPosition&, OutputConverter&)>;

// Reads each file of the arguments (standard input for none or "-") in
// its encoding, mode and configuration's language (when the command line
// names none) and hands on each reported word as it is found.
// Returns ExitFound when a word was reported.
int for_each_document(const Options& o, SpellSession& s, const DocumentWord& word);
// What a walk leaves out: the ignore_paths of each folder's configuration.
ExtraIgnores walk_ignores(ProjectConfigs& configs, bool& error);

// Reads the whole stream; false on a read error.
bool read_all(std::FILE* in, std::string& text);

}  // namespace lumo::tool
