#!/usr/bin/env python3
"""The language server on a 100 KB Markdown document with the default
dictionary: time from each change sent to its diagnostics received, with
and without the debounce, and the server's peak memory after code actions
over the whole document (which rank suggestions) beside that of
`lumospell check` on the same document.

Usage: bench/lsp_latency.py [BUILD_DIR]   (default: build)"""
import glob
import json
import os
import select
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, sys.argv[1] if len(sys.argv) > 1 else "build")
PROGRAM = os.path.join(BUILD, "bin", "lumospell")
CHANGES = 50


def document(size):
    prose = "".join(open(p, encoding="utf-8", errors="replace").read() for p in sorted(glob.glob(
        os.path.join(ROOT, "data", "prose", "*.txt"))))
    paragraphs = [p.strip() for p in prose.split("\n\n") if p.strip()]
    out, n = [], 0
    while sum(map(len, out)) < size:
        p = paragraphs[n % len(paragraphs)]
        out.append("## Section %d\n\n%s\n\n" % (n, p) if n % 7 == 0 else p + "\n\n")
        if n % 11 == 0:
            out.append("```\nint main(void) { return 0; }\n```\n\n")
        n += 1
    return "".join(out)[:size]


class Server:
    def __init__(self, debounce):
        home = tempfile.mkdtemp()
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=home)
        self.proc = subprocess.Popen([PROGRAM, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)
        self.buffer = b""
        self.send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {
            "capabilities": {}, "initializationOptions": {"debounceMs": debounce}}})
        self.wait(lambda m: m.get("id") == 1)

    def send(self, message):
        body = json.dumps(message).encode()
        self.proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.proc.stdin.flush()

    def wait(self, predicate):
        while True:
            end = self.buffer.find(b"\r\n\r\n")
            if end >= 0:
                length = int(self.buffer[:end].split(b":")[1])
                if len(self.buffer) >= end + 4 + length:
                    m = json.loads(self.buffer[end + 4:end + 4 + length])
                    self.buffer = self.buffer[end + 4 + length:]
                    if predicate(m):
                        return m
                    continue
            select.select([self.proc.stdout], [], [], 30)
            chunk = os.read(self.proc.stdout.fileno(), 1 << 20)
            if not chunk:
                raise SystemExit("the server ended")
            self.buffer += chunk

    def peak_memory_mb(self):
        for line in open("/proc/%d/status" % self.proc.pid):
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
        return 0

    def close(self):
        self.send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
        self.wait(lambda m: m.get("id") == 2)
        self.send({"jsonrpc": "2.0", "method": "exit"})
        self.proc.wait(10)


def diagnostics_for(version):
    return lambda m: m.get("method") == "textDocument/publishDiagnostics" and m["params"].get("version") == version


def run(debounce):
    text = document(100 * 1024)
    uri = "file:///bench.md"
    s = Server(debounce)
    start = time.perf_counter()
    s.send({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
        "uri": uri, "languageId": "markdown", "version": 1, "text": text}}})
    first = s.wait(diagnostics_for(1))
    opened = (time.perf_counter() - start) * 1000
    lines = text.count("\n")
    times = []
    for v in range(2, CHANGES + 2):
        line = (v * 37) % lines
        start = time.perf_counter()
        s.send({"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {
            "textDocument": {"uri": uri, "version": v}, "contentChanges": [{"range": {
                "start": {"line": line, "character": 0}, "end": {"line": line, "character": 0}},
                "text": "Teh wrod "}]}})
        s.wait(diagnostics_for(v))
        times.append((time.perf_counter() - start) * 1000)
    s.send({"jsonrpc": "2.0", "id": 3, "method": "textDocument/codeAction", "params": {
        "textDocument": {"uri": uri}, "context": {"diagnostics": []}, "range": {
            "start": {"line": 0, "character": 0}, "end": {"line": lines + 1, "character": 0}}}})
    s.wait(lambda m: m.get("id") == 3)
    memory = s.peak_memory_mb()
    s.close()
    times.sort()
    return (len(first["params"]["diagnostics"]), opened, statistics.median(times),
            times[int(len(times) * 0.95) - 1], times[-1], memory)


def check_peak_memory_mb():
    """lumospell check on the same document: the peak the server should stay near."""
    with tempfile.NamedTemporaryFile("w", suffix=".md", delete=False) as f:
        f.write(document(100 * 1024))
    home = tempfile.mkdtemp()
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=home)
    proc = subprocess.Popen([PROGRAM, "check", f.name], stdout=subprocess.DEVNULL, env=env)
    _, _, usage = os.wait4(proc.pid, 0)
    os.unlink(f.name)
    return usage.ru_maxrss / 1024


print("lumospell lsp, 100 KB Markdown, default dictionary, %d one-line changes" % CHANGES)
print("%-12s %8s %10s %10s %10s %10s %12s" % ("debounce", "words", "open ms", "median ms", "p95 ms",
                                            "max ms", "peak MB"))
for debounce in (0, 5):
    r = run(debounce)
    print("%-12s %8d %10.1f %10.1f %10.1f %10.1f %12.1f" % (("%d ms" % debounce,) + r))
print("lumospell check on the same document: peak %.1f MB" % check_peak_memory_mb())
print("targets: diagnostics within 20 ms of a change; at most 100 MB, within 5 MB of check")
