#!/usr/bin/python3
"""Writes Svod_Price_Kat.xlsx, the template of the combined price list by
category: sheet "Сводный прайс-лист" with the date in C1, the column titles
in row 5 and the formatted goods row 6. Columns D:E are one supplier's
block (its price and the difference from the shop's price); the writer
repeats the block once per supplier, so the columns of the cheapest and the
average price (F:I here) move right. Run with /usr/bin/python3."""
import os

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

HERE = os.path.dirname(os.path.abspath(__file__))

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Сводный прайс-лист"

sheet["A1"] = "Сводный прайс-лист по категориям от"
sheet["A1"].font = Font(name="Arial", size=12, bold=True, color="000080")
sheet["C1"].font = Font(name="Arial", size=12, bold=True, color="000080")
sheet["A3"] = "Цены поставщиков рядом с ценой магазина; отклонение: цена поставщика / цена магазина − 1"
sheet["A3"].font = Font(name="Arial", size=9, italic=True, color="595959")

thin = Side(style="thin", color="808080")
box = Border(left=thin, right=thin, top=thin, bottom=thin)
header_fill = PatternFill("solid", fgColor="D9E1F2")
supplier_fill = PatternFill("solid", fgColor="FFF2CC")
titles = ["Артикул", "Название товара", "Цена", "Поставщик", "Откл.", "Мин. цена", "Откл.",
          "Средняя цена", "Откл."]
widths = [14, 60, 11, 12, 8, 11, 8, 12, 8]
formats = ["@", "@", "0.00", "0.00", "0.0%", "0.00", "0.0%", "0.00", "0.0%"]
for index, (title, width, number_format) in enumerate(zip(titles, widths, formats)):
    column = chr(ord("A") + index)
    sheet.column_dimensions[column].width = width
    head = sheet[column + "5"]
    head.value = title
    head.font = Font(name="Arial", size=10, bold=True)
    head.fill = supplier_fill if column in "DE" else header_fill
    head.border = box
    head.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
    row = sheet[column + "6"]
    row.font = Font(name="Arial", size=10)
    row.border = box
    row.number_format = number_format
    if column in "CDEFGHI":
        row.alignment = Alignment(horizontal="right")
sheet.row_dimensions[5].height = 27
sheet.freeze_panes = "C6"
book.save(os.path.join(HERE, "Svod_Price_Kat.xlsx"))
