#!/usr/bin/env python3
"""The local management service: answers the program's five management-service actions,
serves the update package and the news pages, and serves the portal pages on further ports.

Replies come from a content folder:
  replies/<key>.txt   the reply of an action; key is getversion, getGongLue, getNews,
                      getPop-news or getPop-ad. Placeholders: {host} (the Host header of the
                      request), {id} (the ID query value), {md5:/files/NAME} (MD5 of a served file).
  files/, pages/      served as they are under /files/ and /pages/
  portal1/ portal2/ portal3/
                      served at / on the first, second and third portal port

Tests steer the service through /__control/ on the service port:
  POST /__control/answer?key=K[&status=N][&delay=S][&cut=N][&hang=1][&once=1][&type=T][&raw=1]
       [&pieces=N&pause=S][&unsized=1]
       the request body becomes the answer for K (an action key or a path such as
       /files/Ludora.pak); delay waits S seconds before answering, cut sends only the first N
       bytes of the body (with the full Content-Length) and closes, hang never answers, once
       applies the answer to the next request only, raw serves the body without placeholders,
       pieces=N&pause=S sends the body in N pieces S seconds apart, unsized sends no
       Content-Length and ends the body by closing the connection
  POST /__control/reset     forget answers and recorded requests
  GET  /__control/requests  every request so far: request line and header lines, records
                            separated by an empty line; a TLS handshake is recorded as
                            "TLS-CLIENT-HELLO <port>"
  POST /__control/quit      stop the service
"""
import argparse
import copy
import hashlib
import http.server
import json
import os
import socket
import sys
import threading
import time
import urllib.parse

ACTION_PREFIX = "/api.php"
CONTROL_PREFIX = "/__control/"
CONTENT_TYPES = {".html": "text/html; charset=utf-8", ".htm": "text/html; charset=utf-8",
                 ".txt": "text/plain; charset=utf-8", ".png": "image/png", ".css": "text/css"}


class Answer:
    def __init__(self, body, status=200, delay=0.0, cut=None, hang=False, once=False,
                 content_type=None, raw=False, pieces=1, pause=0.0, unsized=False):
        self.body = body
        self.unsized = unsized
        self.pieces = max(1, pieces)
        self.pause = pause
        self.status = status
        self.delay = delay
        self.cut = cut
        self.hang = hang
        self.once = once
        self.content_type = content_type
        self.raw = raw


class ServiceState:
    def __init__(self, content, record_file, idle_exit):
        self.content = os.path.abspath(content)
        self.record_file = record_file
        self.idle_exit = idle_exit
        self.lock = threading.Lock()
        self.answers = {}
        self.requests = []
        self.last_activity = time.monotonic()
        self.stopping = threading.Event()

    def touch(self):
        self.last_activity = time.monotonic()

    def record(self, text):
        with self.lock:
            self.requests.append(text)
        if self.record_file:
            with open(self.record_file, "a", encoding="utf-8") as f:
                f.write(json.dumps({"request": text}, ensure_ascii=False) + "\n")

    def add_answer(self, key, answer):
        with self.lock:
            self.answers.setdefault(key, []).append(answer)

    def take_answer(self, key):
        """The one-shot answers for a key come first, in order; then the last lasting one."""
        with self.lock:
            queue = self.answers.get(key, [])
            for i, answer in enumerate(queue):
                if answer.once:
                    del queue[i]
                    return answer
            lasting = [a for a in queue if not a.once]
            return lasting[-1] if lasting else None

    def peek_file(self, path):
        """The bytes served at a path: an override first, then the content folder."""
        with self.lock:
            lasting = [a for a in self.answers.get(path, []) if not a.once]
        if lasting:
            return lasting[-1].body
        return read_content_file(self.content, path.lstrip("/"))

    def reset(self):
        with self.lock:
            self.answers.clear()
            self.requests.clear()


def read_content_file(root, relative):
    full = os.path.normpath(os.path.join(root, relative))
    if not full.startswith(root + os.sep) or not os.path.isfile(full):
        return None
    with open(full, "rb") as f:
        return f.read()


def action_key(query):
    act = query.get("act", [""])[0]
    if act == "getPop":
        return "getPop-" + query.get("type", [""])[0]
    return act


