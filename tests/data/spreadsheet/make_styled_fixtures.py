#!/usr/bin/python3
"""Makes styled.xlsx (openpyxl) and styled.xls (xlwt): the same little
catalogue sheet "Прайс" whose heading cells each have a look of their own,
for the tests that read a picked cell's font, fill and column width. Run
once with /usr/bin/python3, commit the output.

    A1  "Компьютеры"   Arial 14 bold, red, yellow fill
    A2  "Мыши"         Times New Roman 12 italic, blue, light green fill
    B3  "Мышь оптическая", C3 120   Arial 10, no fill
    A4  "Клавиатуры"   Arial 12 underlined, green, no fill
    B5  "Клавиатура", C5 350
Column A is 30 characters wide, column B 45; the others keep the default.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

CELLS = [
    # row, column (from 1), value, font (name, size, bold, italic, underline, colour), fill
    (1, 1, "Компьютеры", ("Arial", 14, True, False, False, "red"), "yellow"),
    (2, 1, "Мыши", ("Times New Roman", 12, False, True, False, "blue"), "light_green"),
    (3, 2, "Мышь оптическая", ("Arial", 10, False, False, False, "black"), None),
    (3, 3, 120, ("Arial", 10, False, False, False, "black"), None),
    (4, 1, "Клавиатуры", ("Arial", 12, False, False, True, "green"), None),
    (5, 2, "Клавиатура", ("Arial", 10, False, False, False, "black"), None),
    (5, 3, 350, ("Arial", 10, False, False, False, "black"), None),
]
RGB = {"red": "FF0000", "blue": "0000FF", "green": "008000", "black": "000000",
       "yellow": "FFFF00", "light_green": "CCFFCC"}
WIDTHS = {1: 30, 2: 45}
# The file keeps a width with the cell padding: 5 pixels of a 7-pixel digit.
PADDING = 5 / 7


def make_xlsx():
    import openpyxl
    from openpyxl.styles import Font, PatternFill
    from openpyxl.utils import get_column_letter
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Прайс"
    for row, column, value, (name, size, bold, italic, underline, colour), fill in CELLS:
        cell = sheet.cell(row=row, column=column, value=value)
        cell.font = Font(name=name, size=size, bold=bold, italic=italic,
                         underline="single" if underline else None, color="FF" + RGB[colour])
        if fill:
            cell.fill = PatternFill("solid", fgColor="FF" + RGB[fill])
    for column, width in WIDTHS.items():
        sheet.column_dimensions[get_column_letter(column)].width = width + PADDING
    book.save(os.path.join(HERE, "styled.xlsx"))


def make_xls():
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Прайс")
    for row, column, value, (name, size, bold, italic, underline, colour), fill in CELLS:
        style = xlwt.XFStyle()
        font = xlwt.Font()
        font.name = name
        font.height = size * 20
        font.bold = bold
        font.italic = italic
        font.underline = xlwt.Font.UNDERLINE_SINGLE if underline else xlwt.Font.UNDERLINE_NONE
        font.colour_index = xlwt.Style.colour_map[colour]
        style.font = font
        if fill:
            pattern = xlwt.Pattern()
            pattern.pattern = xlwt.Pattern.SOLID_PATTERN
            pattern.pattern_fore_colour = xlwt.Style.colour_map[fill]
            style.pattern = pattern
        sheet.write(row - 1, column - 1, value, style)
    for column, width in WIDTHS.items():
        sheet.col(column - 1).width = int(round((width + PADDING) * 256))
    book.save(os.path.join(HERE, "styled.xls"))


if __name__ == "__main__":
    make_xlsx()
    make_xls()
