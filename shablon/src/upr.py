"""upr.xls: the first page of the unified (simplified) tax declaration (form
KND 1151085), one sheet.

The page is a grid of 139 narrow columns (A to EI); a character box is four
columns wide. Boxes that the program fills hold a placeholder: prefix,
position from 1, "&"; no other text of the sheet contains one.

Cells the program writes directly (each the top-left cell of its area):
  O14 kind of document (1 or 3), V14 correction number,
  W17 name of the tax office, C20 full name of the organisation,
  F34 / CE34 / DA34 / DP34 / DU34 tax name, chapter of the Tax Code,
  tax period, quarter digits 1 and 2 (VAT line), row 36 likewise (profit tax),
  AZ43 phone.
"""

from sheet import Sheet, Style, Workbook, area, date_boxes, placeholders

COLUMNS = 139            # A .. EI
COLUMN_WIDTH_CM = 0.135  # 139 columns fill the width of an A4 page
BOX = 4                  # columns per character box

LABEL = Style(size=8)
LABEL_R = Style(size=8, align="right")
LABEL_C = Style(size=8, align="center")
LABEL_WRAP = Style(size=8, wrap=True)
NOTE = Style(size=6, align="right", valign="top", wrap=True)
SMALL = Style(size=7, wrap=True)
CAPTION = Style(size=6, italic=True, align="center", valign="top")
TITLE = Style(size=12, bold=True, align="center")
CHAR = Style(font="Courier New", size=12, align="center", border="all", shrink=True)
DOT = Style(font="Courier New", size=12, bold=True, align="center", valign="bottom")
SLASH = Style(font="Courier New", size=12, align="center")
LINE = Style(size=9, border="b", valign="bottom")
FILL_LINE = Style(size=9, border="b", valign="bottom", wrap=True)
HEAD = Style(size=6, bold=True, align="center", wrap=True, border="all")
TAX_NAME = Style(size=9, border="all", wrap=True)
TAX_CELL = Style(font="Courier New", size=12, align="center", border="all")
FRAME = Style(size=7, align="center", border="all", wrap=True)
BLOCK = Style(size=8, bold=True, wrap=True, valign="top")
BLOCK_C = Style(size=8, bold=True, align="center", wrap=True, valign="top")


