// What the server tells of a document: a diagnostic for every reported
// word of its prose, and the code actions that correct, add or ignore one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "documents/text_modes.h"
#include "lsp/lsp_documents.h"
#include "lsp/lsp_speller.h"
#include "speller/project_config.h"

namespace lumo::tool {

constexpr const char* AddCommand = "lumospell.addToDictionary";
constexpr const char* IgnoreCommand = "lumospell.ignoreForSession";
constexpr const char* AddProjectCommand = "lumospell.addToProjectWords";

// What a document's project lets through (its words, patterns, shortest
// length) and the document's own directives.
struct DocumentRules {
    const ProjectConfig* config = nullptr;
    Directives directives;
};

// The protocol's range of the bytes [from, to) of doc.
nlohmann::json range_json(const LspDocument& doc, size_t from, size_t to,
                          PositionEncoding encoding);

// One diagnostic per word to report in doc, read in mode, the first
// max_count of them, then one that says how many more there are.
std::vector<nlohmann::json> diagnostics_for(const LspDocument& doc, ModeChoice mode,
                                            LspSpeller& speller, PositionEncoding encoding,
                                            size_t max_count, const DocumentRules& rules = {});

// Appends the actions for one published diagnostic of the document at uri:
// its replacements, then adding (to the project's words too when it has a
// word list) and ignoring its word.
void add_actions(const nlohmann::json& diagnostic, const std::string& uri, LspSpeller& speller,
                 bool project_words, nlohmann::json& actions);

}  // namespace lumo::tool
