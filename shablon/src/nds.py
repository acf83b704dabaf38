"""nds.xls: the VAT declaration of an individual entrepreneur (form KND
1151001): the title page "стр.1", section 1 "стр.2" and section 3 "стр.4".

Every page is a grid of 118 narrow columns (A to DN); a character box is
three columns wide. Boxes that the program fills hold a placeholder: prefix,
position from 1, "&". The program replaces each placeholder text on the
page it belongs to, so no other text of that page may contain it.

Cells the program writes directly, on "стр.1":
  rows 16, 18, 20 (surname, first name, patronymic): letter k in the box
  whose first column is 3k-2 (A, D, G, ... BF), k = 1..20;
  DF14, DI14, DL14: the three digits of the place code.
"""

from sheet import Sheet, Style, Workbook, area, col_number, date_boxes, placeholders

COLUMNS = 118            # A .. DN
COLUMN_WIDTH_CM = 0.16   # 118 columns fill the width of an A4 page
BOX = 3                  # columns per character box


def k(n):
    """First column of the n-th box of the row grid: 1, 4, 7, ..."""
    return 3 * n - 2


LABEL = Style(size=8)
LABEL_R = Style(size=8, align="right")
LABEL_C = Style(size=8, align="center")
LABEL_WRAP = Style(size=8, wrap=True)
NOTE = Style(size=6, align="right", valign="top", wrap=True)
CAPTION = Style(size=6, italic=True, align="center", valign="top")
TITLE = Style(size=12, bold=True, align="center")
SECTION = Style(size=9, bold=True, align="center", wrap=True)
CHAR = Style(font="Courier New", size=12, align="center", border="all", shrink=True)
DOT = Style(font="Courier New", size=12, bold=True, align="center", valign="bottom")
LINE = Style(size=9, border="b", valign="bottom")
HEAD = Style(size=7, bold=True, align="center", wrap=True, border="all")
ROW_LABEL = Style(size=7, wrap=True, border="all")
ROW_CODE = Style(size=8, align="center", border="all")
FRAME = Style(size=7, align="center", border="all", wrap=True)
BLOCK = Style(size=8, bold=True, wrap=True, valign="top")
BLOCK_C = Style(size=8, bold=True, align="center", wrap=True, valign="top")


def page_header(s, page):
    """ИНН and КПП boxes, page number and form code at the top of a page.
    Returns nothing; uses rows 1 to 6."""
    s.put("A1:DN1", "Приложение № 1 к приказу Министерства финансов "
          "Российской Федерации от 15.10.2009 № 104н", NOTE)
    s.put(area(2, 1, 4, 21), "", FRAME)
    s.put(area(2, 25, 2, 30), "ИНН", LABEL_R)
    s.put(area(4, 25, 4, 30), "КПП", LABEL_R)
    s.boxes(4, k(11), [""] * 9, BOX, CHAR)
    s.put(area(4, 61, 4, 66), "Стр.", LABEL_R)
    s.boxes(4, k(23), list(page), BOX, CHAR)
    s.put("CA6:DN6", "Форма по КНД 1151001", LABEL_R)
    s.height([1], 0.35)
    s.height([2, 4], 0.6)
    s.height([3, 5], 0.15)


def signature(s, row, text):
    """The confirmation line at the foot of a section page."""
    s.put(area(row, 1, row, 118), text, LABEL)
    s.put(area(row + 2, 1, row + 2, 9), "Подпись", LABEL)
    s.put(area(row + 2, 10, row + 2, 33), "", LINE)
    s.put(area(row + 2, 37, row + 2, 42), "Дата", LABEL_R)
    date_boxes(s, row + 2, k(15), BOX, CHAR, DOT)
    s.height([row + 2], 0.6)
    s.height([row + 1], 0.15)


# ------------------------------------------------------------------ стр.1

