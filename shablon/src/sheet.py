"""A small model of a form-like spreadsheet and its writer to a flat ODF
spreadsheet (.fods), which LibreOffice then turns into an Excel 97-2003
workbook.

A sheet is a grid of equally narrow columns. Every cell of the form is a
rectangle given in A1 notation ("AE2" or "A7:DN7"); a rectangle of more than
one cell is merged, and its top-left cell holds the text. Only the standard
library is used.
"""

import re
from xml.sax.saxutils import escape, quoteattr

# ---------------------------------------------------------------- addresses


def col_number(letters):
    """"A" -> 1, "Z" -> 26, "AA" -> 27, "DN" -> 118."""
    n = 0
    for ch in letters:
        n = n * 26 + (ord(ch) - ord("A") + 1)
    return n


def col_letters(n):
    """1 -> "A", 118 -> "DN"."""
    s = ""
    while n:
        n, r = divmod(n - 1, 26)
        s = chr(ord("A") + r) + s
    return s


_CELL = re.compile(r"^([A-Z]+)([0-9]+)$")


def parse_cell(ref):
    m = _CELL.match(ref)
    if not m:
        raise ValueError("bad cell address: " + ref)
    return int(m.group(2)), col_number(m.group(1))


def parse_area(ref):
    """"A7:DN7" -> (row1, col1, row2, col2); a single cell is a 1x1 area."""
    first, _, last = ref.partition(":")
    r1, c1 = parse_cell(first)
    r2, c2 = parse_cell(last) if last else (r1, c1)
    if r2 < r1 or c2 < c1:
        raise ValueError("bad area: " + ref)
    return r1, c1, r2, c2


def cell_name(row, col):
    return col_letters(col) + str(row)


def placeholders(prefix, count):
    """The texts the program replaces: prefix, position from 1, "&"."""
    return ["%s%d&" % (prefix, i) for i in range(1, count + 1)]


# ------------------------------------------------------------------- styles


class Style:
    """A cell style: font, alignment and which edges carry a thin line."""

    def __init__(self, size=8, bold=False, italic=False, font="Arial",
                 align="left", valign="middle", wrap=False, shrink=False,
                 border="", rotate=0):
        self.size = size
        self.bold = bold
        self.italic = italic
        self.font = font
        self.align = align          # left, center, right
        self.valign = valign        # top, middle, bottom
        self.wrap = wrap
        self.shrink = shrink
        self.border = border        # any of "t", "b", "l", "r"; "all" = "tblr"
        self.rotate = rotate

    def key(self):
        return tuple(sorted(vars(self).items()))


# ------------------------------------------------------------------- sheets


class Cell:
    def __init__(self, text, style, rows, cols):
        self.text = text
        self.style = style
        self.rows = rows
        self.cols = cols


class Sheet:
    def __init__(self, name, columns, column_width_cm, row_height_cm=0.45):
        self.name = name
        self.columns = columns
        self.column_width_cm = column_width_cm
        self.row_height_cm = row_height_cm
        self.cells = {}          # (row, col) of the top-left cell -> Cell
        self.covered = {}        # (row, col) inside a merge -> its top-left
        self.row_heights = {}    # row -> height in cm

    def put(self, area, text="", style=None):
        """Places a text (possibly empty) in the rectangle `area`, merged when
        it spans more than one cell. Returns the address of its top-left cell."""
        r1, c1, r2, c2 = parse_area(area)
        if c2 > self.columns:
            raise ValueError("%s: %s lies beyond the last column" % (self.name, area))
        for r in range(r1, r2 + 1):
            for c in range(c1, c2 + 1):
                if (r, c) in self.cells or (r, c) in self.covered:
                    raise ValueError("%s: %s overlaps %s" % (self.name, area, cell_name(r, c)))
        self.cells[(r1, c1)] = Cell(text, style or Style(), r2 - r1 + 1, c2 - c1 + 1)
        for r in range(r1, r2 + 1):
            for c in range(c1, c2 + 1):
                if (r, c) != (r1, c1):
                    self.covered[(r, c)] = (r1, c1)
        return cell_name(r1, c1)

    def boxes(self, row, first_col, texts, width, style, rows=1):
        """A run of one-character cells, each `width` columns wide, starting at
        column `first_col` (a number) of `row`. Returns the column after it."""
        col = first_col
        for text in texts:
            self.put("%s:%s" % (cell_name(row, col),
                                cell_name(row + rows - 1, col + width - 1)), text, style)
            col += width
        return col

    def height(self, rows, cm):
        for r in rows:
            self.row_heights[r] = cm

    def last_row(self):
        rows = [r + cell.rows - 1 for (r, _), cell in self.cells.items()]
        return max(rows + list(self.row_heights))