def build_sheet():
    s = Sheet("стр.1", COLUMNS, COLUMN_WIDTH_CM)

    # Header: ИНН, КПП, page number, form code.
    s.put("A1:EI1", "Приложение № 1 к приказу Министерства финансов "
          "Российской Федерации от 10.07.2007 № 62н", NOTE)
    s.put("A2:T4", "", FRAME)
    s.put("U2:AB2", "ИНН", LABEL_R)
    s.boxes(2, 29, placeholders("И", 12), BOX, CHAR)
    s.put("U4:AB4", "КПП", LABEL_R)
    s.boxes(4, 29, placeholders("КП", 9), BOX, CHAR)
    s.put("BO4:BV4", "Стр.", LABEL_R)
    s.boxes(4, 75, ["0", "0", "1"], BOX, CHAR)
    s.put("CQ6:EI6", "Форма по КНД 1151085", LABEL_R)
    s.height([1], 0.35)
    s.height([2, 4], 0.6)
    s.height([3, 5], 0.15)

    s.put("A8:EI8", "Единая (упрощенная) налоговая декларация", TITLE)
    s.height([8], 0.7)
    s.height([9, 10, 11, 12], 0.15)

    # Kind of document "1" or "3 / correction number", reporting year.
    s.put("A13:N14", "Вид\nдокумента", Style(size=8, align="right", wrap=True))
    s.put("O14:R14", "", CHAR)
    s.put("S14:U14", "/", SLASH)
    s.put("V14:Y14", "", CHAR)
    s.put("AA13:BV14", "(1 – первичный, 3 – корректирующий\n(через дробь номер корректировки))",
          Style(size=7, wrap=True, valign="middle"))
    s.put("BX14:CR14", "Отчетный год", LABEL_R)
    s.boxes(14, 97, placeholders("ГД", 4), BOX, CHAR)
    s.height([13], 0.35)
    s.height([14], 0.6)
    s.height([15, 16], 0.15)

    # Tax office: name in W17, code in four boxes.
    s.put("A17:V17", "Представляется в", LABEL)
    s.put("W17:DF17", "", FILL_LINE)
    s.put("DG17:DL17", "Код", LABEL_R)
    s.boxes(17, 117, placeholders("КД", 4), BOX, CHAR)
    s.put("W18:DF18", "(наименование налогового органа)", CAPTION)
    s.height([17], 0.75)
    s.height([18], 0.3)
    s.height([19], 0.15)

    # Organisation: full name in C20.
    s.put("C20:EI21", "", FILL_LINE)
    s.put("C22:EI22", "(полное наименование организации / фамилия, имя, отчество "
          "индивидуального предпринимателя)", CAPTION)
    s.height([20, 21], 0.45)
    s.height([22], 0.3)
    s.height([23], 0.15)

    # ОКАТО and ОКВЭД.
    s.put("A24:AB24", "Код по ОКАТО", LABEL)
    s.boxes(24, 29, placeholders("АО", 11), BOX, CHAR)
    s.put("A26:BX26", "Код вида экономической деятельности по классификатору ОКВЭД", LABEL)
    col = s.boxes(26, 77, placeholders("Ш", 2), BOX, CHAR)
    col = s.boxes(26, col, ["."], 3, DOT)
    col = s.boxes(26, col, placeholders("Щ", 2), BOX, CHAR)
    col = s.boxes(26, col, ["."], 3, DOT)
    s.boxes(26, col, placeholders("Ч", 2), BOX, CHAR)
    s.height([24, 26], 0.6)
    s.height([25], 0.2)
    s.height([27, 28], 0.2)

    # Taxes the declaration covers: one line per tax, two rows high.
    s.put("A29:E32", "№ п/п", HEAD)
    s.put("F29:CD32", "Наименование налога (указываются в порядке, установленном частью второй "
          "Налогового кодекса Российской Федерации)", HEAD)
    s.put("CE29:CZ32", "Глава Налогового кодекса Российской Федерации", HEAD)
    s.put("DA29:DO32", "Налоговый (отчетный) период (код)", HEAD)
    s.put("DP29:DY32", "Номер квартала", HEAD)
    for cell, n in (("A33:E33", ""), ("F33:CD33", "1"), ("CE33:CZ33", "2"),
                    ("DA33:DO33", "3"), ("DP33:DY33", "4")):
        s.put(cell, n, HEAD)
    for number, row in enumerate((34, 36, 38, 40), start=1):
        s.put(area_of("A", row, "E"), str(number), LABEL_C)
        s.put(area_of("F", row, "CD"), "", TAX_NAME)
        s.put(area_of("CE", row, "CZ"), "", TAX_CELL)
        s.put(area_of("DA", row, "DO"), "", TAX_CELL)
        s.put(area_of("DP", row, "DT"), "", TAX_CELL)
        s.put(area_of("DU", row, "DY"), "", TAX_CELL)
    s.height(range(29, 33), 0.3)
    s.height(range(34, 42), 0.35)
    s.height([42], 0.2)

    # Phone in AZ43.
    s.put("A43:AY43", "Номер контактного телефона\nналогоплательщика", LABEL_WRAP)
    s.put("AZ43:CF43", "", LINE)
    s.height([43], 0.75)
    s.height([44], 0.3)

    # Confirmation (left) and the tax office's part (right).
    s.put("A45:BQ46", "Достоверность и полноту сведений, указанных в настоящей декларации, "
          "подтверждаю:", BLOCK)
    s.put("BU45:EI46", "Заполняется работником налогового органа", BLOCK_C)
    s.height([45, 46], 0.4)

    s.boxes(48, 1, [""], BOX, CHAR)
    s.put("F47:BQ49", "1 – руководитель организации (индивидуальный предприниматель),\n"
          "2 – представитель налогоплательщика", SMALL)
    s.put("A51:BQ51", "", LINE)
    s.put("A52:BQ52", "(фамилия, имя, отчество полностью)", CAPTION)
    s.put("A54:J54", "Подпись", LABEL)
    s.put("K54:AA54", "", LINE)
    s.put("AB54:AJ54", "Дата", LABEL_R)
    date_boxes(s, 54, 37, 3, CHAR, DOT)
    s.put("A55:BQ55", "М.П.", LABEL)
    s.put("A57:BQ58", "Наименование документа, подтверждающего полномочия представителя",
          LABEL_WRAP)
    s.put("A59:BQ59", "", LINE)

    s.put("BU47:EI47", "Сведения о представлении декларации", LABEL_C)
    s.put("BU49:DR49", "Данная декларация представлена (код)", LABEL)
    s.boxes(49, 123, ["", ""], BOX, CHAR)
    s.put("BU51:BX51", "на", LABEL)
    s.boxes(51, 77, ["", "", ""], BOX, CHAR)
    s.put("CK51:EI51", " страницах", LABEL)
    s.put("BU53:EI53", "Дата представления декларации", LABEL)
    date_boxes(s, 54, 73, 3, CHAR, DOT)
    s.put("BU56:EI56", "Зарегистрирована за №", LABEL)
    s.boxes(57, 73, [""] * 13, BOX, CHAR)
    s.put("BU59:CN59", "Фамилия, И.О.", LABEL)
    s.put("CO59:EI59", "", LINE)
    s.put("BU61:CJ61", "Подпись", LABEL)
    s.put("CK61:EI61", "", LINE)
    s.height([48, 49, 51, 54, 57], 0.6)
    s.height([59, 61], 0.5)
    return s


def area_of(first, row, last):
    """A tax line two rows high: area_of("F", 34, "CD") -> "F34:CD35"."""
    return "%s%d:%s%d" % (first, row, last, row + 1)


def build():
    return Workbook([build_sheet()], active="стр.1")
