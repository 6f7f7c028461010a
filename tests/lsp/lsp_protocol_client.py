#!/usr/bin/env python3
"""A scripted JSON-RPC client for `lumospell lsp`: opens, changes, asks for
code actions, runs their commands, shuts down, and sends the bad input a
server meets in practice.  Usage: lsp_protocol_client.py LUMOSPELL"""
import json
import os
import select
import subprocess
import sys
import tempfile
import time

PROGRAM = sys.argv[1]
# LSP_SEED_DIR: each client's bytes (but messages over 64 KB) are kept
# there as a seed of the server's fuzz target (fuzz/corpus/lsp_server).
SEED_DIR = os.environ.get("LSP_SEED_DIR")
clients = []
WORK = tempfile.mkdtemp()
MAIN = os.path.join(WORK, "main.dic")
USER = os.path.join(WORK, "user.dic")
with open(MAIN, "w") as f:
    f.write("\n".join("the quick brown fox jumps over lazy dog title a line here".split()) + "\n")
open(USER, "w").close()
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


class Client:
    def __init__(self, encodings=("utf-16",), dictionary=("--main-dict", MAIN)):
        self.proc = subprocess.Popen([PROGRAM, "lsp", *dictionary, "--user-dict", USER],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.buffer = b""
        self.next_id = 0
        self.diagnostics = {}
        self.seen = []
        self.encodings = list(encodings)
        self.sent = bytearray(b"\x01" if "utf-8" in encodings else b"\x00")
        clients.append(self)

    def send_raw(self, data):
        if len(data) < 65536:
            self.sent += data
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode()
        self.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params, timeout=30):
        self.next_id += 1
        number = self.next_id
        self.send({"jsonrpc": "2.0", "id": number, "method": method, "params": params})
        return self.wait(lambda m: m.get("id") == number, timeout)

    def read(self, timeout):
        deadline = time.monotonic() + timeout
        while True:
            end = self.buffer.find(b"\r\n\r\n")
            if end >= 0:
                length = int(self.buffer[:end].split(b":")[1])
                if len(self.buffer) >= end + 4 + length:
                    body = self.buffer[end + 4:end + 4 + length]
                    self.buffer = self.buffer[end + 4 + length:]
                    return json.loads(body)
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                return None
            chunk = os.read(self.proc.stdout.fileno(), 1 << 16)
            if not chunk:
                return None
            self.buffer += chunk

    def wait(self, predicate, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            m = self.read(deadline - time.monotonic())
            if m is None:
                return None
            self.seen.append(m)
            if m.get("method") == "textDocument/publishDiagnostics":
                self.diagnostics[m["params"]["uri"]] = m["params"]["diagnostics"]
            if predicate(m):
                return m
        return None

    def wait_diagnostics(self, uri, version):
        m = self.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics"
                      and m["params"]["uri"] == uri and m["params"].get("version") == version)
        return None if m is None else m["params"]["diagnostics"]

    def start(self):
        return self.request("initialize", {"processId": None, "rootUri": None, "capabilities":
                                           {"general": {"positionEncodings": self.encodings}}})

    def finish(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return None


def spans(diagnostics):
    return [(d["range"]["start"]["line"], d["range"]["start"]["character"],
             d["range"]["end"]["character"], d["data"]["word"]) for d in diagnostics]


URI = "file:///work/notes.md"
c = Client()
early = c.request("textDocument/codeAction", {})
check(early and early["error"]["code"] == -32002, "a request before initialize is refused")
init = c.start()
check(init and init["result"]["capabilities"]["positionEncoding"] == "utf-16", "initialize: UTF-16 positions")
c.notify("initialized", {})
text = "# Title\n\nThe quikc brown fox.\n\n```\ncodde\n```\n"
c.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "languageId": "markdown",
                                                   "version": 1, "text": text}})
