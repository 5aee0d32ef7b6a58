#!/usr/bin/env python3
"""A chat-completions server on 127.0.0.1 for end-to-end translation tests.

Answers POST <base>/chat/completions the way an OpenAI-compatible server does: the user message
holds a JSON array of {"id", "text"} items, the reply's message content is {"items": [...]} with
each translation. Translations come from a table of (phrase, translation): the first phrase found
in a text (case-insensitive) gives its translation; texts matching none get "" (keep the source).
Every request is appended to a JSON-lines log. Usage: chat_server.py TABLE.json PORT_FILE LOG_FILE
"""
import http.server
import json
import os
import sys

table_path, port_path, log_path = sys.argv[1:4]
with open(table_path, encoding="utf-8") as f:
    table = json.load(f)


def translate(text):
    folded = text.casefold()
    for phrase, translation in table:
        if phrase.casefold() in folded:
            return translation
    return ""


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        if length > 1 << 20:
            self.send_error(413)
            return
        request = json.loads(self.rfile.read(length))
        messages = request["messages"]
        items = json.loads(messages[-1]["content"])
        with open(log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps({"path": self.path, "model": request.get("model"),
                                  "system": messages[0]["content"], "items": items,
                                  "authorization": "authorization" in {k.lower() for k in self.headers}},
                                 ensure_ascii=False) + "\n")
        if not self.path.endswith("/chat/completions"):
            self.send_error(404)
            return
        answer = {"items": [{"id": item["id"], "text": translate(item["text"])} for item in items]}
        body = json.dumps({
            "id": "chatcmpl-e2e", "object": "chat.completion",
            "choices": [{"index": 0, "finish_reason": "stop",
                         "message": {"role": "assistant", "content": json.dumps(answer, ensure_ascii=False)}}],
        }, ensure_ascii=False).encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
with open(port_path + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_path + ".tmp", port_path)
server.serve_forever()