def title_page():
    s = Sheet("стр.1", COLUMNS, COLUMN_WIDTH_CM)
    page_header(s, "001")
    s.boxes(2, k(11), placeholders("И", 12), BOX, CHAR)

    s.put("A7:DN7", "Налоговая декларация", TITLE)
    s.put("A8:DN8", "по налогу на добавленную стоимость", TITLE)
    s.height([7, 8], 0.55)
    s.height([9], 0.3)

    # Correction number, tax period, year.
    s.put(area(10, 1, 10, 24), "Номер корректировки", LABEL)
    s.boxes(10, k(9), placeholders("К", 3), BOX, CHAR)
    s.put(area(10, 36, 10, 60), "Налоговый период (код)", LABEL_R)
    s.boxes(10, k(21), placeholders("Н", 2), BOX, CHAR)
    s.put(area(10, 68, 10, 87), "Отчетный год", LABEL_R)
    s.boxes(10, k(30), placeholders("Г", 4), BOX, CHAR)
    s.height([10, 14], 0.6)
    s.height([11, 13], 0.15)
    s.height([12], 0.2)

    # Tax office and place of filing; DF14, DI14, DL14 take the place code.
    s.put(area(14, 1, 14, 42), "Представляется в налоговый орган (код)", LABEL)
    s.boxes(14, k(15), placeholders("ф", 4), BOX, CHAR)
    s.put(area(14, 56, 14, 109), "по месту нахождения (учета) (код)", LABEL_R)
    s.boxes(14, col_number("DF"), ["", "", ""], BOX, CHAR)

    # Surname, first name and patronymic, one letter per box.
    for row, what in ((16, "фамилия"), (18, "имя"), (20, "отчество")):
        s.boxes(row, k(1), [""] * 20, BOX, CHAR)
        s.put(area(row, 63, row, 118), what, Style(size=7, italic=True))
        s.height([row], 0.6)
        s.height([row - 1], 0.15)
    s.put(area(21, 1, 21, 60), "(фамилия, имя, отчество индивидуального предпринимателя)", CAPTION)
    s.height([22], 0.3)

    # Kind of activity and phone.
    s.put(area(23, 1, 23, 66), "Код вида экономической деятельности по классификатору ОКВЭД", LABEL)
    col = s.boxes(23, k(23), placeholders("ОКВ", 2), BOX, CHAR)
    col = s.boxes(23, col, ["."], BOX, DOT)
    col = s.boxes(23, col, placeholders("П", 2), BOX, CHAR)
    col = s.boxes(23, col, ["."], BOX, DOT)
    s.boxes(23, col, placeholders("ОКВЕ", 2), BOX, CHAR)
    s.put(area(25, 1, 25, 30), "Номер контактного телефона", LABEL)
    s.boxes(25, k(11), placeholders("ТЕЛ", 14), BOX, CHAR)
    s.height([23, 25, 27], 0.6)
    s.height([24, 26], 0.25)

    s.put(area(27, 1, 27, 3), "На", LABEL_R)
    s.boxes(27, k(2), ["", "", ""], BOX, CHAR)
    s.put(area(27, 13, 27, 84), " страницах с приложением подтверждающих документов или их копий на",
          Style(size=7))
    s.boxes(27, k(29), ["", "", ""], BOX, CHAR)
    s.put(area(27, 94, 27, 105), " листах", LABEL)
    s.height([28], 0.3)

    # Confirmation by the taxpayer (left) and the tax office's part (right).
    s.put(area(29, 1, 30, 69), "Достоверность и полноту сведений, указанных "
          "в настоящей декларации, подтверждаю:", BLOCK)
    s.put(area(29, 73, 30, 118), "Заполняется работником налогового органа", BLOCK_C)
    s.height([29, 30], 0.4)

    s.boxes(32, k(1), [""], BOX, CHAR)
    s.put(area(31, 5, 33, 69), "1 – налогоплательщик,\n2 – представитель налогоплательщика",
          LABEL_WRAP)
    s.put(area(35, 1, 35, 69), "", LINE)
    s.put(area(36, 1, 36, 69), "(фамилия, имя, отчество представителя полностью)", CAPTION)
    s.put(area(38, 1, 38, 9), "Подпись", LABEL)
    s.put(area(38, 10, 38, 30), "", LINE)
    s.put(area(38, 31, 38, 36), "Дата", LABEL_R)
    date_boxes(s, 38, k(13), BOX, CHAR, DOT)
    s.put(area(40, 1, 41, 69), "Наименование документа, подтверждающего "
          "полномочия представителя", LABEL_WRAP)
    s.put(area(42, 1, 42, 69), "", LINE)
    s.height([32, 38], 0.6)

    s.put(area(31, 73, 31, 118), "Сведения о представлении декларации", LABEL_C)
    s.put(area(33, 73, 33, 111), "Данная декларация представлена (код)", LABEL)
    s.boxes(33, k(38), [""], BOX, CHAR)
    s.put(area(35, 73, 35, 75), "на", LABEL)
    s.boxes(35, k(26), ["", "", ""], BOX, CHAR)
    s.put(area(35, 85, 35, 118), " страницах", LABEL)
    s.put(area(37, 73, 37, 118), "Дата представления декларации", LABEL)
    date_boxes(s, 38, k(25), BOX, CHAR, DOT)
    s.put(area(40, 73, 40, 118), "Зарегистрирована за №", LABEL)
    s.boxes(41, k(25), [""] * 13, BOX, CHAR)
    s.put(area(43, 73, 43, 88), "Фамилия, И.О.", LABEL)
    s.put(area(43, 89, 43, 118), "", LINE)
    s.put(area(45, 73, 45, 84), "Подпись", LABEL)
    s.put(area(45, 85, 45, 118), "", LINE)
    s.height([33, 35, 41], 0.6)
    s.height([43, 45], 0.5)
    return s


