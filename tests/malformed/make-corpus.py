#!/usr/bin/env python3
"""Writes the malformed-input corpus: tables, scripts, and the manifest that lists every input
(files and typed fields) with the outcome it must give. Run it again after changing a case."""
import os
import random

here = os.path.dirname(os.path.abspath(__file__))
random.seed(15)
manifest = []


def put(kind, name, data, expect):
    folder = os.path.join(here, kind + "s")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    manifest.append(f"{kind}\t{kind}s/{name}\t{expect}")


# Tables: "main=N" is the number of Main's entries, "subtables=M" the number of subtables; every
# table must also write out and load back as the same table.
T = lambda s: s.encode("latin-1")
for seed in range(8):
    put("table", f"garbage-{seed}.tbl", bytes(random.randrange(256) for _ in range(1500)), "refused")
put("table", "empty.tbl", b"", "main=0 subtables=0")
put("table", "only-newlines.tbl", b"\n\r\n\r\r\n", "main=0 subtables=0")
put("table", "long-line.tbl", T("41=" + "x" * 10000 + "\n42=B\n"), "main=2 subtables=0")
put("table", "nine-digit-key.tbl", T("123456789=nine\n41=A\n"), "main=1 subtables=0")
put("table", "eight-digit-key.tbl", T("12345678=eight\n41=A\n"), "main=2 subtables=0")
put("table", "key-8G.tbl", T("8G=H\n"), "main=1 subtables=0")
put("table", "equals-only.tbl", T("=\n==\n=x\n"), "refused")
put("table", "no-equals.tbl", T("41\n4142\nhello\n"), "refused")
put("table", "unterminated-subtable.tbl", T("41=A\nsubtable=e0\nstart=10\nend=20\n42=B\n"), "main=1 subtables=1")
put("table", "subtableend-alone.tbl", T("subtableend=e1\n41=A\n"), "main=1 subtables=0")
put("table", "start-without-end.tbl", T("subtable=e0\nstart=10\n42=B\nsubtableend=e1\n"), "main=0 subtables=1")
put("table", "end-before-start.tbl", T("subtable=e0\nstart=ffff\nend=10\nsubtableend=e1\n"), "main=0 subtables=1")
put("table", "many-subtables.tbl", T("".join(f"subtable={i:x}\nsubtableend={i:x}\n" for i in range(300))), "main=0 subtables=300")
put("table", "utf8-bom.tbl", b"\xef\xbb\xbf41=A\n42=B\n", "main=2 subtables=0")
put("table", "utf16-bom.tbl", "41=A\n42=B\n".encode("utf-16"), "main=2 subtables=0")
put("table", "nul-bytes.tbl", b"41=A\x00B\n\x0042=C\n43\x00=D\n", "loads")
put("table", "cr-only.tbl", b"41=A\r42=B\r", "main=1 subtables=0")
put("table", "codepage-letters.tbl", T(".codepage=abc\n41=A\n"), "main=1 subtables=0")
put("table", "codepage-huge.tbl", T(".codepage=99999999999999\n41=A\n"), "main=1 subtables=0")
put("table", "codepage-unknown.tbl", T(".codepage=7777\n41=A\n"), "main=1 subtables=0")
put("table", "title-long.tbl", T(".title=" + "t" * 500 + "\n41=A\n"), "main=1 subtables=0")
put("table", "title-empty.tbl", T(".title=\n41=A\n"), "main=1 subtables=0")
put("table", "markers-wide.tbl", T("/FFFFFFFFFF\n*FEFEFEFEFE\n/\n*\n"), "loads")
put("table", "marker-with-text.tbl", T("/FF=<end>\n*FE=<br>\n"), "main=2 subtables=0")
put("table", "duplicate-keys.tbl", T("41=A\n41=B\n41=C\n"), "main=3 subtables=0")
put("table", "bookmarks-bad.tbl", T("(zzzz)x\n(12345678\n()\n(1)\n(0001F2A0)Good\n"), "main=0 subtables=0")
put("table", "ctrl-z.tbl", b"41=A\n\x1a42=B\n", "main=1 subtables=0")
put("table", "negative-key.tbl", T("-1=x\n+1=y\n 41=z\n"), "refused")
put("table", "a-rom.tbl", bytes((i * 7) & 0xFF for i in range(4096)), "refused")
put("table", "huge-subtable-trigger.tbl", T("subtable=fffffffffffff\nstart=fffffffffffffff\nend=ffffffffffffffff\n41=A\nsubtableend=ffffffffffff\n"), "main=0 subtables=1")

# Scripts, inserted at 0x100 through the sample table into 4096 bytes: "written=N" is how many
# bytes went in; every insert must leave the size alone and be taken back whole by Undo.
S = lambda s: s.encode("latin-1")
for seed in range(6):
    put("script", f"garbage-{seed}.txt", bytes(random.randrange(256) for _ in range(800)), "inserts")
