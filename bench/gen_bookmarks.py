#!/usr/bin/env python3
"""Writes a Netscape bookmark file shaped like a Firefox export.

Folders nest up to five deep, titles mix Japanese and Latin, about a third of the bookmarks
carry a PNG favicon as a data: URI, and every entry has ADD_DATE and LAST_MODIFIED. The output
depends only on the arguments, so a test can generate the same file twice.

    python3 gen_bookmarks.py --count 10000 --output big.html [--seed 1] [--charset shift_jis]

--count is the number of bookmarks (<A> entries); folders and separators come on top.
"""

import argparse
import base64
import random
import struct
import sys
import zlib

JA_WORDS = [
    "東京", "大阪", "京都", "天気", "ニュース", "料理", "レシピ", "旅行", "地図", "辞書",
    "図書館", "美術館", "鉄道", "時刻表", "映画", "音楽", "将棋", "囲碁", "温泉", "写真",
    "ブログ", "日記", "株価", "為替", "求人", "大学", "研究", "論文", "プログラミング", "入門",
    "まとめ", "公式サイト", "ショッピング", "通販", "予約", "病院", "市役所", "お知らせ",
    "カレンダー", "掲示板", "ゲーム", "漫画", "アニメ", "小説", "俳句", "季節", "桜", "紅葉",
]
LATIN_WORDS = [
    "Home", "News", "Weather", "Docs", "Reference", "Manual", "Guide", "Forum", "Wiki",
    "Blog", "Shop", "Maps", "Mail", "Calendar", "Photos", "Music", "Video", "Recipes",
    "Travel", "Library", "Python", "Qt", "Linux", "Debian", "Kernel", "Compiler", "Tutorial",
    "API", "Release notes", "FAQ", "Download", "Support", "Status", "Dashboard", "Archive",
]
DOMAINS = [
    "example.com", "example.net", "example.org", "example.jp", "test.example", "sub.example.co.jp",
]
FOLDER_NAMES = [
    "仕事", "趣味", "ニュース", "Linux", "Programming", "旅行の計画", "買い物", "Reference",
    "読み物", "あとで読む", "Music", "料理", "学校", "Tools", "Dev", "写真", "お気に入り",
]


def png(width, height, rgb):
    """A minimal valid RGB PNG of one colour with a darker border."""
    dark = tuple(c // 2 for c in rgb)
    rows = b""
    for y in range(height):
        row = bytearray([0])
        for x in range(width):
            edge = x in (0, width - 1) or y in (0, height - 1)
            row += bytes(dark if edge else rgb)
        rows += bytes(row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def make_icons(rng, count):
    icons = []
    for _ in range(count):
        colour = (rng.randrange(256), rng.randrange(256), rng.randrange(256))
        size = rng.choice([16, 16, 16, 32])
        icons.append("data:image/png;base64," + base64.b64encode(png(size, size, colour)).decode())
    return icons


def title(rng):
    kind = rng.random()
    if kind < 0.45:
        return "".join(rng.choice(JA_WORDS) for _ in range(rng.randint(1, 3))) + rng.choice(
            ["", " - ホーム", "｜公式", "（まとめ）"])
    if kind < 0.85:
        return " ".join(rng.choice(LATIN_WORDS) for _ in range(rng.randint(1, 4)))
    return rng.choice(JA_WORDS) + " " + rng.choice(LATIN_WORDS) + " & " + rng.choice(JA_WORDS)


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace(
        '"', "&quot;")


def generate(count, seed):
    rng = random.Random(seed)
    icons = make_icons(rng, 64)
    date = 1262304000  # 2010-01-01
    out = [
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
        "<!-- This is an automatically generated file.",
        "     It will be read and overwritten.",
        "     DO NOT EDIT! -->",
        '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">',
        '<meta http-equiv="Content-Security-Policy"',
        "      content=\"default-src 'self'; script-src 'none'; img-src data: *; "
        "object-src 'none'\"></meta>",
        "<TITLE>Bookmarks</TITLE>",
        "<H1>Bookmarks Menu</H1>",
        "",
        "<DL><p>",
    ]
    depth = 1
    written = 0
    first = True
    while written < count:
        date += rng.randint(1, 40000)
        pad = "    " * depth
        r = rng.random()
        if first or (r < 0.04 and depth < 6):
            folder = "Bookmarks Toolbar" if first else rng.choice(FOLDER_NAMES)
            extra = ' PERSONAL_TOOLBAR_FOLDER="true"' if first else ""
            out.append(f'{pad}<DT><H3 ADD_DATE="{date}" LAST_MODIFIED="{date + 60}"{extra}>'
                       f"{escape(folder)}</H3>")
            out.append(f"{pad}<DL><p>")
            depth += 1
            first = False
            continue
        if r < 0.07 and depth > 1:
            depth -= 1
            out.append(f"{'    ' * depth}</DL><p>")
            continue
        if r < 0.075:
            out.append(f"{pad}<HR>")
            continue
        domain = rng.choice(DOMAINS)
        path = "/".join(rng.choice(LATIN_WORDS).lower().replace(" ", "-")
                        for _ in range(rng.randint(0, 3)))
        href = f"https://{rng.choice(['www.', '', 'docs.'])}{domain}/{path}?id={written}"
        attrs = f'HREF="{escape(href)}" ADD_DATE="{date}" LAST_MODIFIED="{date + 5}"'
        if rng.random() < 0.35:
            attrs += f' ICON_URI="https://{domain}/favicon.ico" ICON="{rng.choice(icons)}"'
        if rng.random() < 0.02:
            attrs += f' SHORTCUTURL="k{written}"'
        if rng.random() < 0.05:
            attrs += ' TAGS="' + ",".join(rng.sample(LATIN_WORDS, 2)).lower() + '"'
        out.append(f"{pad}<DT><A {attrs}>{escape(title(rng))}</A>")
        if rng.random() < 0.08:
            out.append(f"{pad}<DD>{escape(title(rng))}")
        written += 1
    while depth > 1:
        depth -= 1
        out.append(f"{'    ' * depth}</DL><p>")
    out.append("</DL>")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, required=True, help="number of bookmarks")
    parser.add_argument("--output", required=True, help="file to write, '-' for stdout")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--charset", default="utf-8", choices=["utf-8", "shift_jis"])
    args = parser.parse_args()
    text = generate(args.count, args.seed)
    if args.charset == "shift_jis":
        text = text.replace("charset=UTF-8", "charset=Shift_JIS")
    data = text.encode(args.charset, errors="xmlcharrefreplace")
    if args.output == "-":
        sys.stdout.buffer.write(data)
    else:
        with open(args.output, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
