// The language server on a stream of the client's bytes: framing, JSON,
// every method with any parameters.  Input: what follows the client's
// initialize (which the target sends first, in UTF-8 positions when the
// first byte is odd, UTF-16 otherwise).  The server must end at the
// end of input, and what it wrote must be well framed JSON-RPC objects.
#include <fcntl.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <string>

#include "fuzz_support.h"
#include "lsp/lsp_server.h"

using namespace lumo::tool;

namespace {

std::string frame(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const ServerOptions& options() {
    static ServerOptions o = [] {
        ServerOptions made;
        made.main_dict = lumo::fuzz::scratch_file("main.dic");
        made.user_dict = lumo::fuzz::scratch_file("user.dic");
        const std::string words = "the\nquick\nbrown\nfox\njumps\nover\nlazy\ndog\n";
        lumo::fuzz::write_bytes(made.main_dict, words.data(), words.size());
        // Small enough for the fuzzer's memory limit.
        made.max_message_bytes = 1u << 20;
        made.max_document_bytes = 1u << 20;
        return made;
    }();
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool utf8 = size > 0 && (data[0] & 1);
    const std::string input =
        frame(std::string(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":)") +
              R"({"capabilities":{"general":{"positionEncodings":[")" +
              (utf8 ? "utf-8" : "utf-16") + R"("]}}}})") +
        (size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : "");
    const std::string in_path = lumo::fuzz::scratch_file("in");
    const std::string out_path = lumo::fuzz::scratch_file("out");
    FUZZ_CHECK(lumo::fuzz::write_bytes(in_path, input.data(), input.size()), "cannot write");
    const int in = open(in_path.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(in >= 0 && out >= 0, "cannot open");
    serve_lsp(in, out, options());
    close(in);
    close(out);
    const std::string written = lumo::fuzz::read_bytes(out_path);
    size_t at = 0;
    bool answered_initialize = false;
    while (at < written.size()) {
        const size_t end = written.find("\r\n\r\n", at);
        FUZZ_CHECK(end != std::string::npos && written.compare(at, 16, "Content-Length: ") == 0,
                   "no header at %zu", at);
        const size_t length = std::stoul(written.substr(at + 16, end - at - 16));
        FUZZ_CHECK(end + 4 + length <= written.size(), "a body cut short");
        const nlohmann::json m =
            nlohmann::json::parse(written.substr(end + 4, length), nullptr, false);
        FUZZ_CHECK(m.is_object() && m.value("jsonrpc", "") == "2.0", "not a JSON-RPC object");
        if (m.contains("id") && m["id"] == 0 && m.contains("result")) answered_initialize = true;
        at = end + 4 + length;
    }
    FUZZ_CHECK(answered_initialize, "initialize was not answered");
    return 0;
}