check(spans(c.wait_diagnostics(URI, 1) or []) == [(2, 4, 9, "quikc")], "open: the misspelt word, not the code")
c.notify("textDocument/didChange", {"textDocument": {"uri": URI, "version": 2}, "contentChanges": [
    {"range": {"start": {"line": 2, "character": 0}, "end": {"line": 2, "character": 0}}, "text": "\U0001F600 "},
    {"range": {"start": {"line": 2, "character": 19}, "end": {"line": 2, "character": 22}}, "text": "dgo"}]})
check(spans(c.wait_diagnostics(URI, 2) or []) == [(2, 7, 12, "quikc"), (2, 19, 22, "dgo")],
      "incremental change: UTF-16 columns after a surrogate pair")
c.notify("textDocument/didChange", {"textDocument": {"uri": URI, "version": 3},
                                    "contentChanges": [{"text": "Teh fox\nthe dgo\n"}]})
diagnostics = c.wait_diagnostics(URI, 3) or []
check(spans(diagnostics) == [(0, 0, 3, "Teh"), (1, 4, 7, "dgo")], "full change")
actions = c.request("textDocument/codeAction", {"textDocument": {"uri": URI}, "range": diagnostics[1]["range"],
                                                "context": {"diagnostics": [diagnostics[1]]}})["result"]
titles = [a["title"] for a in actions]
check("Replace with 'dog'" in titles and len([t for t in titles if t.startswith("Replace")]) <= 5,
      "code actions: ranked replacements, at most five")
check(any(a.get("command", {}).get("command") == "lumospell.addToDictionary" for a in actions)
      and any(a.get("command", {}).get("command") == "lumospell.ignoreForSession" for a in actions),
      "code actions: add and ignore")
replace = next(a for a in actions if a["title"] == "Replace with 'dog'")
check(replace["edit"]["changes"][URI][0]["range"] == diagnostics[1]["range"], "the edit covers the word")
ignore = c.request("workspace/executeCommand", {"command": "lumospell.ignoreForSession", "arguments": ["Teh"]})
check(ignore and "error" not in ignore, "ignore for the session")
c.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics")
check(spans(c.diagnostics[URI]) == [(1, 4, 7, "dgo")], "an ignored word is no longer reported")
added = c.request("workspace/executeCommand", {"command": "lumospell.addToDictionary", "arguments": ["dgo"]})
check(added and "error" not in added, "add to the user dictionary")
check("dgo" in open(USER).read().split(), "the added word is saved at once")

# Bad input: each answered with an error or passed over, the server alive.
c.send_raw(b"Content-Length: 9\r\n\r\n{not json")
m = c.wait(lambda m: "error" in m and m.get("id") is None)
check(m and m["error"]["code"] == -32700, "malformed JSON: parse error")
c.send_raw(b'Content-Length: 11\r\n\r\n{"id":1,"me')
m = c.wait(lambda m: "error" in m and m.get("id") is None)
check(m and m["error"]["code"] == -32700, "a Content-Length short of the body: parse error")
follow = json.dumps({"jsonrpc": "2.0", "id": 500, "method": "no/such", "params": {}}).encode()
c.send_raw(b"Content-Length: 60\r\n\r\n[1,2]" + b"Content-Length: %d\r\n\r\n" % len(follow) + follow)
m = c.wait(lambda m: m.get("id") == 500)
check(m and m["error"]["code"] == -32601, "a Content-Length past the body: the next message still served")
c.send_raw(b"Content-Length: x\r\n\r\n" + b"j" * 9000 + b"\r\n\r\n")
check(c.request("no/such/method", {})["error"]["code"] == -32601, "unknown method, after a header without a length and junk")
c.notify("no/such/notification", {})
c.send_raw(b"Content-Length: 3\r\n\r\n[7]")
check(c.wait(lambda m: "error" in m)["error"]["code"] == -32600, "a message that is not an object")
c.notify("textDocument/didChange", {"textDocument": {"uri": URI, "version": 4}, "contentChanges": [
    {"range": {"start": {"line": 900, "character": 5}, "end": {"line": 1000, "character": 9}}, "text": "wrod"}]})
