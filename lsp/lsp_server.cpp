#include "lsp/lsp_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "lsp/diagnostics.h"
#include "lsp/lsp_documents.h"
#include "lsp/lsp_speller.h"
#include "lsp/transport.h"
#include "speller/project_config.h"
#include "speller/project_words.h"

namespace lumo::tool {

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// JSON-RPC and protocol error codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int InternalError = -32603;
constexpr int ServerNotInitialized = -32002;
constexpr int RequestFailed = -32803;

// Deeper values are refused before they are built: copying and destroying
// them recurse.
constexpr size_t MaxNesting = 256;

uint32_t hex4(const std::string& s, size_t at) {
    if (at + 4 > s.size()) return UINT32_MAX;
    uint32_t v = 0;
    for (size_t i = at; i < at + 4; ++i) {
        const char c = s[i];
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0) return UINT32_MAX;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

// One pass over a body before it is parsed: a surrogate escape without
// its other half becomes U+FFFD in place (the parser would reject the
// whole message), and false comes back when values nest deeper than
// MaxNesting.
bool prepare_body(std::string& body) {
    size_t depth = 0;
    bool in_string = false;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (!in_string) {
            if (c == '"')
                in_string = true;
            else if ((c == '[' || c == '{') && ++depth > MaxNesting)
                return false;
            else if ((c == ']' || c == '}') && depth > 0)
                --depth;
            continue;
        }
        if (c == '"') {
            in_string = false;
        } else if (c == '\\' && i + 1 < body.size()) {
            if (body[i + 1] != 'u') {
                ++i;
                continue;
            }
            const uint32_t v = hex4(body, i + 2);
            if (v >= 0xD800 && v <= 0xDBFF && i + 7 < body.size() && body[i + 6] == '\\' &&
                body[i + 7] == 'u') {
                const uint32_t low = hex4(body, i + 8);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    i += 11;
                    continue;
                }
            }
            if (v >= 0xD800 && v <= 0xDFFF) body.replace(i + 2, 4, "FFFD");
            if (v != UINT32_MAX) i += 5;
        }
    }
    return true;
}

// The file a file: URI names, percent escapes decoded; empty for another scheme.
std::string path_of_uri(const std::string& uri) {
    std::string rest;
    if (uri.rfind("file:///", 0) == 0)
        rest = uri.substr(7);
    else if (uri.rfind("file://localhost/", 0) == 0)
        rest = uri.substr(16);
    else
        return {};
    std::string path;
    for (size_t k = 0; k < rest.size(); ++k) {
        const uint32_t byte =
            rest[k] == '%' && k + 2 < rest.size() ? hex4("00" + rest.substr(k + 1, 2), 0) : 0;
        if (byte != 0 && byte != UINT32_MAX) {
            path += static_cast<char>(byte);
            k += 2;
        } else {
            path += rest[k];
        }
    }
    return path;
}

struct OpenDocument {
    std::string path;  // the file it is, when the editor says; its project's rules apply
    LspDocument document;
    ModeChoice mode;
    json version;
    std::vector<json> diagnostics;  // as last published
    bool too_large_reported = false;
};

struct Failure {
    int code;
    std::string message;
};

class Server {
public:
    Server(int in_fd, int out_fd, const ServerOptions& options)
        : reader_(in_fd, options.max_message_bytes), out_fd_(out_fd), options_(options) {
        settings_.main_dict = options.main_dict;
        settings_.user_dict = options.user_dict;
        settings_.language = options.language;
    }

    int run();

private:
    void dispatch(std::string& body);
    json request(const std::string& method, const json& params);
    void notification(const std::string& method, const json& params);

    // The methods.
    json initialize(const json& params);
    json shutdown(const json& params);
    json code_action(const json& params);
    json execute_command(const json& params);
    void did_open(const json& params);
    void did_change(const json& params);
    void did_close(const json& params);
    void did_change_configuration(const json& params);

