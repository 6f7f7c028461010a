#include "lsp/lsp_server.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "lsp/lsp_documents.h"
#include "lsp/lsp_speller.h"

namespace lumo::tool {

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t MaxHeaderBytes = 8192;

bool starts_with_nocase(const std::string& line, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return line.size() >= n && strncasecmp(line.c_str(), prefix, n) == 0;
}

}  // namespace

FrameReader::Parse FrameReader::take(std::string& body) {
    if (discard_ > 0) {
        const size_t n = std::min(discard_, buffer_.size());
        buffer_.erase(0, n);
        discard_ -= n;
        if (discard_ > 0) return Parse::NeedMore;
    }
    if (skipping_) {
        skipping_ = false;
        return Parse::Skipped;
    }
    size_t end = buffer_.find("\r\n\r\n");
    size_t separator = 4;
    if (end == std::string::npos) {
        end = buffer_.find("\n\n");
        separator = 2;
    }
    if (end == std::string::npos) {
        // Junk without a header end: keep only what may start one.
        if (buffer_.size() > MaxHeaderBytes) {
            buffer_.erase(0, buffer_.size() - 16);
            return Parse::Skipped;
        }
        return Parse::NeedMore;
    }
    bool has_length = false;
    unsigned long long length = 0;
    size_t start = 0;
    while (start < end) {
        size_t stop = buffer_.find('\n', start);
        if (stop == std::string::npos || stop > end) stop = end;
        std::string line = buffer_.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (starts_with_nocase(line, "Content-Length:")) {
            const char* digits = line.c_str() + std::strlen("Content-Length:");
            while (*digits == ' ' || *digits == '\t') ++digits;
            char* after = nullptr;
            errno = 0;
            length = std::strtoull(digits, &after, 10);
            has_length = after != digits && errno == 0 && *digits != '-';
            while (has_length && (*after == ' ' || *after == '\t')) ++after;
            if (has_length && *after != '\0') has_length = false;
        }
        start = stop + 1;
    }
    const size_t body_start = end + separator;
    if (!has_length) {
        buffer_.erase(0, body_start);
        return Parse::Skipped;
    }
    if (length > max_body_) {
        buffer_.erase(0, body_start);
        discard_ = static_cast<size_t>(length);
        skipping_ = true;
        return take(body);
    }
    if (buffer_.size() - body_start < length) return Parse::NeedMore;
    body.assign(buffer_, body_start, static_cast<size_t>(length));
    buffer_.erase(0, body_start + static_cast<size_t>(length));
    return Parse::Complete;
}