class Workbook:
    def __init__(self, sheets, active):
        self.sheets = sheets
        self.active = active


# ------------------------------------------------------------------- writer

_NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
    "config": "urn:oasis:names:tc:opendocument:xmlns:config:1.0",
    "loext": "urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0",
}

_LINE = "0.5pt solid #000000"


def _cell_style_xml(name, st):
    props = ['style:vertical-align="%s"' % st.valign]
    edges = "tblr" if st.border == "all" else st.border
    for edge, attr in (("t", "top"), ("b", "bottom"), ("l", "left"), ("r", "right")):
        props.append('fo:border-%s="%s"' % (attr, _LINE if edge in edges else "none"))
    if st.wrap:
        props.append('fo:wrap-option="wrap"')
    if st.shrink:
        props.append('style:shrink-to-fit="true"')
    if st.rotate:
        props.append('style:rotation-angle="%d"' % st.rotate)
    text = ['style:font-name=%s' % quoteattr(st.font),
            'fo:font-size="%gpt"' % st.size,
            'fo:font-weight="%s"' % ("bold" if st.bold else "normal"),
            'fo:font-style="%s"' % ("italic" if st.italic else "normal")]
    align = {"left": "start", "center": "center", "right": "end"}[st.align]
    return ('<style:style style:name="%s" style:family="table-cell" style:parent-style-name="Default">'
            '<style:table-cell-properties %s/>'
            '<style:paragraph-properties fo:text-align="%s" fo:margin-left="0cm"/>'
            '<style:text-properties %s/></style:style>'
            % (name, " ".join(props), align, " ".join(text)))