    void settings_from(const json& settings);

    void publish_due();
    void publish(const std::string& uri, OpenDocument& d);
    std::vector<json> diagnose(OpenDocument& d);
    bool has_word_list(const OpenDocument& d);
    void add_to_project_words(const std::string& word, const std::string& uri);
    void schedule(const std::string& uri);
    void schedule_all();

    void send(const json& message);
    void respond(const json& id, json result);
    void respond_error(const json& id, int code, const std::string& message);
    void log(int type, const std::string& message);
    // Says the variant in use, once, and again only when it changes.
    void log_language() {
        if (!speller_.is_open() || speller_.in_use() == logged_language_) return;
        logged_language_ = speller_.in_use();
        log(3, "lumospell: checking " + logged_language_);
    }
    std::string logged_language_;

    FrameReader reader_;
    int out_fd_;
    ServerOptions options_;
    bool output_lost_ = false;
    bool initialized_ = false;
    bool shutting_down_ = false;
    bool exit_ = false;
    PositionEncoding encoding_ = PositionEncoding::Utf16;
    SpellerSettings settings_;
    LspSpeller speller_;
    ProjectConfigs configs_{
        "", [this](const std::string& message) { log(2, "lumospell: " + message); }};
    std::set<std::string> failed_languages_;  // told once
    std::map<std::string, OpenDocument> documents_;
    std::set<std::string> pending_;
    Clock::time_point last_change_{};
};

int Server::run() {
    std::string body;
    while (!exit_ && !output_lost_) {
        int timeout = -1;
        if (!pending_.empty()) {
            const auto since =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_change_);
            timeout =
                static_cast<int>(std::max<long long>(0, options_.debounce_ms - since.count()));
        }
        const FrameReader::Result r = reader_.next(body, timeout);
        if (r == FrameReader::Result::Closed) break;
        if (r == FrameReader::Result::Timeout) {
            try {
                publish_due();
            } catch (const std::exception& e) {
                log(1, std::string("cannot check: ") + e.what());
            }
        } else if (r == FrameReader::Result::Skipped) {
            log(2, "skipped " + std::to_string(reader_.skipped_bytes()) +
                       " bytes: a message without a usable Content-Length, longer than " +
                       std::to_string(options_.max_message_bytes) +
                       " bytes, or what lay before the next header");
        } else {
            dispatch(body);
        }
    }
    speller_.close();
    return exit_ && shutting_down_ ? 0 : 1;
}

void Server::dispatch(std::string& body) {
    if (!prepare_body(body)) {
        // Only the top level is kept, for the id to answer.
        const json top = json::parse(
            body, [](int depth, json::parse_event_t, json&) { return depth <= 1; }, false);
        const auto id = top.is_object() ? top.find("id") : top.end();
        const bool has_id = id != top.end() && (id->is_number_integer() || id->is_string());
        respond_error(has_id ? *id : json(nullptr), InvalidRequest,
                      "values nest deeper than " + std::to_string(MaxNesting) + " levels");
        return;
    }
    json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        // A Content-Length beyond its body swallows the next message's
        // header: serve that one on its own.
        const size_t next = body.find("Content-Length:");
        if (next != std::string::npos)
            reader_.unread(body.substr(next));
        else
            reader_.resynchronise();
        respond_error(nullptr, ParseError, "the message is not JSON");
        return;
    }
    if (!message.is_object()) {
        respond_error(nullptr, InvalidRequest, "a message must be an object");
        return;
    }
    const auto id = message.find("id");
    const auto method = message.find("method");
    const bool has_id = id != message.end() && (id->is_number_integer() || id->is_string());
    if (method == message.end() || !method->is_string()) {
        // A response to a request of ours, or nonsense: nothing to answer.
        if (has_id && message.find("result") == message.end() &&
            message.find("error") == message.end())
            respond_error(*id, InvalidRequest, "no method");
        return;
    }
    if (id != message.end() && !has_id) {
        respond_error(nullptr, InvalidRequest, "the id must be a number or a string");
        return;
    }
    const json none = json::object();
    const auto p = message.find("params");
    const json& params = p == message.end() ? none : *p;
    const std::string name = method->get<std::string>();
    try {
        if (!has_id) {
            notification(name, params);
            return;
        }
        if (!initialized_ && name != "initialize") {
            respond_error(*id, ServerNotInitialized, "initialize first");
        } else if (shutting_down_) {
            respond_error(*id, InvalidRequest, "the server is shutting down");
        } else {
            respond(*id, request(name, params));
        }
    } catch (const Failure& f) {
        if (has_id) respond_error(*id, f.code, f.message);
    } catch (const json::exception& e) {
        if (has_id) respond_error(*id, InvalidParams, e.what());
    } catch (const std::exception& e) {
        if (has_id) respond_error(*id, InternalError, e.what());
    }
}