check(spans(c.wait_diagnostics(URI, 4) or [])[-1:] == [(2, 0, 4, "wrod")], "positions out of range: the end")
c.notify("workspace/didChangeConfiguration", {"settings": {"lumospell": {"mainDictionary": WORK + "/absent.dic"}}})
c.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics")
check(spans(c.diagnostics[URI]) == [(2, 0, 4, "wrod")], "settings that cannot be opened keep the dictionaries")
with open(WORK + "/more.dic", "w") as f:
    f.write(open(MAIN).read() + "wrod\n")
c.notify("workspace/didChangeConfiguration", {"settings": {"mainDictionary": WORK + "/more.dic"}})
c.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics")
check(c.diagnostics[URI] == [], "settings: the dictionaries opened again, the session's words kept")
bad = c.request("textDocument/codeAction", {"textDocument": {"uri": URI}, "range": {"start": 1}})
check(bad and bad["error"]["code"] == -32602, "malformed parameters: invalid params")
huge = json.dumps({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
    "uri": "file:///huge.md", "languageId": "markdown", "version": 1, "text": "wrod " * (10 << 20)}}}).encode()
c.send_raw(b"Content-Length: %d\r\n\r\n" % len(huge) + huge)
alive = c.request("textDocument/codeAction", {"textDocument": {"uri": "file:///huge.md"},
                  "range": {"start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 1}}})
check(alive and alive.get("result") == [], "a 50 MB document is passed over, the server answers")

shutdown = c.request("shutdown", None)
check(shutdown and shutdown["result"] is None, "shutdown")
check(c.request("textDocument/codeAction", {})["error"]["code"] == -32600, "requests after shutdown are refused")
c.notify("exit", None)
check(c.finish() == 0, "exit after shutdown: status 0")

u = Client(encodings=("utf-8", "utf-16"))
check(u.start()["result"]["capabilities"]["positionEncoding"] == "utf-8", "initialize: UTF-8 positions offered")
u.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "languageId": "plaintext", "version": 1,
                                                   "text": "\u00e9t\u00e9 \U0001F600 wrod"}})
check(spans(u.wait_diagnostics(URI, 1) or []) == [(0, 11, 15, "wrod")], "UTF-8 columns count bytes")
u.notify("textDocument/didChange", {"textDocument": {"uri": URI, "version": 2}, "contentChanges": [
    {"text": "wrod\nthe wrod"},
    {"range": {"start": {"line": 1, "character": 2 ** 64 - 1}, "end": {"line": 1, "character": 2 ** 64 - 1}},
     "text": " wrod"}]})
check(spans(u.wait_diagnostics(URI, 2) or []) == [(0, 0, 4, "wrod"), (1, 4, 8, "wrod"), (1, 9, 13, "wrod")],
      "UTF-8: a character near 2^64 is the line's end, not a wrap into the line before")
u.proc.stdin.close()
u.proc.stdout.close()
check(u.finish() == 1, "a client that vanishes: the server ends, status 1")

# The language setting: the variant's words, said once in the log.
g = Client(dictionary=())
g.request("initialize", {"processId": None, "rootUri": None, "capabilities": {},
                         "initializationOptions": {"lumospell": {"language": "en_GB"}}})
g.notify("textDocument/didOpen", {"textDocument": {
    "uri": URI, "languageId": "plaintext", "version": 1, "text": "colour color organise"}})
check([s[3] for s in spans(g.wait_diagnostics(URI, 1) or [])] == ["color"],
      "language en_GB: its spellings")
g.notify("workspace/didChangeConfiguration", {"settings": {"lumospell": {"language": "en_US"}}})
g.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics")
check([s[3] for s in spans(g.diagnostics[URI])] == ["colour", "organise"],
      "language en_US: its spellings")