put("script", "empty.txt", b"", "written=0")
put("script", "nul-first.txt", b"\x00ABC", "inserts")
put("script", "nul-middle.txt", b"AB\x00CD", "inserts")
put("script", "stray-cr.txt", b"A\rB\r\rC", "inserts")
put("script", "lone-lf.txt", b"A\nB\n\nC", "inserts")
put("script", "crlf-pairs.txt", b"A\r\nB\r\n\r\nC", "inserts")
put("script", "header-unterminated.txt", S("<00000200"), "inserts")
put("script", "header-nine-digits.txt", S("<000000200>A"), "inserts")
put("script", "header-past-end.txt", S("<FFFFFFFF>ABCDEF"), "inserts")
put("script", "header-at-end.txt", S("<00000FFF>ABCDEF"), "inserts")
put("script", "header-empty.txt", S("<>A<>B"), "inserts")
put("script", "code-partial.txt", S("<9"), "inserts")
put("script", "code-bad.txt", S("<zz><9c><g1>"), "inserts")
put("script", "nested-brackets.txt", S("<<00000100>>A"), "inserts")
put("script", "long-line.txt", S("A" * 20000), "inserts")
put("script", "only-headers.txt", S("<00000100>\r\n<00000200>\r\n"), "inserts")
put("script", "utf8-bom.txt", b"\xef\xbb\xbfABC", "inserts")
put("script", "utf16.txt", "ABC\r\n".encode("utf-16"), "inserts")
put("script", "backslashes.txt", S("\\\\\\*\\<00000100>"), "inserts")
put("script", "high-bytes.txt", bytes(range(0x80, 0x100)), "inserts")
put("script", "headers-descending.txt", S("<00000300>A<00000200>B<00000100>C"), "inserts")
put("script", "ctrl-z.txt", b"AB\x1aCD", "inserts")
put("script", "many-headers.txt", S("".join(f"<{i:08X}>A" for i in range(0, 4096, 3))), "inserts")

# Settings files: "grouping=N" and "fontsize=N" are what the editor starts with; every file must
# give sound settings that are saved and read back the same.
I = lambda s: s.encode("latin-1")
for seed in range(4):
    put("setting", f"garbage-{seed}.ini", bytes(random.randrange(256) for _ in range(600)), "loads")
put("setting", "empty.ini", b"", "grouping=2 fontsize=-20")
put("setting", "good.ini", I("[SOFTWARE]\nByteloom\\Size=dword:00000004\nByteloom\\CodePages\\FontSize=sz:16\n"), "grouping=4 fontsize=16")
put("setting", "wrong-types.ini", I("[SOFTWARE]\nByteloom\\Size=sz:4\nByteloom\\CodePages\\FontSize=dword:00000010\n"), "grouping=2 fontsize=-20")
put("setting", "huge-numbers.ini", I("[SOFTWARE]\nByteloom\\Size=dword:ffffffff\nByteloom\\CodePages\\FontSize=sz:99999999999999999999\n"), "grouping=2 fontsize=-20")
put("setting", "bad-numbers.ini", I("[SOFTWARE]\nByteloom\\Size=dword:4g\nByteloom\\CodePages\\FontSize=sz:\nByteloom\\CodePages\\CurrentCodePage=sz:-99\n"), "grouping=2 fontsize=-20")
put("setting", "leading-zeros.ini", I("[SOFTWARE]\nByteloom\\Size=dword:000000004\n"), "grouping=4")
put("setting", "beyond-32-bits.ini", I("[SOFTWARE]\nByteloom\\Size=dword:100000004\n"), "grouping=2")
put("setting", "unterminated-quote.ini", I("[SOFTWARE]\nByteloom\\RecentFiles\\0=\"sz:/roms/a.bin\nByteloom\\Size=dword:00000001\n"), "grouping=1")
put("setting", "no-section.ini", I("Byteloom\\Size=dword:00000004\n"), "grouping=2")
put("setting", "unclosed-section.ini", I("[SOFTWARE\nByteloom\\Size=dword:00000004\n"), "grouping=4")
put("setting", "crlf.ini", I("[SOFTWARE]\r\nByteloom\\Size=dword:00000008\r\n"), "grouping=8")
put("setting", "utf8-bom.ini", b"\xef\xbb\xbf" + I("[SOFTWARE]\nByteloom\\Size=dword:00000004\n"), "grouping=4")
put("setting", "utf16.ini", "[SOFTWARE]\nByteloom\\Size=dword:00000004\n".encode("utf-16"), "grouping=2")
put("setting", "nul-bytes.ini", I("[SOFT\0WARE]\nByteloom\\Size=dword:0000\x0004\n\0\n"), "grouping=2")
put("setting", "duplicate-keys.ini", I("[SOFTWARE]\nByteloom\\Size=dword:00000001\nByteloom\\Size=dword:00000008\n"), "grouping=8")
put("setting", "long-face.ini", I("[SOFTWARE]\nByteloom\\CodePages\\HexFont=sz:" + "F" * 100000 + "\n"), "loads")
put("setting", "colour-too-wide.ini", I("[SOFTWARE]\nByteloom\\TextColor=dword:ff000000\n"), "loads")

