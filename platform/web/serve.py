#!/usr/bin/env python3
"""Serves the built page on 127.0.0.1.

By default with the two headers that make it cross-origin isolated (browsers
give a page threads, SharedArrayBuffer, only then); with --plain without
them, as most static hosts serve, so the page's isolation worker must supply
them. Where the folder holds a .br or .gz copy of a file and the browser
accepts that encoding, the copy is sent with its Content-Encoding. Files are
cached and revalidated (Cache-Control: no-cache with an ETag), so the page's
workers take korveld.js from the cache. --rate BYTES sends at most that many
bytes a second in all, like a slow line shared by every file in flight.

Usage: serve.py [--plain] [--rate BYTES] [PORT] [FOLDER] (defaults 8035 and
the current folder; port 0 takes a free one, named on the first line printed).
"""
import argparse
import email.utils
import functools
import http.server
import os
import socketserver
import threading
import time

ENCODINGS = (('br', '.br'), ('gzip', '.gz'))


def fresh(copy, original):
    """A compressed copy made from the file as it is now (compressors keep
    the original's time, to the second)."""
    return int(os.path.getmtime(copy)) >= int(os.path.getmtime(original))


class Line:
    """The slow line's schedule: when it is free for the next chunk."""
    lock = threading.Lock()
    free_at = 0.0


class PageHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript'}

    def __init__(self, *args, isolate=True, rate=0, **kwargs):
        self.isolate = isolate
        self.rate = rate
        super().__init__(*args, **kwargs)

    def accepted(self):
        header = self.headers.get('Accept-Encoding', '')
        return {part.split(';')[0].strip() for part in header.split(',')}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, 'index.html')
        if not os.path.isfile(path):
            self.send_error(404, 'File not found')
            return None
        sent, encoding = path, None
        accepted = self.accepted()
        for name, suffix in ENCODINGS:
            copy = path + suffix
            if name in accepted and os.path.isfile(copy) and fresh(copy, path):
                sent, encoding = copy, name
                break
        st = os.stat(sent)
        etag = f'"{st.st_mtime_ns:x}-{st.st_size:x}{"-" + encoding if encoding else ""}"'
        if self.headers.get('If-None-Match') == etag:
            self.send_response(304)
            self.send_header('ETag', etag)
            self.end_headers()
            return None
        self.send_response(200)
        self.send_header('Content-Type', self.guess_type(path))
        self.send_header('Content-Length', str(st.st_size))
        self.send_header('Last-Modified', email.utils.formatdate(st.st_mtime, usegmt=True))
        self.send_header('ETag', etag)
        self.send_header('Vary', 'Accept-Encoding')
        if encoding:
            self.send_header('Content-Encoding', encoding)
        self.end_headers()
        return open(sent, 'rb')

    def copyfile(self, source, outputfile):
        if not self.rate:
            return super().copyfile(source, outputfile)
        step = max(self.rate // 50, 1)
        while chunk := source.read(step):
            with Line.lock:
                start = max(time.monotonic(), Line.free_at)
                done = start + len(chunk) / self.rate
                Line.free_at = done
            time.sleep(max(done - time.monotonic(), 0))
            outputfile.write(chunk)
            outputfile.flush()
        return None

    def end_headers(self):
        if self.isolate:
            self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
            self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()

    def log_message(self, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    # The base class looks the host's name up, which can wait seconds on a
    # machine without a resolver; 127.0.0.1 needs no name.
    def server_bind(self):
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]


def main():
    parser = argparse.ArgumentParser(description='Serves the built page.')
    parser.add_argument('--plain', action='store_true', help='without the isolation headers')
    parser.add_argument('--rate', type=int, default=0, help='bytes a second per file (0: no limit)')
    parser.add_argument('port', nargs='?', type=int, default=8035)
    parser.add_argument('folder', nargs='?', default='.')
    args = parser.parse_args()
    handler = functools.partial(PageHandler, directory=args.folder, isolate=not args.plain, rate=args.rate)
    with Server(('127.0.0.1', args.port), handler) as server:
        print(f'serving {args.folder} on http://127.0.0.1:{server.server_address[1]}/', flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == '__main__':
    main()
