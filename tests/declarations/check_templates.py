#!/usr/bin/env python3
"""Checks the declaration templates that ship beside the program.

usage: check_templates.py <folder holding nds.xls and upr.xls>

Each workbook is read back the way the program's spreadsheet application
reads it: a headless LibreOffice with a profile of its own (in a temporary
folder) converts a copy to a flat ODF spreadsheet, which is parsed here.
Checked, for both templates:
  - the file is an Excel 97-2003 (BIFF8) workbook;
  - every placeholder of the groups the window replaces on a sheet stands on
    that sheet exactly once, as the whole text of its own cell, inside the
    range the replacement covers; no other cell of the sheet contains it
    (the replacement is a case-insensitive replace-all of substrings), and no
    other cell carries a placeholder-like "&" text;
  - the cells the window writes directly exist: each is a cell of its own or
    the top-left cell of a merged area, never inside another merge.
The LibreOffice it starts runs in a process group of its own, which is ended
before the script returns.
"""

import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "config": "urn:oasis:names:tc:opendocument:xmlns:config:1.0",
}
T = "{%s}" % NS["table"]
X = "{%s}" % NS["text"]


def col_number(letters):
    n = 0
    for ch in letters:
        n = n * 26 + ord(ch) - ord("A") + 1
    return n


def col_letters(n):
    s = ""
    while n:
        n, r = divmod(n - 1, 26)
        s = chr(ord("A") + r) + s
    return s


def cell_name(rc):
    return "%s%d" % (col_letters(rc[1]), rc[0])


def parse_cell(ref):
    i = 0
    while ref[i].isalpha():
        i += 1
    return int(ref[i:]), col_number(ref[:i])


def placeholders(prefix, first, last):
    return ["%s%d&" % (prefix, i) for i in range(first, last + 1)]


# The placeholder groups each window replaces, sheet by sheet.
NDS_GROUPS = {
    "стр.2": [("АО", 11), ("КБК", 20), ("СМ", 12)],
    "стр.4": [("СМ", 12), ("СУ", 12)],
    "стр.1": [("ОКВ", 2), ("П", 2), ("ОКВЕ", 2), ("ф", 4), ("И", 12), ("Г", 4),
              ("ТЕЛ", 14), ("К", 3), ("Н", 2)],
}
NDS_RANGE = "DN79"
# Letter k of the surname, first name and patronymic: column 3k-2 of rows 16, 18, 20.
NDS_CELLS = {"стр.1": ["DF14", "DI14", "DL14"] +
             [cell_name((row, 3 * k - 2)) for row in (16, 18, 20) for k in range(1, 21)]}

UPR_GROUPS = [("АО", 11), ("ГД", 4), ("КП", 9), ("КД", 4), ("И", 12), ("Ш", 2), ("Щ", 2), ("Ч", 2)]
UPR_RANGE = "EI69"
UPR_CELLS = ["O14", "V14", "W17", "C20", "AZ43"] + \
    [c + str(row) for row in (34, 36) for c in ("F", "CE", "DA", "DP", "DU")]


# ------------------------------------------------------------ reading back

def text_of(cell):
    """The text of a cell: its paragraphs joined by line breaks."""
    def walk(el):
        out = [el.text or ""]
        for child in el:
            if child.tag == X + "s":
                out.append(" " * int(child.get(X + "c", "1")))
            elif child.tag == X + "tab":
                out.append("\t")
            elif child.tag == X + "line-break":
                out.append("\n")
            else:
                out.append(walk(child))
            out.append(child.tail or "")
        return "".join(out)
    return "\n".join(walk(p) for p in cell.findall(X + "p"))


class SheetData:
    def __init__(self, name):
        self.name = name
        self.texts = {}     # (row, col) -> text, non-empty cells only
        self.spans = {}     # (row, col) of a merged area's top-left -> (rows, cols)
        self.covered = set()


def read_fods(path):
    """The sheets, in order."""
    root = ET.parse(path).getroot()
    sheets = []
    for table in root.iter(T + "table"):
        sheet = SheetData(table.get(T + "name"))
        row = 0
        for tr in table.iter(T + "table-row"):
            rows = int(tr.get(T + "number-rows-repeated", "1"))
            col = 0
            for tc in tr:
                if tc.tag not in (T + "table-cell", T + "covered-table-cell"):
                    continue
                cols = int(tc.get(T + "number-columns-repeated", "1"))
                text = text_of(tc) if tc.tag == T + "table-cell" else ""
                for r in range(row + 1, row + 1 + min(rows, 100)):
                    for c in range(col + 1, col + 1 + min(cols, 1000)):
                        if tc.tag == T + "covered-table-cell":
                            sheet.covered.add((r, c))
                        else:
                            if text:
                                sheet.texts[(r, c)] = text
                            span = (int(tc.get(T + "number-rows-spanned", "1")),
                                    int(tc.get(T + "number-columns-spanned", "1")))
                            if span != (1, 1):
                                sheet.spans[(r, c)] = span
                col += cols
            row += rows
        sheets.append(sheet)
    return sheets