// The methods served: requests answer with a result, notifications not.
json Server::request(const std::string& method, const json& params) {
    static const std::pair<const char*, json (Server::*)(const json&)> Requests[] = {
        {"initialize", &Server::initialize},
        {"shutdown", &Server::shutdown},
        {"textDocument/codeAction", &Server::code_action},
        {"workspace/executeCommand", &Server::execute_command},
    };
    for (const auto& [name, handler] : Requests)
        if (method == name) return (this->*handler)(params);
    throw Failure{MethodNotFound, "unknown method " + method};
}

void Server::notification(const std::string& method, const json& params) {
    static const std::pair<const char*, void (Server::*)(const json&)> Notifications[] = {
        {"textDocument/didOpen", &Server::did_open},
        {"textDocument/didChange", &Server::did_change},
        {"textDocument/didClose", &Server::did_close},
        {"workspace/didChangeConfiguration", &Server::did_change_configuration},
    };
    if (method == "exit") {
        exit_ = true;
        return;
    }
    if (!initialized_ || shutting_down_) return;
    for (const auto& [name, handler] : Notifications)
        if (method == name) return (this->*handler)(params);
}

json Server::shutdown(const json&) {
    shutting_down_ = true;
    return nullptr;
}

void Server::did_close(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    pending_.erase(uri);
    if (documents_.erase(uri) != 0)
        send({{"jsonrpc", "2.0"},
              {"method", "textDocument/publishDiagnostics"},
              {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
}

void Server::did_change_configuration(const json& params) {
    const auto s = params.find("settings");
    if (s == params.end()) return;
    const SpellerSettings before = speller_.settings();
    settings_from(*s);
    if (!(settings_ == before) || !speller_.is_open()) {
        std::string error;
        if (!speller_.open(settings_, error)) {
            // Settings that cannot be opened leave the ones in use.
            log(1, "lumospell: " + error + "; keeping the dictionaries before");
            settings_ = before;
            if (!speller_.open(settings_, error)) log(1, "lumospell: " + error);
        }
        log_language();
    }
    schedule_all();
}

void Server::settings_from(const json& settings) {
    if (!settings.is_object()) return;
    const auto ours = settings.find("lumospell");
    const json& s = ours != settings.end() && ours->is_object() ? *ours : settings;
    const auto text = [&](const char* key, std::string& slot) {
        const auto v = s.find(key);
        if (v != s.end() && v->is_string()) slot = v->get<std::string>();
    };
    text("mainDictionary", settings_.main_dict);
    text("userDictionary", settings_.user_dict);
    text("language", settings_.language);
    const auto most = s.find("maxDiagnostics");
    if (most != s.end() && most->is_number_unsigned())
        options_.max_diagnostics = most->get<size_t>();
    const auto debounce = s.find("debounceMs");
    if (debounce != s.end() && debounce->is_number_unsigned())
        options_.debounce_ms =
            static_cast<int>(std::min<unsigned>(debounce->get<unsigned>(), 5000));
}

json Server::initialize(const json& params) {
    if (initialized_) throw Failure{InvalidRequest, "already initialized"};
    const auto general = params.find("capabilities");
    if (general != params.end() && general->contains("general")) {
        const json& encodings = (*general)["general"].value("positionEncodings", json::array());
        if (encodings.is_array())
            for (const json& e : encodings)
                if (e == "utf-8") encoding_ = PositionEncoding::Utf8;
    }
    const auto options = params.find("initializationOptions");
    if (options != params.end()) settings_from(*options);
    std::string error;
    if (!speller_.open(settings_, error)) throw Failure{RequestFailed, "lumospell: " + error};
    initialized_ = true;
    // The protocol lets a log message come before the answer to initialize.
    log_language();
    return {{"capabilities",
             {{"positionEncoding", encoding_ == PositionEncoding::Utf8 ? "utf-8" : "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"executeCommandProvider",
               {{"commands", {AddCommand, AddProjectCommand, IgnoreCommand}}}}}},
            {"serverInfo", {{"name", "lumospell"}, {"version", LUMOSPELL_VERSION}}}};
}

void Server::did_open(const json& params) {
    const json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    OpenDocument d;
    d.path = path_of_uri(uri);
    d.document.replace(item.at("text").get<std::string>());
    d.mode = mode_for_language(item.value("languageId", ""), uri);
    d.version = item.value("version", json());
    documents_[uri] = std::move(d);
    schedule(uri);
}

void Server::did_change(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto found = documents_.find(uri);
    if (found == documents_.end()) return;
    OpenDocument& d = found->second;
    for (const json& change : params.at("contentChanges")) {
        const std::string text = change.at("text").get<std::string>();
        const auto range = change.find("range");
        if (range == change.end()) {
            d.document.replace(text);
            continue;
        }
        const auto position = [](const json& p) {
            const auto number = [&](const char* key) {
                const json& v = p.at(key);
                return v.is_number_unsigned() ? v.get<size_t>() : size_t{0};
            };
            return LspPosition{number("line"), number("character")};
        };
        d.document.edit(position(range->at("start")), position(range->at("end")), text, encoding_);
    }
    d.version = params.at("textDocument").value("version", json());
    schedule(uri);
}

void Server::schedule(const std::string& uri) {
    pending_.insert(uri);
    last_change_ = Clock::now();
}

void Server::schedule_all() {
    for (auto& [uri, d] : documents_) pending_.insert(uri);
    last_change_ = Clock::now() - std::chrono::milliseconds(options_.debounce_ms);
}

void Server::publish_due() {
    const std::set<std::string> due = std::move(pending_);
    pending_.clear();
    // A configuration or word list changed on disk, by the editor or another program.
    configs_.refresh();
    for (const std::string& uri : due) {
        const auto found = documents_.find(uri);
        if (found != documents_.end()) publish(uri, found->second);
    }
}

std::vector<json> Server::diagnose(OpenDocument& d) {
    const std::string& text = d.document.text();
    if (text.size() > options_.max_document_bytes) {
        if (!d.too_large_reported)
            log(2, "a document of " + std::to_string(text.size()) + " bytes is too large to check");
        d.too_large_reported = true;
        return {};
    }
    DocumentRules rules;
    bool broken = false;
    if (!d.path.empty()) {
        rules.config = &configs_.for_file(d.path, broken);
        rules.directives.scan_text(text);
    }
    std::string error;
    const std::string language = rules.config != nullptr ? rules.config->language : "";
    if (!speller_.use_project_language(language, error) &&
        failed_languages_.insert(language).second)
        log(1, "lumospell: " + error);
    log_language();
    return diagnostics_for(d.document, d.mode, speller_, encoding_, options_.max_diagnostics,
                           rules);
}

bool Server::has_word_list(const OpenDocument& d) {
    bool broken = false;
    return !d.path.empty() && !configs_.for_file(d.path, broken).word_lists.empty();
}

void Server::publish(const std::string& uri, OpenDocument& d) {
    d.diagnostics = diagnose(d);
    json params = {{"uri", uri}, {"diagnostics", d.diagnostics}};
    if (d.version.is_number_integer()) params["version"] = d.version;
    send({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}});
}

json Server::code_action(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto found = documents_.find(uri);
    json actions = json::array();
    if (found == documents_.end()) return actions;
    OpenDocument& d = found->second;
    if (pending_.erase(uri) != 0) publish(uri, d);
    const json& range = params.at("range");
    const auto at = [&](const json& p) {
        return d.document.offset_of({p.at("line").get<size_t>(), p.at("character").get<size_t>()},
                                    encoding_);
    };
    const size_t from = at(range.at("start"));
    const size_t to = at(range.at("end"));
    const bool project_words = has_word_list(d);
    for (const json& diagnostic : d.diagnostics) {
        const size_t a = at(diagnostic["range"]["start"]);
        const size_t b = at(diagnostic["range"]["end"]);
        if (b < from || a > to) continue;
        add_actions(diagnostic, uri, speller_, project_words, actions);
    }
    return actions;
}

json Server::execute_command(const json& params) {
    const std::string command = params.at("command").get<std::string>();
    const json& arguments = params.at("arguments");
    if (!arguments.is_array() || arguments.empty() || !arguments[0].is_string())
        throw Failure{InvalidParams, "the command needs the word"};
    const std::string word = arguments[0].get<std::string>();
    if (command == AddCommand) {
        std::string error;
        if (!speller_.add_word(word, error)) throw Failure{RequestFailed, error};
        if (!error.empty()) log(2, "lumospell: " + error);
    } else if (command == AddProjectCommand) {
        if (arguments.size() < 2 || !arguments[1].is_string())
            throw Failure{InvalidParams, "the command needs the word and the document's URI"};
        add_to_project_words(word, arguments[1].get<std::string>());
        return nullptr;
    } else if (command == IgnoreCommand) {
        speller_.ignore_for_session(word);
    } else {
        throw Failure{InvalidParams, "unknown command " + command};
    }
    schedule_all();
    return nullptr;
}

void Server::add_to_project_words(const std::string& word, const std::string& uri) {
    const std::string path = path_of_uri(uri);
    if (path.empty()) throw Failure{InvalidParams, "not a file: " + uri};
    bool broken = false;
    const ProjectConfig& config = configs_.for_file(path, broken);
    const std::string file = config.file;
    std::vector<std::string> added;
    std::string error;
    if (!add_to_project(config, {word}, added, error)) throw Failure{RequestFailed, error};
    // The list's new time and size have the configuration read again.
    configs_.refresh();
    for (auto& [other, d] : documents_) {
        if (d.path.empty()) continue;
        if (configs_.for_file(d.path, broken).file == file) pending_.insert(other);
    }
    last_change_ = Clock::now() - std::chrono::milliseconds(options_.debounce_ms);
}

void Server::send(const json& message) {
    if (output_lost_) return;
    const std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
    if (!write_frame(out_fd_, body)) output_lost_ = true;
}

void Server::respond(const json& id, json result) {
    send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::respond_error(const json& id, int code, const std::string& message) {
    send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Server::log(int type, const std::string& message) {
    std::fprintf(stderr, "lumospell lsp: %s\n", message.c_str());
    if (initialized_)
        send({{"jsonrpc", "2.0"},
              {"method", "window/logMessage"},
              {"params", {{"type", type}, {"message", message}}}});
}

}  // namespace

int serve_lsp(int in_fd, int out_fd, const ServerOptions& options) {
    Server server(in_fd, out_fd, options);
    return server.run();
}

}  // namespace lumo::tool