def expand(template, state, host, query):
    text = template.decode("utf-8", errors="replace")
    text = text.replace("{host}", host).replace("{id}", query.get("ID", [""])[0])
    while "{md5:" in text:
        start = text.index("{md5:")
        end = text.find("}", start)
        if end < 0:
            break
        data = state.peek_file(text[start + 5:end]) or b""
        text = text[:start] + hashlib.md5(data).hexdigest() + text[end + 1:]
    return text.encode("utf-8")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "LudoraLocalService/1.0"
    portal_folder = None  # set on the portal servers' handler classes

    def log_message(self, format, *args):
        pass

    @property
    def state(self):
        return self.server.state

    def handle(self):
        # A TLS handshake on a plain port shows that the client asked for a secure connection.
        try:
            first = self.connection.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        if first == b"\x16":
            self.state.record("TLS-CLIENT-HELLO %d" % self.server.server_address[1])
            return
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            pass  # the program ended or gave up while its answer was on the way

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def dispatch(self):
        self.state.touch()
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        url = urllib.parse.urlsplit(self.path)
        if url.path.startswith(CONTROL_PREFIX):
            self.control(url.path[len(CONTROL_PREFIX):], urllib.parse.parse_qs(url.query), body)
            return
        head = [self.requestline] + ["%s: %s" % (k, v) for k, v in self.headers.items()]
        self.state.record("\r\n".join(head))
        self.serve(url)

    def serve(self, url):
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        host = self.headers.get("Host", "127.0.0.1")
        if self.portal_folder is not None:
            self.serve_file(url.path, self.portal_folder)
            return
        if url.path == ACTION_PREFIX:
            key = action_key(query)
            answer = self.state.take_answer(key)
            if answer is None:
                template = read_content_file(self.state.content, "replies/%s.txt" % key)
                if template is None:
                    answer = Answer(b"#fail#unknown action#")
                else:
                    answer = Answer(template.strip(b"\r\n"))
            if not answer.raw:
                answer = copy.copy(answer)
                answer.body = expand(answer.body, self.state, host, query)
            self.send_answer(answer, "text/plain; charset=utf-8")
            return
        answer = self.state.take_answer(url.path)
        if answer is not None:
            self.send_answer(answer, "application/octet-stream")
            return
        if url.path.startswith("/files/") or url.path.startswith("/pages/"):
            self.serve_file(url.path, "")
            return
        self.send_answer(Answer(b"<html><body>404</body></html>", status=404), "text/html")

    def serve_file(self, path, folder):
        relative = os.path.join(folder, urllib.parse.unquote(path).lstrip("/") or "index.html")
        if relative.endswith("/"):
            relative += "index.html"
        data = read_content_file(self.state.content, relative)
        if data is None:
            self.send_answer(Answer(b"<html><body><h1>404 Not Found</h1></body></html>", status=404),
                             "text/html; charset=utf-8")
            return
        kind = CONTENT_TYPES.get(os.path.splitext(relative)[1].lower(), "application/octet-stream")
        self.send_answer(Answer(data), kind)

    def send_answer(self, answer, content_type):
        if answer.hang:
            self.close_connection = True
            while not self.state.stopping.wait(0.2):
                pass
            return
        if answer.delay > 0:
            time.sleep(answer.delay)
        self.send_response(answer.status)
        self.send_header("Content-Type", answer.content_type or content_type)
        if not answer.unsized:
            self.send_header("Content-Length", str(len(answer.body)))
        self.send_header("Cache-Control", "no-cache, no-store")
        if answer.cut is not None or answer.unsized:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if answer.cut is not None:
            self.wfile.write(answer.body[:answer.cut])
            self.wfile.flush()
            return
        step = -(-len(answer.body) // answer.pieces) or 1
        for start in range(0, len(answer.body), step):
            if start:
                self.wfile.flush()
                time.sleep(answer.pause)
            self.wfile.write(answer.body[start:start + step])

    def control(self, command, query, body):
        def value(name, default=None):
            return query.get(name, [default])[0]

        if command == "answer":
            cut = value("cut")
            self.state.add_answer(value("key", ""), Answer(
                body, status=int(value("status", "200")), delay=float(value("delay", "0")),
                cut=int(cut) if cut is not None else None, hang=value("hang") == "1",
                once=value("once") == "1", content_type=value("type"), raw=value("raw") == "1",
                pieces=int(value("pieces", "1")), pause=float(value("pause", "0")),
                unsized=value("unsized") == "1"))
        elif command == "reset":
            self.state.reset()
        elif command == "requests":
            with self.state.lock:
                text = "\r\n\r\n".join(self.state.requests)
            self.send_answer(Answer(text.encode("utf-8")), "text/plain; charset=utf-8")
            return
        elif command == "quit":
            self.send_answer(Answer(b"bye"), "text/plain")
            self.state.stopping.set()
            return
        elif command != "ping":
            self.send_answer(Answer(b"unknown control", status=404), "text/plain")
            return
        self.send_answer(Answer(b"ok"), "text/plain")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, handler, state):
        super().__init__(("127.0.0.1", port), handler)
        self.state = state


def portal_handler(folder):
    return type("PortalHandler", (Handler,), {"portal_folder": folder})


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="the local management service")
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--port", type=int, default=18360, help="management service port")
    parser.add_argument("--portal-ports", default="",
                        help="comma-separated ports of the first, second and third portal")
    parser.add_argument("--content", default=os.path.join(here, "service-content"))
    parser.add_argument("--record", help="append every request to this file as JSON lines")
    parser.add_argument("--idle-exit", type=float, default=0,
                        help="stop after this many seconds without a request (0: never)")
    parser.add_argument("--detach", action="store_true",
                        help="close standard input and output (when started by a test)")
    return parser.parse_args(argv)


def main(argv):
    args = parse_arguments(argv)
    if args.detach:
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        # Whatever else the starter held open (its output pipes, the lock of the end-to-end
        # tests) is not the service's to keep when it outlives the starter.
        os.closerange(3, 65536)
    state = ServiceState(args.content, args.record, args.idle_exit)
    servers = [Server(args.port, Handler, state)]
    ports = [p for p in args.portal_ports.split(",") if p.strip()]
    for index, port in enumerate(ports, start=1):
        servers.append(Server(int(port), portal_handler("portal%d" % index), state))
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("management service on 127.0.0.1:%d, content %s" % (args.port, state.content), flush=True)
    while not state.stopping.wait(0.5):
        if args.idle_exit and time.monotonic() - state.last_activity > args.idle_exit:
            break
    state.stopping.set()
    for server in servers:
        server.shutdown()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