def ole_stream(data, name):
    """The stream `name` of an OLE2 compound file, or None. Enough of the
    format for a workbook: FAT sectors listed in the header, a stream that is
    not in the mini stream."""
    if data[:8] != bytes.fromhex("d0cf11e0a1b11ae1"):
        return None
    size = 1 << struct.unpack_from("<H", data, 0x1E)[0]
    fat_sectors, first_dir = struct.unpack_from("<I", data, 0x2C)[0], struct.unpack_from("<I", data, 0x30)[0]
    mini_cutoff = struct.unpack_from("<I", data, 0x38)[0]

    def sector(i):
        return data[(i + 1) * size:(i + 2) * size]
    fat = []
    for s in struct.unpack_from("<109I", data, 0x4C)[:fat_sectors]:
        fat.extend(struct.unpack("<%dI" % (size // 4), sector(s)))

    def chain(start):
        out, seen = [], set()
        while start < 0xFFFFFFFA and start not in seen and start < len(fat):
            seen.add(start)
            out.append(sector(start))
            start = fat[start]
        return b"".join(out)
    entries = chain(first_dir)
    for off in range(0, len(entries) - 127, 128):
        e = entries[off:off + 128]
        length = struct.unpack_from("<H", e, 0x40)[0]
        start, stream_size = struct.unpack_from("<II", e, 0x74)
        if e[0x42] == 2 and e[:max(length - 2, 0)].decode("utf-16-le", "replace") == name:
            return chain(start)[:stream_size] if stream_size >= mini_cutoff else None
    return None


class BiffInfo:
    """What the workbook stream says about the file as a whole."""

    def __init__(self, path):
        with open(path, "rb") as f:
            stream = ole_stream(f.read(), "Workbook")   # BIFF5 and older call it "Book"
        self.biff8 = False
        self.sheets = []
        self.active = None
        self.page_setups = []    # per sheet: (paper size, fit to width, fit to height, fit on)
        if not stream:
            return
        records, pos = [], 0
        while pos + 4 <= len(stream):
            rid, length = struct.unpack_from("<HH", stream, pos)
            records.append((rid, stream[pos + 4:pos + 4 + length]))
            pos += 4 + length
        self.biff8 = bool(records) and records[0][0] == 0x0809 and records[0][1][:2] == b"\x00\x06"
        active = 0
        fit = False
        for rid, d in records:
            if rid == 0x003D:                          # WINDOW1: the sheet shown on opening
                active = struct.unpack_from("<H", d, 10)[0]
            elif rid == 0x0085:                        # BOUNDSHEET: sheet name
                count, flags = d[6], d[7]
                raw = d[8:8 + count * (2 if flags & 1 else 1)]
                self.sheets.append(raw.decode("utf-16-le" if flags & 1 else "latin-1"))
            elif rid == 0x0081:                        # WSBOOL: fit to pages switched on
                fit = bool(struct.unpack_from("<H", d, 0)[0] & 0x0100)
            elif rid == 0x00A1:                        # SETUP: paper, fit width, fit height
                paper, _, _, width, height = struct.unpack_from("<5H", d, 0)
                self.page_setups.append((paper, width, height, fit))
        if active < len(self.sheets):
            self.active = self.sheets[active]


def soffice_program():
    found = os.environ.get("SOFFICE") or shutil.which("soffice") or shutil.which("libreoffice")
    if not found:
        sys.exit("FAIL: LibreOffice (soffice) is not installed")
    return found


def convert_to_fods(files, work):
    """Converts the files with a LibreOffice of their own; returns the .fods paths."""
    profile = os.path.join(work, "profile")
    cmd = [soffice_program(), "-env:UserInstallation=file://" + profile, "--headless",
           "--norestore", "--convert-to", "fods", "--outdir", work] + files
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        out = b"(timed out)"
    finally:
        # Whatever it left running belongs to its own process group.
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.wait()
    result = []
    for f in files:
        fods = os.path.join(work, os.path.splitext(os.path.basename(f))[0] + ".fods")
        if not os.path.exists(fods):
            sys.exit("FAIL: LibreOffice did not read %s:\n%s" % (f, out.decode(errors="replace")))
        result.append(fods)
    return result


# ------------------------------------------------------------------ checks

class Checker:
    def __init__(self):
        self.failures = []

    def fail(self, what):
        self.failures.append(what)

    def placeholders_on(self, book, sheet, wanted, last_cell):
        """Each wanted placeholder once, alone in its cell, inside A1:last_cell;
        every "&" text of the sheet is one of them."""
        max_row, max_col = parse_cell(last_cell)
        where = "%s, sheet %s" % (book, sheet.name)
        for p in wanted:
            hits = [rc for rc, t in sheet.texts.items() if p.casefold() in t.casefold()]
            if len(hits) != 1:
                self.fail("%s: %r found in %d cells %s" % (where, p, len(hits),
                                                           [cell_name(h) for h in hits]))
                continue
            rc = hits[0]
            if sheet.texts[rc] != p:
                self.fail("%s: %s holds %r, not just %r" % (where, cell_name(rc), sheet.texts[rc], p))
            if rc[0] > max_row or rc[1] > max_col:
                self.fail("%s: %r in %s lies outside A1:%s" % (where, p, cell_name(rc), last_cell))
        expected = set(wanted)
        for rc, t in sorted(sheet.texts.items()):
            if "&" in t and t not in expected:
                self.fail("%s: %s holds the stray text %r" % (where, cell_name(rc), t))

    def own_cells(self, book, sheet, refs):
        """Each cell a cell of its own or the top-left of a merge."""
        for ref in refs:
            if parse_cell(ref) in sheet.covered:
                self.fail("%s, sheet %s: %s lies inside a merged area" % (book, sheet.name, ref))


def check_file(check, name, info):
    """File-wide properties: format, A4 fitted to the page width."""
    if not info.biff8:
        check.fail("%s is not an Excel 97-2003 (BIFF8) workbook" % name)
        return
    if len(info.page_setups) != len(info.sheets):
        check.fail("%s: %d sheets but %d page setups" % (name, len(info.sheets), len(info.page_setups)))
    for sheet, (paper, width, height, fit) in zip(info.sheets, info.page_setups):
        if paper != 9 or not fit or width != 1 or height != 0:
            check.fail("%s, sheet %s: page setup paper %d, fit %s to %dx%d pages instead of A4, "
                       "one page wide" % (name, sheet, paper, fit, width, height))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_templates.py <folder with nds.xls and upr.xls>")
    folder = sys.argv[1]
    check = Checker()
    work = tempfile.mkdtemp(prefix="orvel-check-templates.")
    try:
        copies, infos = [], []
        for name in ("nds.xls", "upr.xls"):
            src = os.path.join(folder, name)
            if not os.path.isfile(src):
                sys.exit("FAIL: %s is missing" % src)
            infos.append(BiffInfo(src))
            check_file(check, name, infos[-1])
            dst = os.path.join(work, name)
            shutil.copyfile(src, dst)
            copies.append(dst)
        nds_fods, upr_fods = convert_to_fods(copies, work)
        nds_info, upr_info = infos

        # nds.xls: the window activates each sheet itself.
        sheets = {s.name: s for s in read_fods(nds_fods)}
        for name, groups in NDS_GROUPS.items():
            if name not in sheets:
                check.fail("nds.xls has no sheet %r (it has %s)" % (name, list(sheets)))
                continue
            wanted = [p for prefix, n in groups for p in placeholders(prefix, 1, n)]
            check.placeholders_on("nds.xls", sheets[name], wanted, NDS_RANGE)
            check.own_cells("nds.xls", sheets[name], NDS_CELLS.get(name, []))

        # upr.xls: everything on the sheet that is active when it opens.
        sheets = {s.name: s for s in read_fods(upr_fods)}
        if upr_info.active not in sheets:
            check.fail("upr.xls: the sheet shown on opening (%r) is not among %s"
                       % (upr_info.active, list(sheets)))
        else:
            sheet = sheets[upr_info.active]
            wanted = [p for prefix, n in UPR_GROUPS for p in placeholders(prefix, 1, n)]
            check.placeholders_on("upr.xls", sheet, wanted, UPR_RANGE)
            check.own_cells("upr.xls", sheet, UPR_CELLS)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for f in check.failures:
        print("FAIL:", f)
    if check.failures:
        sys.exit(1)
    print("PASS: nds.xls and upr.xls hold every placeholder and cell the windows fill")


if __name__ == "__main__":
    main()
