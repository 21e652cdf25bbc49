#!/usr/bin/python3
"""Writes invoice.xlsx, the template of the supplier invoice workbook. Run
with /usr/bin/python3 and commit the output.

  A1            the title
  B3, C3        "Поставщик:" and the supplier (filled in)
  F3, G3        "Накладная №" and the invoice number (filled in)
  A5:G5         the header of the line columns
  A6            the fill the lines take (a pale yellow)
Columns: A number, B own article, C supplier's article, D name, E price,
F quantity, G sum.
"""
import os

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

HERE = os.path.dirname(os.path.abspath(__file__))

THIN = Side(style="thin", color="000000")
BOX = Border(left=THIN, right=THIN, top=THIN, bottom=THIN)


def main():
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Накладная"
    sheet["A1"] = "Накладная поставщика"
    sheet["A1"].font = Font(name="Arial", size=14, bold=True)
    for address, text in (("B3", "Поставщик:"), ("F3", "Накладная №")):
        sheet[address] = text
        sheet[address].font = Font(name="Arial", size=10, bold=True)
        sheet[address].alignment = Alignment(horizontal="right")
    for address in ("C3", "G3"):
        sheet[address].font = Font(name="Arial", size=10)
    header = ["№", "Наш артикул", "Артикул поставщика", "Наименование", "Цена", "Кол-во", "Сумма"]
    for column, text in enumerate(header, start=1):
        cell = sheet.cell(row=5, column=column, value=text)
        cell.font = Font(name="Arial", size=9, bold=True)
        cell.fill = PatternFill("solid", fgColor="D9D9D9")
        cell.border = BOX
        cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
    sheet["A6"].fill = PatternFill("solid", fgColor="FFFFCC")
    sheet["A6"].font = Font(name="Arial", size=8)
    for letter, width in zip("ABCDEFG", (5, 14, 18, 50, 10, 8, 12)):
        sheet.column_dimensions[letter].width = width
    sheet.row_dimensions[5].height = 26
    book.save(os.path.join(HERE, "invoice.xlsx"))


if __name__ == "__main__":
    main()