bool FrameReader::fill(int timeout_ms, bool& timed_out) {
    timed_out = false;
    pollfd p{fd_, POLLIN, 0};
    int ready;
    do {
        ready = poll(&p, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        timed_out = true;
        return true;
    }
    if (ready < 0) return false;
    char chunk[65536];
    ssize_t n;
    do {
        n = read(fd_, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    // While passing over an oversized body, nothing of it is kept.
    size_t from = 0;
    if (discard_ > 0 && buffer_.empty()) {
        from = std::min(discard_, static_cast<size_t>(n));
        discard_ -= from;
    }
    buffer_.append(chunk + from, static_cast<size_t>(n) - from);
    return true;
}

FrameReader::Result FrameReader::next(std::string& body, int timeout_ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const Parse parsed = take(body);
        if (parsed == Parse::Complete) return Result::Message;
        if (parsed == Parse::Skipped) return Result::Skipped;
        int wait = -1;
        if (timeout_ms >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            wait = static_cast<int>(std::max<long long>(0, left.count()));
        }
        bool timed_out = false;
        if (!fill(wait, timed_out)) return Result::Closed;
        if (timed_out) return Result::Timeout;
    }
}

namespace {

// JSON-RPC and protocol error codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int InternalError = -32603;
constexpr int ServerNotInitialized = -32002;
constexpr int RequestFailed = -32803;

constexpr size_t SuggestionsOffered = 5;
constexpr const char* AddCommand = "lumospell.addToDictionary";
constexpr const char* IgnoreCommand = "lumospell.ignoreForSession";

struct OpenDocument {
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
    }

    int run();

private:
    void dispatch(const std::string& body);
    json request(const std::string& method, const json& params);
    void notification(const std::string& method, const json& params);

    json initialize(const json& params);
    void settings_from(const json& settings);
    void did_open(const json& params);
    void did_change(const json& params);
    json code_action(const json& params);
    json execute_command(const json& params);

    void publish_due();
    void publish(const std::string& uri, OpenDocument& d);
    std::vector<json> diagnose(OpenDocument& d);
    json range_json(const LspDocument& doc, size_t from, size_t to) const;
    void schedule(const std::string& uri);
    void schedule_all();

    void send(const json& message);
    void respond(const json& id, json result);
    void respond_error(const json& id, int code, const std::string& message);
    void log(int type, const std::string& message);

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
    std::map<std::string, OpenDocument> documents_;
    std::set<std::string> pending_;
    Clock::time_point last_change_{};
};

int Server::run() {
    std::string body;
    while (!exit_ && !output_lost_) {
        int timeout = -1;
        if (!pending_.empty()) {
            const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_change_);
            timeout = static_cast<int>(std::max<long long>(0, options_.debounce_ms - since.count()));
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
            log(2, "skipped a message without a usable Content-Length or longer than " +
                       std::to_string(options_.max_message_bytes) + " bytes");
        } else {
            dispatch(body);
        }
    }
    speller_.close();
    return exit_ && shutting_down_ ? 0 : 1;
}

void Server::dispatch(const std::string& body) {
    json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        // A Content-Length beyond its body swallows the next message's
        // header: serve that one on its own.
        const size_t next = body.find("Content-Length:");
        if (next != std::string::npos) reader_.unread(body.substr(next));
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
        if (has_id && message.find("result") == message.end() && message.find("error") == message.end())
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

json Server::request(const std::string& method, const json& params) {
    if (method == "initialize") {
        if (initialized_) throw Failure{InvalidRequest, "already initialized"};
        return initialize(params);
    }
    if (method == "shutdown") {
        shutting_down_ = true;
        return nullptr;
    }
    if (method == "textDocument/codeAction") return code_action(params);
    if (method == "workspace/executeCommand") return execute_command(params);
    throw Failure{MethodNotFound, "unknown method " + method};
}

void Server::notification(const std::string& method, const json& params) {
    if (method == "exit") {
        exit_ = true;
        return;
    }
    if (!initialized_ || shutting_down_) return;
    if (method == "textDocument/didOpen") {
        did_open(params);
    } else if (method == "textDocument/didChange") {
        did_change(params);
    } else if (method == "textDocument/didClose") {
        const std::string uri = params.at("textDocument").at("uri").get<std::string>();
        pending_.erase(uri);
        if (documents_.erase(uri) != 0)
            send({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"},
                  {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
    } else if (method == "workspace/didChangeConfiguration") {
        const auto s = params.find("settings");
        if (s != params.end()) {
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
            }
            schedule_all();
        }
    }
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
    const auto debounce = s.find("debounceMs");
    if (debounce != s.end() && debounce->is_number_unsigned())
        options_.debounce_ms = static_cast<int>(std::min<unsigned>(debounce->get<unsigned>(), 5000));
}

json Server::initialize(const json& params) {
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
    return {{"capabilities",
             {{"positionEncoding", encoding_ == PositionEncoding::Utf8 ? "utf-8" : "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"executeCommandProvider", {{"commands", {AddCommand, IgnoreCommand}}}}}},
            {"serverInfo", {{"name", "lumospell"}, {"version", LUMOSPELL_VERSION}}}};
}

void Server::did_open(const json& params) {
    const json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    OpenDocument d;
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
    for (const std::string& uri : due) {
        const auto found = documents_.find(uri);
        if (found != documents_.end()) publish(uri, found->second);
    }
}

json Server::range_json(const LspDocument& doc, size_t from, size_t to) const {
    const LspPosition a = doc.position_of(from, encoding_);
    const LspPosition b = doc.position_of(to, encoding_);
    return {{"start", {{"line", a.line}, {"character", a.character}}},
            {"end", {{"line", b.line}, {"character", b.character}}}};
}

std::vector<json> Server::diagnose(OpenDocument& d) {
    std::vector<json> out;
    const std::string& text = d.document.text();
    if (text.size() > options_.max_document_bytes) {
        if (!d.too_large_reported)
            log(2, "a document of " + std::to_string(text.size()) + " bytes is too large to check");
        d.too_large_reported = true;
        return out;
    }
    std::string prose = text;
    ProseFilter(d.mode).mask(prose);
    const bool digits = mode_accepts_words_with_digits(d.mode.mode);
    for (size_t line = 0; line < d.document.line_count(); ++line) {
        const size_t start = d.document.line_start(line);
        const size_t end = d.document.line_end(line);
        for (const Finding& f : speller_.check_line(std::string_view(prose).substr(start, end - start), digits)) {
            const size_t from = start + f.offset;
            const std::string message = f.status == CheckChangeAlways && !f.suggestions.empty()
                                            ? "'" + f.word + "': change to '" + f.suggestions.front() + "'"
                                            : "unknown word '" + f.word + "'";
            out.push_back({{"range", range_json(d.document, from, from + f.length)},
                           {"severity", 3},
                           {"source", "lumospell"},
                           {"code", f.status == CheckChangeAlways ? "change-always" : "unknown-word"},
                           {"message", message},
                           {"data", {{"word", f.word}}}});
        }
    }
    return out;
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
        return d.document.offset_of({p.at("line").get<size_t>(), p.at("character").get<size_t>()}, encoding_);
    };
    const size_t from = at(range.at("start"));
    const size_t to = at(range.at("end"));
    for (const json& diagnostic : d.diagnostics) {
        const size_t a = at(diagnostic["range"]["start"]);
        const size_t b = at(diagnostic["range"]["end"]);
        if (b < from || a > to) continue;
        const std::string word = diagnostic["data"]["word"].get<std::string>();
        for (const std::string& s : speller_.suggestions(word, SuggestionsOffered)) {
            json edit = {{"range", diagnostic["range"]}, {"newText", s}};
            actions.push_back({{"title", "Replace with '" + s + "'"},
                               {"kind", "quickfix"},
                               {"diagnostics", {diagnostic}},
                               {"edit", {{"changes", {{uri, {edit}}}}}}});
        }
        const auto command = [&](const char* title, const char* name) {
            actions.push_back({{"title", title + word + "'"},
                               {"kind", "quickfix"},
                               {"diagnostics", {diagnostic}},
                               {"command", {{"title", title + word + "'"},
                                            {"command", name},
                                            {"arguments", {word}}}}});
        };
        command("Add to the user dictionary: '", AddCommand);
        command("Ignore for this session: '", IgnoreCommand);
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
    } else if (command == IgnoreCommand) {
        speller_.ignore_for_session(word);
    } else {
        throw Failure{InvalidParams, "unknown command " + command};
    }
    schedule_all();
    return nullptr;
}

void Server::send(const json& message) {
    if (output_lost_) return;
    const std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
    const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = write(out_fd_, frame.data() + done, frame.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            output_lost_ = true;
            return;
        }
        done += static_cast<size_t>(n);
    }
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
        send({{"jsonrpc", "2.0"}, {"method", "window/logMessage"},
              {"params", {{"type", type}, {"message", message}}}});
}

}  // namespace

int serve_lsp(int in_fd, int out_fd, const ServerOptions& options) {
    Server server(in_fd, out_fd, options);
    return server.run();
}

}  // namespace lumo::tool
