#!/usr/bin/python3
"""Writes PriceExcel.xlsx, the template of the supplier price-list exports:
the list's name in B1, the column header in row 4 and the formats of a goods
row in A5:D5 (repeated over every exported row). Run with /usr/bin/python3."""
import os

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

HERE = os.path.dirname(os.path.abspath(__file__))

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Прайс-лист"

thin = Side(style="thin", color="808080")
box = Border(left=thin, right=thin, top=thin, bottom=thin)

sheet["A1"] = "Прайс-лист:"
sheet["A1"].font = Font(name="Arial", size=10, bold=True)
sheet["B1"].font = Font(name="Arial", size=14, bold=True, color="000080")

for column, width in zip("ABCDEFGH", (16, 60, 13, 13, 12, 14, 22, 40)):
    sheet.column_dimensions[column].width = width

header_fill = PatternFill("solid", fgColor="D9E1F2")
for column in "ABCDEFGH":
    cell = sheet[column + "4"]
    cell.font = Font(name="Arial", size=10, bold=True)
    cell.fill = header_fill
    cell.border = box
    cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
sheet.row_dimensions[4].height = 27

for column in "ABCD":
    cell = sheet[column + "5"]
    cell.font = Font(name="Arial", size=9)
    cell.border = box
    cell.alignment = Alignment(vertical="top")
sheet["B5"].alignment = Alignment(vertical="top", wrap_text=False)
for column in "CD":
    sheet[column + "5"].number_format = "#,##0.00"
    sheet[column + "5"].alignment = Alignment(horizontal="right", vertical="top")

sheet.freeze_panes = "A5"
book.save(os.path.join(HERE, "PriceExcel.xlsx"))