logs = [m["params"]["message"] for m in g.seen if m.get("method") == "window/logMessage"]
check([l for l in logs if "checking" in l] == ["lumospell: checking en_GB (the language setting)",
                                               "lumospell: checking en_US (the language setting)"],
      "the variant is logged when it is chosen")
g.proc.stdin.close()
g.finish()

# A project's rules: the nearest .lumospell.toml of each document, and its
# word list grown by the code action, every open document of it checked again.
PROJECT = os.path.join(WORK, "project")
os.makedirs(os.path.join(PROJECT, ".git"))
os.makedirs(os.path.join(PROJECT, "docs", "plain"))
with open(os.path.join(PROJECT, ".lumospell.toml"), "w") as f:
    f.write('words = ["Zorbix"]\nword_lists = ["words.txt"]\nignore_patterns = ["TKT-[a-z]+"]\n'
            'min_word_length = 4\nlanguage = "en_GB"\n')
with open(os.path.join(PROJECT, "words.txt"), "w") as f:
    f.write("quuxly\n")
with open(os.path.join(PROJECT, "docs", "plain", ".lumospell.toml"), "w") as f:
    f.write('words = ["xyq"]\nlanguage = "en_US"\n')
p = Client(dictionary=())
p.start()
A = "file://" + PROJECT + "/docs/a%20note.md"
B = "file://" + PROJECT + "/b.txt"
PLAIN = "file://" + PROJECT + "/docs/plain/c.txt"
OUTSIDE = "file://" + WORK + "/d.txt"
body = "Zorbix quuxly TKT-fixme xyq colour color blorft\nlumospell: ignore snargle\nsnargle\n"
for number, uri in enumerate([A, B, PLAIN, OUTSIDE]):
    p.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "plaintext",
                                                       "version": number, "text": body}})
    p.wait_diagnostics(uri, number)
words = lambda uri: [d[3] for d in spans(p.diagnostics[uri])]
check(words(A) == ["color", "blorft"], "project: its words, list, patterns, length, language, directives")
check(words(PLAIN) == ["Zorbix", "quuxly", "TKT", "fixme", "colour", "blorft"],
      "a sub-project: its own configuration only")
check(words(OUTSIDE)[:4] == ["Zorbix", "quuxly", "TKT", "fixme"], "outside the project: none of its rules")
blorft = spans(p.diagnostics[A]).index((0, 41, 47, "blorft"))
actions = p.request("textDocument/codeAction", {"textDocument": {"uri": A},
                    "range": p.diagnostics[A][blorft]["range"], "context": {"diagnostics": []}})["result"]
commands = [a["command"] for a in actions if "command" in a]
check([c["command"] for c in commands] == ["lumospell.addToDictionary", "lumospell.addToProjectWords",
                                           "lumospell.ignoreForSession"],
      "code actions: add to project words beside add to dictionary")
plain_actions = p.request("textDocument/codeAction", {"textDocument": {"uri": PLAIN},
                          "range": p.diagnostics[PLAIN][0]["range"], "context": {"diagnostics": []}})
check(not any(a.get("command", {}).get("command") == "lumospell.addToProjectWords"
              for a in plain_actions["result"]), "no project action without a word list")
project = next(c for c in commands if c["command"] == "lumospell.addToProjectWords")
done = p.request("workspace/executeCommand", project)
check(done and "error" not in done, "add to project words")
check(open(os.path.join(PROJECT, "words.txt")).read() == "blorft\nquuxly\n", "the word list: sorted, LF")
p.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics" and m["params"]["uri"] == B)
check(words(B) == ["color"], "every open document of the project checked again")
refused = p.request("workspace/executeCommand", {"command": "lumospell.addToProjectWords",
                                                 "arguments": ["xyq", PLAIN]})
check(refused and refused["error"]["code"] == -32803, "a project without a word list: refused")
p.request("shutdown", None)
p.notify("exit", None)
p.finish()