# ------------------------------------------------------------------ стр.2

def section_row(s, row, label, code, values, height_rows=1):
    """One line of a section table: label, line code and boxes (in the middle
    row of the line when it is several rows high)."""
    last = row + height_rows - 1
    s.put(area(row, 1, last, 36), label, ROW_LABEL)
    s.put(area(row, 37, last, 44), code, ROW_CODE)
    mid = row + height_rows // 2
    s.boxes(mid, k(16), values, BOX, CHAR)
    s.height([mid], 0.6)


def section1():
    s = Sheet("стр.2", COLUMNS, COLUMN_WIDTH_CM)
    page_header(s, "002")
    s.boxes(2, k(11), [""] * 12, BOX, CHAR)
    s.put("A8:DN9", "Раздел 1. Сумма налога, подлежащая уплате в бюджет (возмещению из бюджета), "
          "по данным налогоплательщика", SECTION)
    s.height([8, 9], 0.45)

    s.put("A11:AJ12", "Показатели", HEAD)
    s.put("AK11:AR12", "Код строки", HEAD)
    s.put("AS11:DN12", "Значения показателей", HEAD)
    s.put("A13:AJ13", "1", HEAD)
    s.put("AK13:AR13", "2", HEAD)
    s.put("AS13:DN13", "3", HEAD)

    section_row(s, 15, "Код по ОКАТО", "010", placeholders("АО", 11))
    section_row(s, 17, "Код бюджетной классификации", "020", placeholders("КБК", 20))
    section_row(s, 19, "Сумма налога, исчисленная к уплате в бюджет в соответствии с пунктом 5 "
                "статьи 173 Налогового кодекса Российской Федерации (руб.)", "030", [""] * 12, 3)
    section_row(s, 23, "Сумма налога, исчисленная к уплате в бюджет в соответствии с пунктом 1 "
                "статьи 173 Налогового кодекса Российской Федерации (руб.)", "040",
                placeholders("СМ", 12), 3)
    section_row(s, 27, "Сумма налога, исчисленная к возмещению из бюджета в соответствии с "
                "пунктом 2 статьи 173 Налогового кодекса Российской Федерации (руб.)", "050",
                [""] * 12, 3)
    s.height([14, 16, 18, 22, 26], 0.2)

    signature(s, 32, "Достоверность и полноту сведений, указанных на данной странице, подтверждаю:")
    return s


