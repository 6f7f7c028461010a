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

namespace lumo::tool {

constexpr const char* AddCommand = "lumospell.addToDictionary";
constexpr const char* IgnoreCommand = "lumospell.ignoreForSession";

// The protocol's range of the bytes [from, to) of doc.
nlohmann::json range_json(const LspDocument& doc, size_t from, size_t to,
                          PositionEncoding encoding);

// One diagnostic per word to report in doc, read in mode, the first
// max_count of them, then one that says how many more there are.
std::vector<nlohmann::json> diagnostics_for(const LspDocument& doc, ModeChoice mode,
                                            LspSpeller& speller, PositionEncoding encoding,
                                            size_t max_count);

// Appends the actions for one published diagnostic of the document at uri:
// its replacements, then adding and ignoring its word.
void add_actions(const nlohmann::json& diagnostic, const std::string& uri, LspSpeller& speller,
                 nlohmann::json& actions);

}  // namespace lumo::tool