# Code read as code: an identifier's unknown part at its own place, the
# words of software known in a Python comment.
k = Client()
k.start()
PY = "file:///work/tool.py"
k.notify("textDocument/didOpen", {"textDocument": {"uri": PY, "languageId": "python", "version": 1,
    "text": "# read the config from stdout at runtime\nx = getRecieveBuffer()  # getRecieveBuffer\n"}})
check(spans(k.wait_diagnostics(PY, 1) or []) == [(1, 29, 36, "Recieve")],
      "python: the identifier's part, technical words known")
k.request("shutdown", None)
k.notify("exit", None)
k.finish()

# Hostile input: each costs at most itself, the server stays alive and quick.
h = Client()
h.start()
deep = b'{"jsonrpc":"2.0","id":90,"method":"textDocument/codeAction","params":{"x":' + \
    b"[" * 150000 + b"]" * 150000 + b"}}"
h.send_raw(b"Content-Length: %d\r\n\r\n" % len(deep) + deep)
m = h.wait(lambda m: m.get("id") == 90)
check(m and m["error"]["code"] == -32600, "150,000 levels of nesting: an error answer, not a crash")
cafe = json.dumps({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
    "uri": "file:///cafe.txt", "languageId": "plaintext", "version": 1, "text": "caf\u00e9 wrod"}}},
    ensure_ascii=False)
h.send_raw(b"Content-Length: %d\r\n\r\n" % len(cafe) + cafe.encode())  # characters, not bytes
h.send_raw(b"Content-Length: abc\r\n\r\n{\"id\": 1}")
h.send_raw(b"x" * 9000)
answered = sum(1 for _ in range(6) if (h.request("no/such", {}, timeout=10) or {}).get("error"))
check(answered == 6, "after a length in characters, a length 'abc' and 9 KB of junk: %d of 6 answered"
      % answered)
LONG = "file:///long.txt"
h.notify("textDocument/didOpen", {"textDocument": {"uri": LONG, "languageId": "plaintext",
                                                   "version": 1, "text": "wrod " * 50000}})
many = h.wait_diagnostics(LONG, 1) or []
check(len(many) == 101 and many[-1]["message"].startswith("49900 more"),
      "a 250 KB line of 50,000 findings: 100 diagnostics and one that counts the rest")
check(spans(many[99:100]) == [(0, 495, 499, "wrod")], "the last shown is where it lies")
h.notify("workspace/didChangeConfiguration", {"settings": {"lumospell": {"maxDiagnostics": 2}}})
h.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics" and m["params"]["uri"] == LONG)
check(len(h.diagnostics[LONG]) == 3, "the maxDiagnostics setting")
actions = h.request("textDocument/codeAction", {"textDocument": {"uri": LONG}, "range": {
    "start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 250000}}})
check(actions and "result" in actions, "code actions over the count of the rest")
lone = b'{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{' + \
    b'"uri":"file:///lone.txt","languageId":"plaintext","version":1,"text":"wrod \\ud800 wrod"}}}'
h.send_raw(b"Content-Length: %d\r\n\r\n" % len(lone) + lone)
check([d[3] for d in spans(h.wait_diagnostics("file:///lone.txt", 1) or [])] == ["wrod", "wrod"],
      "a lone surrogate is replaced, the document checked")
gone = os.path.join(WORK, "gone.dic")
with open(gone, "w") as f:
    f.write(open(MAIN).read())
h.notify("workspace/didChangeConfiguration", {"settings": {"mainDictionary": gone}})
h.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics")
os.remove(gone)
added = h.request("workspace/executeCommand", {"command": "lumospell.addToDictionary",
                                               "arguments": ["qwzx"]})
check(added and "error" not in added and "qwzx" in open(USER).read().split(),
      "the main dictionary gone: a saved add is reported as done")
h.request("shutdown", None)
h.notify("exit", None)
check(h.finish() == 0, "the server survived it all")

if SEED_DIR:
    for number, client in enumerate(clients):
        with open(os.path.join(SEED_DIR, "scripted-client-%d" % number), "wb") as f:
            f.write(client.sent)
sys.exit(1 if failures else 0)
