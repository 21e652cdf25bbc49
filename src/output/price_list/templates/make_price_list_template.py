#!/usr/bin/python3
"""Writes Price-List.xlsx, the template of the shop's spreadsheet price list:
sheet "Прайс-лист" with the date line's cell A1 and the column titles in
row 3. The writer puts each group's level and code into columns A and B
and its name into C, so those columns are narrow, then the goods columns
follow. The layout's defaults put the first row at 4 and each goods column
under its title here; keep them in step (price_excel_settings.cpp) when the
titles move. Run with /usr/bin/python3."""
import os

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

HERE = os.path.dirname(os.path.abspath(__file__))

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Прайс-лист"

sheet["A1"].font = Font(name="Arial", size=12, bold=True, color="000080")

thin = Side(style="thin", color="808080")
box = Border(left=thin, right=thin, top=thin, bottom=thin)
header_fill = PatternFill("solid", fgColor="D9E1F2")
titles = ["Ур.", "Код", "Наименование", "Артикул", "Наличие", "Цена 1", "Цена 2", "Цена 3", "Цена 4",
          "Гарантия", "Комментарий"]
widths = [4, 7, 60, 14, 10, 11, 11, 11, 11, 12, 40]
for index, (title, width) in enumerate(zip(titles, widths)):
    column = chr(ord("A") + index)
    sheet.column_dimensions[column].width = width
    cell = sheet[column + "3"]
    cell.value = title
    cell.font = Font(name="Arial", size=10, bold=True)
    cell.fill = header_fill
    cell.border = box
    cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
sheet.row_dimensions[3].height = 27
sheet.freeze_panes = "A4"
book.save(os.path.join(HERE, "Price-List.xlsx"))