# Typed fields: "message:TEXT" (the dialog says TEXT and stays) or "value:N" (what is taken).
fields = [
    ("dump-start", "", "value:0"),
    ("dump-start", "zz", "value:0"),
    ("dump-start", "1g", "value:1"),
    ("dump-start", "FFFFFFFFFFFF", "value:281474976710655"),
    ("dump-start", "FFFFFFFFFFFFFFFFFF", "value:9223372036854775807"),
    ("dump-length", "-5", "value:0"),
    ("insert-address", "", "value:0"),
    ("insert-address", "10x", "value:16"),
    ("insert-address-decimal", "99999999999999", "value:any"),
    ("insert-address-decimal", "12ab", "value:12"),
    ("split-custom", "", "message:Please input a bank size"),
    ("split-custom", "zz", "message:The bank size must be greater than 0."),
    ("split-custom", "0", "message:The bank size must be greater than 0."),
    ("split-header", "", "message:Please input a header size"),
    ("expand-custom", "", "message:Please input an expansion size"),
    ("expand-custom", "0", "message:Please input an expansion size greater than 0."),
    ("expand-fill", "1FF", "value:255"),
    ("expand-fill", "q", "value:0"),
    ("find-hex", "4", "message:Please input a hex string with complete bytes"),
    ("find-hex", "4G", "message:Please input a hex string with complete bytes"),
    ("find-hex", "41 4", "message:Please input a hex string with complete bytes"),
    ("find-hex", "**", "value:2"),
    # Only the first 99 characters are read, which leaves half a byte here.
    ("find-hex", "41" * 60, "message:Please input a hex string with complete bytes"),
    ("find-hex", "41" * 49 + " 4142", "value:49"),
    ("codepage", "", "message:The code page must be a number such as 1252 or 932"),
    ("codepage", "12x", "message:The code page must be a number such as 1252 or 932"),
    ("codepage", "0", "message:Code page 0 is not available on this system"),
    ("codepage", "99999", "message:Code page 99999 is not available on this system"),
    ("codepage", "7777", "message:Code page 7777 is not available on this system"),
    ("table-key", "G1", "message:A key is written in hexadecimal digits (0-9, A-F)"),
    ("table-key", "123456789", "message:A key is at most four bytes (8 hex digits)"),
    ("table-key", "", "value:unchanged"),
    ("range", "", "message:Please input a start range"),
    ("range", "zz", "message:The range's start must be a hexadecimal number of at most 16 digits"),
    ("trigger", "", "message:Please input a start trigger"),
    ("trigger", "-1", "message:The start trigger must be a hexadecimal number of at most 8 digits"),
]
for reader, text, expect in fields:
    manifest.append(f"field\t{reader}\t{text}\t{expect}")

# Command lines: {rom} is a copy of the sample, {tbl} the sample table, {dir} a folder. Each must
# end with exit status 2, say why on standard error, and leave the copy as it was.
clis = [
    "dump {rom} --table {tbl} --start zz",
    "dump {rom} --table {tbl} --start 1FFFFFFFF",
    "dump {rom} --table {tbl} --length -1",
    "dump {rom} --table {tbl} --start 10000",
    "string {rom} --start 0 --length 0x10",
    "insert {rom} {tbl} --table {tbl} --address 12345678901",
    "insert {rom} {tbl} --table {tbl} --address 10 --decimal --address 11",
    "insert {rom} /nonexistent/script.txt --raw --address 0",
    "find {rom} --hex 4",
    "find {rom} --hex GG",
    "split {rom} --bank-size 0",
    "split {rom} --bank-size zz",
    "expand {rom} --size 0",
    "expand {rom} --size 10 --fill 1x",
    "rows {rom} --start 0 --count -3",
    "tbl {tbl} --normalize /nonexistent/out.tbl",
    "copy-as {rom} --start 0 --length 0 --as int",
    "tbl {dir}",
    "dump {dir} --table {tbl}",
    "dump {rom} --table {dir}",
    "dump {rom} --table /dev/null",
    "insert {rom} {dir} --raw --address 0",
]
for line in clis:
    manifest.append(f"cli\t{line}\texit=2")

with open(os.path.join(here, "MANIFEST"), "w") as f:
    f.write("# kind<TAB>input<TAB>expected outcome; made by make-corpus.py\n")
    f.write("\n".join(manifest) + "\n")
print(len(manifest), "inputs")