def write_fods(book, path):
    styles = {}          # Style.key() -> name
    style_xml = []
    fonts = {"Arial"}

    def style_name(st):
        k = st.key()
        if k not in styles:
            styles[k] = "ce%d" % (len(styles) + 1)
            style_xml.append(_cell_style_xml(styles[k], st))
            fonts.add(st.font)
        return styles[k]

    col_styles = {}      # width -> name
    row_styles = {}      # height -> name
    body = []

    for sheet in book.sheets:
        w = sheet.column_width_cm
        col_styles.setdefault(w, "co%d" % (len(col_styles) + 1))
        out = ['<table:table table:name=%s table:style-name="ta1">' % quoteattr(sheet.name),
               '<table:table-column table:style-name="%s" table:number-columns-repeated="%d" '
               'table:default-cell-style-name="Default"/>' % (col_styles[w], sheet.columns)]
        for r in range(1, sheet.last_row() + 1):
            h = sheet.row_heights.get(r, sheet.row_height_cm)
            row_styles.setdefault(h, "ro%d" % (len(row_styles) + 1))
            out.append('<table:table-row table:style-name="%s">' % row_styles[h])
            empty = 0
            for c in range(1, sheet.columns + 1):
                cell = sheet.cells.get((r, c))
                if cell is None and (r, c) not in sheet.covered:
                    empty += 1
                    continue
                if empty:
                    out.append('<table:table-cell table:number-columns-repeated="%d"/>' % empty)
                    empty = 0
                if cell is None:
                    out.append('<table:covered-table-cell/>')
                    continue
                attrs = ['table:style-name="%s"' % style_name(cell.style)]
                if cell.cols > 1 or cell.rows > 1:
                    attrs.append('table:number-columns-spanned="%d" table:number-rows-spanned="%d"'
                                 % (cell.cols, cell.rows))
                if cell.text:
                    paras = "".join("<text:p>%s</text:p>" % escape(p) for p in cell.text.split("\n"))
                    out.append('<table:table-cell %s office:value-type="string" calcext:value-type="string">%s'
                               '</table:table-cell>' % (" ".join(attrs), paras))
                else:
                    out.append('<table:table-cell %s/>' % " ".join(attrs))
            if empty:
                out.append('<table:table-cell table:number-columns-repeated="%d"/>' % empty)
            out.append('</table:table-row>')
        out.append('</table:table>')
        body.extend(out)

    auto = []
    for w, name in col_styles.items():
        auto.append('<style:style style:name="%s" style:family="table-column">'
                    '<style:table-column-properties fo:break-before="auto" style:column-width="%gcm"/>'
                    '</style:style>' % (name, w))
    for h, name in row_styles.items():
        auto.append('<style:style style:name="%s" style:family="table-row">'
                    '<style:table-row-properties style:row-height="%gcm" fo:break-before="auto" '
                    'style:use-optimal-row-height="false"/></style:style>' % (name, h))
    auto.append('<style:style style:name="ta1" style:family="table" style:master-page-name="A4">'
                '<style:table-properties table:display="true" style:writing-mode="lr-tb"/></style:style>')
    auto.extend(style_xml)
    # A4 portrait, everything scaled to one page wide.
    auto.append('<style:page-layout style:name="pm1"><style:page-layout-properties '
                'fo:page-width="21.001cm" fo:page-height="29.7cm" style:print-orientation="portrait" '
                'fo:margin-top="1cm" fo:margin-bottom="1cm" fo:margin-left="1.5cm" fo:margin-right="1cm" '
                'style:print="charts drawings objects zero-values" style:print-page-order="ttb" '
                'style:scale-to-X="1" style:scale-to-Y="0" style:writing-mode="lr-tb"/>'
                '<style:header-style/><style:footer-style/></style:page-layout>')

    settings = ['<config:config-item-set config:name="ooo:view-settings">'
                '<config:config-item-map-indexed config:name="Views"><config:config-item-map-entry>'
                '<config:config-item config:name="ViewId" config:type="string">view1</config:config-item>'
                '<config:config-item-map-named config:name="Tables">']
    for sheet in book.sheets:
        settings.append('<config:config-item-map-entry config:name=%s>'
                        '<config:config-item config:name="CursorPositionX" config:type="int">0</config:config-item>'
                        '<config:config-item config:name="CursorPositionY" config:type="int">0</config:config-item>'
                        '<config:config-item config:name="ShowGrid" config:type="boolean">false</config:config-item>'
                        '</config:config-item-map-entry>' % quoteattr(sheet.name))
    settings.append('</config:config-item-map-named>'
                    '<config:config-item config:name="ActiveTable" config:type="string">%s</config:config-item>'
                    '<config:config-item config:name="ShowGrid" config:type="boolean">false</config:config-item>'
                    '</config:config-item-map-entry></config:config-item-map-indexed></config:config-item-set>'
                    % escape(book.active))

    ns = " ".join('xmlns:%s="%s"' % kv for kv in _NS.items())
    ns += ' xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"'
    font_decls = "".join('<style:font-face style:name=%s svg:font-family=%s/>' % (quoteattr(f), quoteattr(f))
                         for f in sorted(fonts))
    doc = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<office:document %s office:version="1.3" '
           'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">' % ns,
           '<office:settings>', *settings, '</office:settings>',
           '<office:font-face-decls>%s</office:font-face-decls>' % font_decls,
           # A white background on every cell hides the screen grid of the narrow columns.
           '<office:styles><style:style style:name="Default" style:family="table-cell">'
           '<style:table-cell-properties fo:background-color="#ffffff"/>'
           '<style:text-properties style:font-name="Arial" fo:font-size="8pt"/></style:style></office:styles>',
           '<office:automatic-styles>', *auto, '</office:automatic-styles>',
           '<office:master-styles><style:master-page style:name="A4" style:page-layout-name="pm1">'
           '<style:header style:display="false"/><style:footer style:display="false"/>'
           '</style:master-page></office:master-styles>',
           '<office:body><office:spreadsheet>', *body, '</office:spreadsheet></office:body>',
           '</office:document>']
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(doc) + "\n")


# ------------------------------------------------------- shared form pieces

def date_boxes(sheet, row, first_col, width, box, dot):
    """Day, month and year boxes "__.__.____" starting at column `first_col`.
    Returns the column after them."""
    col = sheet.boxes(row, first_col, ["", ""], width, box)
    col = sheet.boxes(row, col, ["."], width, dot)
    col = sheet.boxes(row, col, ["", ""], width, box)
    col = sheet.boxes(row, col, ["."], width, dot)
    return sheet.boxes(row, col, ["", "", "", ""], width, box)


def area(row1, col1, row2=None, col2=None):
    """Area address from numbers: area(16, 1, 16, 3) -> "A16:C16"."""
    row2 = row1 if row2 is None else row2
    col2 = col1 if col2 is None else col2
    return "%s:%s" % (cell_name(row1, col1), cell_name(row2, col2))