# ------------------------------------------------------------------ стр.4

def section3_row(s, row, label, code, base, rate, tax):
    """One line of the section 3 table: three rows high, boxes in the middle."""
    s.put(area(row, 1, row + 2, 21), label, ROW_LABEL)
    s.put(area(row, 22, row + 2, 30), code, ROW_CODE)
    if base is not None:
        s.boxes(row + 1, k(11), base, BOX, CHAR)
    if rate is not None:
        s.put(area(row, 70, row + 2, 80), rate, ROW_CODE)
    s.boxes(row + 1, k(28), tax, BOX, CHAR)
    s.height([row + 1], 0.6)
    s.height([row + 3], 0.2)


def total_row(s, row, label, code, rows=2):
    """A line of the lower part: long label, line code, tax boxes."""
    s.put(area(row, 1, row + rows - 1, 69), label, ROW_LABEL)
    s.put(area(row, 70, row + rows - 1, 80), code, ROW_CODE)
    s.boxes(row + rows // 2, k(28), [""] * 12, BOX, CHAR)
    s.height([row + rows // 2], 0.6)
    s.height([row + rows], 0.2)


def section3():
    s = Sheet("стр.4", COLUMNS, COLUMN_WIDTH_CM)
    page_header(s, "004")
    s.boxes(2, k(11), [""] * 12, BOX, CHAR)
    s.put("A8:DN10", "Раздел 3. Расчет суммы налога, подлежащей уплате в бюджет по операциям, "
          "облагаемым по налоговым ставкам, предусмотренным пунктами 2 - 4 статьи 164 "
          "Налогового кодекса Российской Федерации", SECTION)
    s.height([8, 9, 10], 0.4)

    s.put("A12:U13", "Налогооблагаемые объекты", HEAD)
    s.put("V12:AD13", "Код строки", HEAD)
    s.put("AE12:BQ13", "Налоговая база (руб.)", HEAD)
    s.put("BR12:CB13", "Ставка НДС (%)", HEAD)
    s.put("CC12:DN13", "Сумма НДС (руб.)", HEAD)
    for cell, n in (("A14:U14", "1"), ("V14:AD14", "2"), ("AE14:BQ14", "3"),
                    ("BR14:CB14", "4"), ("CC14:DN14", "5")):
        s.put(cell, n, HEAD)
    s.put("A16:DN17", "Реализация (передача на территории Российской Федерации для собственных нужд) "
          "товаров (работ, услуг), передача имущественных прав по соответствующим ставкам налога:",
          Style(size=7, bold=True, wrap=True, border="all"))

    empty = [""] * 12
    section3_row(s, 19, "по ставке 18 процентов", "010", placeholders("СУ", 12), "18",
                 placeholders("СМ", 12))
    section3_row(s, 23, "по ставке 10 процентов", "020", empty, "10", empty)
    section3_row(s, 27, "по расчетной ставке 18/118", "030", empty, "18/118", empty)
    section3_row(s, 31, "по расчетной ставке 10/110", "040", empty, "10/110", empty)
    s.height([15, 18], 0.2)

    s.put("A36:DN36", "Налоговые вычеты", Style(size=8, bold=True, align="center"))
    total_row(s, 38, "Общая сумма налога, исчисленная с учетом восстановленных сумм налога", "190")
    total_row(s, 41, "Сумма налога, предъявленная налогоплательщику при приобретении на территории "
              "Российской Федерации товаров (работ, услуг), имущественных прав, подлежащая вычету",
              "210")
    total_row(s, 44, "Общая сумма налога, подлежащая вычету", "290")
    total_row(s, 47, "Итого сумма налога, исчисленная к уплате в бюджет по данному разделу", "300")
    total_row(s, 50, "Итого сумма налога, исчисленная к возмещению по данному разделу", "310")

    signature(s, 54, "Достоверность и полноту сведений, указанных на данной странице, подтверждаю:")
    return s


def build():
    return Workbook([title_page(), section1(), section3()], active="стр.1")
