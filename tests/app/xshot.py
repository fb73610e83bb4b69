#!/usr/bin/env python3
"""Screenshots of a virtual X screen for the desktop checks.

  xshot.py png FILE            the root window as a PNG (for a person to look at)
  xshot.py kind X Y W H        "black", "bands" (every row one colour: the
                               noise flashes) or "picture" inside the rectangle
  xshot.py colours X Y W H     the number of distinct colours inside
  xshot.py bars X Y W H        rows inside that are one blue colour (90% or more)
  xshot.py hash X Y W H        a digest of the pixels inside
  xshot.py scaled N            "yes" when the screen is made of N x N blocks
"""
import collections, hashlib, struct, subprocess, sys, zlib


def grab(top=0, bottom=None):
    """(width, height, rows top..bottom-1) of the root window; a row is a list of 0xRRGGBB."""
    r = subprocess.run(["xwd", "-root", "-silent"], capture_output=True)
    if r.returncode != 0:
        sys.exit("xshot: xwd failed: " + r.stderr.decode(errors="replace").strip())
    f = struct.unpack(">25I", r.stdout[:100])
    header, width, height, order, bpp, stride, ncolours = f[0], f[4], f[5], f[7], f[11], f[12], f[19]
    if bpp not in (24, 32):
        sys.exit("xshot: needs a 24- or 32-bit screen, got %d bits" % bpp)
    data, step = r.stdout[header + ncolours * 12:], bpp // 8
    rows = []
    for y in range(top, height if bottom is None else min(height, bottom)):
        line = data[y * stride:y * stride + width * step]
        if order or step == 3:  # most significant byte first, or no padding byte: make it 32-bit little-endian
            pixels = (line[i:i + step][::-1] if order else line[i:i + step] for i in range(0, len(line), step))
            line = b"".join(p + b"\0" * (4 - step) for p in pixels)
        rows.append([p & 0xFFFFFF for p in struct.unpack("<%dI" % width, line)])
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + b"".join(p.to_bytes(3, "big") for p in row) for row in rows)
    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def blue_row(r):
    colour, n = collections.Counter(r).most_common(1)[0]
    red, green, blue = colour >> 16, (colour >> 8) & 255, colour & 255
    return n * 10 >= len(r) * 9 and blue >= 64 and blue > 2 * max(red, green)


def main(what, *args):
    if what == "png":
        write_png(args[0], *grab())
    elif what == "scaled":
        n = int(args[0])
        width, height, rows = grab()
        ok = width % n == 0 and height % n == 0 and all(
            rows[y + k] == rows[y] and all(rows[y][x + k] == rows[y][x] for x in range(0, width, n))
            for y in range(0, height, n) for k in range(n))
        print("yes" if ok else "no")
    else:
        x, y, w, h = (int(v) for v in args[:4])
        area = [row[x:x + w] for row in grab(y, y + h)[2]]
        if what == "kind":
            print("black" if not any(any(r) for r in area) else
                  "bands" if all(len(set(r)) == 1 for r in area) else "picture")
        elif what == "bars":
            print(sum(1 for r in area if blue_row(r)))
        elif what == "hash":
            print(hashlib.sha1(repr(area).encode()).hexdigest())
        elif what == "colours":
            print(len(set(p for r in area for p in r)))


if __name__ == "__main__":
    main(*sys.argv[1:])
