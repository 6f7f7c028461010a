#include "lsp/diagnostics.h"

#include <string_view>

#include "documents/utf8.h"

namespace lumo::tool {

using json = nlohmann::json;

namespace {
constexpr size_t SuggestionsOffered = 5;
}  // namespace

json range_json(const LspDocument& doc, size_t from, size_t to, PositionEncoding encoding) {
    const LspPosition a = doc.position_of(from, encoding);
    const LspPosition b = doc.position_of(to, encoding);
    return {{"start", {{"line", a.line}, {"character", a.character}}},
            {"end", {{"line", b.line}, {"character", b.character}}}};
}

std::vector<json> diagnostics_for(const LspDocument& doc, ModeChoice mode, LspSpeller& speller,
                                  PositionEncoding encoding, size_t max_count,
                                  const DocumentRules& rules) {
    std::vector<json> out;
    std::string prose = doc.text();
    ProseFilter(mode).mask(prose);
    LineCursor cursor(doc, encoding);
    const auto range = [&](size_t from, size_t to) {
        const LspPosition a = cursor.advance(from);
        const LspPosition b = cursor.advance(to);
        return json{{"start", {{"line", a.line}, {"character", a.character}}},
                    {"end", {{"line", b.line}, {"character", b.character}}}};
    };
    size_t more = 0;
    size_t first_unshown = 0;
    for (size_t line = 0; line < doc.line_count(); ++line) {
        const size_t start = doc.line_start(line);
        const size_t end = doc.line_end(line);
        const std::string_view text = std::string_view(prose).substr(start, end - start);
        const std::vector<Finding>& all = speller.check_line(text, mode);
        std::vector<Finding> kept;
        if (rules.config != nullptr && !all.empty()) {
            kept = all;
            drop_pattern_matches(*rules.config, text, kept, 0);
        }
        for (const Finding& f : rules.config != nullptr ? kept : all) {
            if (rules.config != nullptr) {
                const TextPosition at{line + 1, 1 + utf8_characters(text.substr(0, f.offset))};
                if (!project_accepts(*rules.config, f) || rules.directives.silences(f, at))
                    continue;
            }
            const size_t from = start + f.offset;
            if (out.size() >= max_count) {
                if (more++ == 0) first_unshown = from;
                continue;
            }
            const bool change = f.status == CheckChangeAlways;
            const std::string message =
                change && !f.suggestions.empty()
                    ? "'" + f.word + "': change to '" + f.suggestions.front() + "'"
                    : "unknown word '" + f.word + "'";
            out.push_back({{"range", range(from, from + f.length)},
                           {"severity", 3},
                           {"source", "lumospell"},
                           {"code", change ? "change-always" : "unknown-word"},
                           {"message", message},
                           {"data", {{"word", f.word}}}});
        }
    }
    if (more > 0)
        out.push_back({{"range", range(first_unshown, first_unshown)},
                       {"severity", 3},
                       {"source", "lumospell"},
                       {"code", "more"},
                       {"message", std::to_string(more) + " more unknown words not shown"}});
    return out;
}

void add_actions(const json& diagnostic, const std::string& uri, LspSpeller& speller,
                 bool project_words, json& actions) {
    if (!diagnostic.contains("data")) return;  // the count of those not shown
    const std::string word = diagnostic["data"]["word"].get<std::string>();
    for (const std::string& s : speller.suggestions(word, SuggestionsOffered)) {
        json edit = {{"range", diagnostic["range"]}, {"newText", s}};
        actions.push_back({{"title", "Replace with '" + s + "'"},
                           {"kind", "quickfix"},
                           {"diagnostics", {diagnostic}},
                           {"edit", {{"changes", {{uri, {edit}}}}}}});
    }
    const auto command = [&](const char* title, const char* name, json arguments) {
        actions.push_back(
            {{"title", title + word + "'"},
             {"kind", "quickfix"},
             {"diagnostics", {diagnostic}},
             {"command",
              {{"title", title + word + "'"}, {"command", name}, {"arguments", arguments}}}});
    };
    command("Add to the user dictionary: '", AddCommand, {word});
    if (project_words) command("Add to project words: '", AddProjectCommand, {word, uri});
    command("Ignore for this session: '", IgnoreCommand, {word});
}

}  // namespace lumo::tool
