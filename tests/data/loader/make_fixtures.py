#!/usr/bin/python3
"""Writes the loader's test workbooks: loader_cases.xlsx and loader_cases.xls
hold the same sheets; csv/<sheet>.csv holds each one-sheet case as a
Windows-1251 CSV file with ";" separators.

Run with /usr/bin/python3 (Debian's openpyxl and xlwt) from this folder.
"""
import csv
import datetime
import io
import os

import openpyxl
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))


class Link:
    """A cell with a real hyperlink (xlsx) or a HYPERLINK formula (xls)."""
    def __init__(self, text, address):
        self.text, self.address = text, address


class Formula:
    def __init__(self, text):
        self.text = text  # without the leading "="


class Error:
    """An error cell; its text in a CSV file."""
    def __init__(self, text):
        self.text = text


ERRORS = ["#DIV/0!", "#N/A", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#NULL!"]
# The codes an .xls file stores them by (xlwt's own table of texts has some
# wrong and lacks #N/A).
BIFF_ERROR_CODES = {"#NULL!": 0x00, "#DIV/0!": 0x07, "#VALUE!": 0x0F, "#REF!": 0x17, "#NAME?": 0x1D,
                    "#NUM!": 0x24, "#N/A": 0x2A}


# Sheet name -> (first row, rows). A row is a list of cell values for A, B...
SHEETS = {
    "usd": (1, [["U-1", "Товар U", "10,5", 12]]),
    "eur": (1, [["E-1", "Товар E", 100, None]]),
    "rowcur": (1, [
        ["R-1", "Рубли словом", "1 234,50 руб.", "USD"],
        ["R-2", "Евро колонкой", "10", "EUR"],
        ["R-3", "Валюта перенесена", "2", ""],
        ["R-4", "Белорусские", "3", "бел. руб"],
        ["R-5", "Неизвестная", "5", "XYZ"],
        ["R-6", "Доллар знаком", "$7", ""],
    ]),
    "null": (1, [
        ["N-1", "Звоните", "звоните"],
        ["N-2", "Пустая цена", None],
        ["N-3", "Обычный", "7"],
        ["N-4", None, "8"],
    ]),
    "round": (1, [
        ["D-1", "Половина", "10.5"],
        ["D-2", "Три знака", "10.125"],
        ["D-3", "Сотни", 1234],
    ]),
    "comp": (1, [["C-1", "Составной", "AB", 5, "12", None, "x"]]),
    "sep": (1, [
        ["S-1", "Тысячи точкой", "1,234.50"],
        ["S-2", "Тысячи запятой", "1.234,50"],
        ["S-3", "Запятая", "12,5"],
    ]),
    "arts": (1, [
        [4601234567890, "Штрихкод числом", 1],
        ["007", "Ведущие нули", 2],
    ]),
    "links": (1, [
        ["H-1", "Со ссылкой", 3, Link("сайт", "http://example.com/a"),
         Formula('HYPERLINK("http://example.com/f","ф")')],
    ]),
    "low": (3, [["L-%d" % r, "Строка %d" % r, r, None, None, "6"] for r in range(3, 101)]),
    # Cells in the price column that hold no price, and articles that look
    # like numbers but are texts.
    "noprice": (1, [["E-%d" % i, "Ошибка " + e, Error(e)] for i, e in enumerate(ERRORS, start=1)] + [
        ["T-1", "Дата прайса:", datetime.date(2024, 3, 15)],
        ["1.10", "Ноль в конце", 1],
        ["007", "Ведущие нули", 2],
        ["123456789012345678", "Длинный номер", 3],
        ["1E5", "Похож на степень", 4],
    ]),
    "Лист1": (1, [["W-1", "С первого листа", 4]]),
    "Прайс-лист 2012": (1, [["P-1", "Из прайса", 3]]),
}

CSV_SHEETS = ["usd", "eur", "rowcur", "null", "round", "comp", "sep", "arts", "low", "noprice"]


def write_xlsx(path):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, (first, rows) in SHEETS.items():
        sheet = book.create_sheet(name)
        for r, row in enumerate(rows, start=first):
            for c, value in enumerate(row, start=1):
                if value is None:
                    continue
                cell = sheet.cell(row=r, column=c)
                if isinstance(value, Link):
                    cell.value = value.text
                    cell.hyperlink = value.address
                elif isinstance(value, Formula):
                    cell.value = "=" + value.text
                elif isinstance(value, Error):
                    cell.value = value.text
                    cell.data_type = "e"
                elif isinstance(value, datetime.date):
                    cell.value = value
                    cell.number_format = "DD.MM.YYYY"
                elif isinstance(value, str):
                    cell.value = value
                    cell.data_type = "s"
                else:
                    cell.value = value
    book.save(path)


def write_xls(path):
    book = xlwt.Workbook(encoding="utf-8")
    date_style = xlwt.easyxf(num_format_str="DD.MM.YYYY")
    for name, (first, rows) in SHEETS.items():
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows, start=first):
            for c, value in enumerate(row, start=1):
                if value is None:
                    continue
                if isinstance(value, Link):
                    value = xlwt.Formula('HYPERLINK("%s";"%s")' % (value.address, value.text))
                elif isinstance(value, Formula):
                    value = xlwt.Formula(value.text.replace(",", ";"))
                elif isinstance(value, Error):
                    sheet.row(r - 1).set_cell_error(c - 1, BIFF_ERROR_CODES[value.text])
                    continue
                elif isinstance(value, datetime.date):
                    sheet.write(r - 1, c - 1, value, date_style)
                    continue
                sheet.write(r - 1, c - 1, value)
    book.save(path)


def csv_text(value):
    if value is None:
        return ""
    if isinstance(value, Error):
        return value.text
    if isinstance(value, datetime.date):
        return value.strftime("%d.%m.%Y")
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def write_csv(folder):
    os.makedirs(folder, exist_ok=True)
    for name in CSV_SHEETS:
        first, rows = SHEETS[name]
        out = io.StringIO()
        writer = csv.writer(out, delimiter=";", lineterminator="\r\n")
        for _ in range(first - 1):
            writer.writerow([])
        for row in rows:
            writer.writerow([csv_text(v) for v in row])
        with open(os.path.join(folder, name + ".csv"), "wb") as f:
            f.write(out.getvalue().encode("cp1251"))


if __name__ == "__main__":
    write_xlsx(os.path.join(HERE, "loader_cases.xlsx"))
    write_xls(os.path.join(HERE, "loader_cases.xls"))
    write_csv(os.path.join(HERE, "csv"))
