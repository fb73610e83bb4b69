#!/usr/bin/env python3
"""Serves the built page on 127.0.0.1 with the two headers that make it
cross-origin isolated; browsers give a page threads (SharedArrayBuffer) only
then. Usage: serve.py [PORT] [FOLDER] (defaults 8035 and the current folder;
port 0 takes a free one, named on the first line printed)."""
import functools
import http.server
import sys


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript'}

    def end_headers(self):
        self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
        self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        self.send_header('Cache-Control', 'no-store')
        super().end_headers()

    def log_message(self, *args):
        pass


def main():
    port = int(sys.argv[1]) if len(sys.argv) > 1 else 8035
    root = sys.argv[2] if len(sys.argv) > 2 else '.'
    handler = functools.partial(IsolatedHandler, directory=root)
    with http.server.ThreadingHTTPServer(('127.0.0.1', port), handler) as server:
        print(f'serving {root} on http://127.0.0.1:{server.server_address[1]}/', flush=True)
        server.serve_forever()


if __name__ == '__main__':
    main()
