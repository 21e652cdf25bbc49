#!/usr/bin/python3
"""Writes the templates of the order workbooks. Run with /usr/bin/python3.

Beside the program:
  zakaz.xlsx    requests per supplier and the whole order: client block in
                C8:C11 (order number in G8), header in row 13 (A..K), the
                formats of a line in row 14, the total row 16 (G, H).
  zayavka.xlsx  the order for the client: number in F8, header B13:G13,
                line row 14 (A..G), total row 16 (F, G).
  Quorvel.xlsx  the purchaser's table: number in G8, header B13:G13, line
                row 14 (A..G), no total.
  order.xlsx    the order to one supplier from the distribution: supplier
                C7, order number E8, address C8, contact C9, phones C10,
                e-mail B11, header row 13, line row 14 (A..G, G the own
                article), total F16 under "Итого:" in E16.
  notimport.xlsx, notzakaz.xlsx
                goods that could not be ordered: header row 4, line row 5
                (A..E: position, article, name, price, quantity).
  Svod_Price.xlsx
                the comparison sheet, sheet "Сводный прайс-лист": date C1,
                headers in rows 4 and 5, one supplier block E:G (name in E4)
                copied once per supplier, the summary H..M, the formats of a
                line in row 7. No merges: the supplier block is copied as
                whole columns.
  Price-svod.xlsx
                the combined stock export: date D1, header row 2 (B..E the
                own stock's article, name, maker and stock, F the supplier
                column copied once per supplier with its name in F2, G the
                largest quantity), row 3 a spacer, the formats of a data
                row in row 4 (A..G, stock texts as text, G a number).
In client/ (the client layout mode), same stems, other cell maps:
  zakaz.xlsx    supplier request with the price left blank: client C2:C4,
                supplier C6:C9, number H6, address C11, line row 14 (A..H),
                total in G16.
  zayavka.xlsx, zayavka2.xlsx
                purchase workbooks of the two clients: number G5, date F5,
                client C5:C8, line row 14 (A..N), total in G16.
Row 15 stays empty in each: the total stands one empty row below the lines.
"""
import os

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

HERE = os.path.dirname(os.path.abspath(__file__))

THIN = Side(style="thin", color="808080")
BOX = Border(left=THIN, right=THIN, top=THIN, bottom=THIN)
MONEY = "#,##0.00"
QUANTITY = "0.###"


def label(sheet, address, text, bold=True):
    sheet[address] = text
    sheet[address].font = Font(name="Arial", size=10, bold=bold)


def value_cell(sheet, address, number_format=None):
    cell = sheet[address]
    cell.font = Font(name="Arial", size=10)
    if number_format:
        cell.number_format = number_format
        cell.alignment = Alignment(horizontal="left")


def title(sheet, text, subtitle):
    sheet["A1"] = text
    sheet["A1"].font = Font(name="Arial", size=16, bold=True, color="1F3864")
    sheet["A2"] = subtitle
    sheet["A2"].font = Font(name="Arial", size=9, italic=True, color="595959")


def header(sheet, columns, texts, fill):
    for column, text in zip(columns, texts):
        cell = sheet[column + "13"]
        if text is not None:
            cell.value = text
        cell.font = Font(name="Arial", size=10, bold=True)
        cell.fill = PatternFill("solid", fgColor=fill)
        cell.border = BOX
        cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
    sheet.row_dimensions[13].height = 30


def line_row(sheet, columns, formats, wrap=()):
    for column in columns:
        cell = sheet[column + "14"]
        cell.font = Font(name="Arial", size=9)
        cell.border = BOX
        cell.alignment = Alignment(vertical="top", wrap_text=column in wrap)
        if column in formats:
            cell.number_format = formats[column]
            cell.alignment = Alignment(horizontal="right", vertical="top")
    sheet["A14"].alignment = Alignment(horizontal="center", vertical="top")


def total_cells(sheet, label_column, sum_column):
    if label_column:
        sheet[label_column + "16"].font = Font(name="Arial", size=10, bold=True)
        sheet[label_column + "16"].alignment = Alignment(horizontal="right")
    sheet[sum_column + "16"].font = Font(name="Arial", size=10, bold=True)
    sheet[sum_column + "16"].number_format = MONEY
    sheet[sum_column + "16"].border = Border(top=THIN, bottom=Side(style="double", color="000000"))


def widths(sheet, columns, values):
    for column, width in zip(columns, values):
        sheet.column_dimensions[column].width = width


def client_block(sheet, number_label, number_address):
    label(sheet, "B8", "Клиент:")
    label(sheet, "B9", "Адрес доставки:")
    label(sheet, "B10", "Телефон:")
    label(sheet, "B11", "Примечание:")
    for address in ("C8", "C9", "C10", "C11"):
        value_cell(sheet, address)
    label(sheet, number_label, "Заказ №")
    sheet[number_label].alignment = Alignment(horizontal="right")
    value_cell(sheet, number_address, "0")
    sheet[number_address].font = Font(name="Arial", size=12, bold=True)


def new_sheet(name):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = name
    sheet.page_setup.orientation = "landscape"
    sheet.page_setup.fitToWidth = 1
    sheet.page_setup.fitToHeight = 0
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
    return book, sheet


def standard_order():
    book, sheet = new_sheet("Заказ")
    title(sheet, "Заказ", "Позиции заказа с поставщиками, складом и описанием")
    client_block(sheet, "F8", "G8")
    columns = "ABCDEFGHIJK"
    header(sheet, columns, ["№"] + [None] * 10, "D9E1F2")
    line_row(sheet, columns, {"F": MONEY, "G": QUANTITY, "H": MONEY}, wrap="DK")
    total_cells(sheet, "G", "H")
    widths(sheet, columns, (5, 14, 14, 44, 18, 12, 8, 13, 12, 12, 40))
    book.save(os.path.join(HERE, "zakaz.xlsx"))


def client_order():
    book, sheet = new_sheet("Заказ")
    title(sheet, "Заказ", "Счёт-заказ клиента")
    client_block(sheet, "E8", "F8")
    columns = "ABCDEFG"
    header(sheet, columns, ["№"] + [None] * 6, "E2EFDA")
    line_row(sheet, columns, {"E": MONEY, "F": QUANTITY, "G": MONEY}, wrap="D")
    total_cells(sheet, "F", "G")
    widths(sheet, columns, (5, 14, 14, 52, 13, 8, 14))
    book.save(os.path.join(HERE, "zayavka.xlsx"))


def purchaser_table():
    book, sheet = new_sheet("Заказ")
    title(sheet, "Таблица для закупщика", "Цены закупки в валюте поставщика")
    client_block(sheet, "F8", "G8")
    columns = "ABCDEFG"
    header(sheet, columns, ["№"] + [None] * 6, "FCE4D6")
    line_row(sheet, columns, {"D": MONEY}, wrap="E")
    widths(sheet, columns, (5, 14, 14, 13, 48, 18, 14))
    book.save(os.path.join(HERE, "Quorvel.xlsx"))


def supplier_request():
    book, sheet = new_sheet("Заказ")
    title(sheet, "Заявка поставщику", "Просим указать цены и сроки поставки")
    for address, text in (("B2", "Заказчик:"), ("B3", "ФИО/Долж.:"), ("B4", "Тел./E-mail:"),
                          ("B6", "Поставщик:"), ("B7", "Контактное лицо:"), ("B8", "Телефоны:"),
                          ("B9", "E-mail:"), ("B11", "Адрес доставки:")):
        label(sheet, address, text)
    for address in ("C2", "C3", "C4", "C6", "C7", "C8", "C9", "C11"):
        value_cell(sheet, address)
    label(sheet, "G6", "Заявка №")
    sheet["G6"].alignment = Alignment(horizontal="right")
    value_cell(sheet, "H6")
    sheet["H6"].font = Font(name="Arial", size=12, bold=True)
    columns = "ABCDEFGH"
    header(sheet, columns, ["№", "Артикул", "Наименование", "Описание", "Цена", "Кол-во", "Сумма", "Примечание"],
           "DDEBF7")
    line_row(sheet, columns, {"E": MONEY, "F": QUANTITY, "G": MONEY}, wrap="CDH")
    total_cells(sheet, None, "G")
    widths(sheet, columns, (5, 14, 40, 36, 12, 8, 13, 24))
    book.save(os.path.join(HERE, "client", "zakaz.xlsx"))


def purchase_workbook(file_name, client, fill):
    book, sheet = new_sheet("Заказ")
    title(sheet, "Закупка: " + client, "Заказ клиента с ценами закупки и маржой")
    for address, text in (("B5", "Клиент:"), ("B6", "Адрес доставки:"), ("B7", "ФИО/Долж.:"),
                          ("B8", "Тел./E-mail:"), ("E5", "Дата:")):
        label(sheet, address, text)
    for address in ("C5", "C6", "C7", "C8"):
        value_cell(sheet, address)
    value_cell(sheet, "F5", "dd.mm.yyyy")
    value_cell(sheet, "G5")
    sheet["G5"].font = Font(name="Arial", size=12, bold=True)
    columns = "ABCDEFGHIJKLMN"
    header(sheet, columns,
           ["№", "Наименование", "Описание", "Гарантия", "Кол-во", "Цена", "Сумма", "Цена розн.", "Цена закуп.",
            "Маржа", "Примечание", "Производитель", "Поставщик", "Артикул"], fill)
    line_row(sheet, columns, {"E": QUANTITY, "F": MONEY, "G": MONEY, "H": MONEY, "I": MONEY, "J": MONEY},
             wrap="BC")
    total_cells(sheet, None, "G")
    widths(sheet, columns, (5, 40, 30, 10, 8, 12, 13, 12, 12, 11, 16, 16, 18, 14))
    book.save(os.path.join(HERE, "client", file_name))


def supplier_order():
    book, sheet = new_sheet("Заказ")
    title(sheet, "Заказ поставщику", "Заявка на поставку товаров")
    for address, text in (("B7", "Поставщик:"), ("B8", "Адрес:"), ("B9", "Контактное лицо:"),
                          ("B10", "Телефоны:"), ("A11", "E-mail:"), ("D8", "Заказ №")):
        label(sheet, address, text)
    sheet["D8"].alignment = Alignment(horizontal="right")
    for address in ("C7", "C8", "C9", "C10", "B11"):
        value_cell(sheet, address)
    sheet["C7"].font = Font(name="Arial", size=12, bold=True)
    value_cell(sheet, "E8")
    sheet["E8"].font = Font(name="Arial", size=12, bold=True)
    columns = "ABCDEFG"
    header(sheet, columns, ["№", "Артикул", "Наименование", "Цена", "Кол-во", "Сумма", "Наш код"], "DDEBF7")
    line_row(sheet, columns, {"D": MONEY, "E": QUANTITY, "F": MONEY}, wrap="C")
    total_cells(sheet, "E", "F")
    sheet["E16"] = "Итого:"
    widths(sheet, columns, (5, 16, 52, 12, 8, 14, 14))
    book.save(os.path.join(HERE, "order.xlsx"))


def not_ordered(file_name, heading, subtitle, fill):
    book, sheet = new_sheet("Лист1")
    title(sheet, heading, subtitle)
    columns = "ABCDE"
    for column, text in zip(columns, ("№", "Артикул", "Наименование", "Цена", "Кол-во")):
        cell = sheet[column + "4"]
        cell.value = text
        cell.font = Font(name="Arial", size=10, bold=True)
        cell.fill = PatternFill("solid", fgColor=fill)
        cell.border = BOX
        cell.alignment = Alignment(horizontal="center", vertical="center")
    for column in columns:
        cell = sheet[column + "5"]
        cell.font = Font(name="Arial", size=9)
        cell.border = BOX
        cell.alignment = Alignment(vertical="top", wrap_text=column == "C")
    sheet["A5"].alignment = Alignment(horizontal="center", vertical="top")
    sheet["D5"].number_format = MONEY
    sheet["E5"].number_format = QUANTITY
    widths(sheet, columns, (5, 16, 56, 12, 8))
    book.save(os.path.join(HERE, file_name))


def comparison_sheet():
    book, sheet = new_sheet("Сводный прайс-лист")
    sheet["A1"] = "Сводный прайс-лист"
    sheet["A1"].font = Font(name="Arial", size=16, bold=True, color="1F3864")
    label(sheet, "B1", "Дата:")
    sheet["B1"].alignment = Alignment(horizontal="right")
    value_cell(sheet, "C1")
    sheet["A2"] = "Цены поставщиков рядом с ценами заказа"
    sheet["A2"].font = Font(name="Arial", size=9, italic=True, color="595959")
    percent = "0.0%"
    heads = {"A": "Артикул", "B": "Наименование", "C": None, "D": "Цена заказа",
             "E": "Цена", "F": "Склад", "G": "Разница",
             "H": "Поставщик", "I": "Цена", "J": "Разница", "K": "Поставщиков", "L": "Средняя", "M": "Разница"}
    groups = {"A": None, "E": "D9E1F2", "H": "FCE4D6", "K": "E2EFDA"}
    fill = None
    for column in "ABCDEFGHIJKLM":
        if column in groups:
            fill = groups[column]
        for row in (4, 5, 6):
            cell = sheet[column + str(row)]
            cell.border = BOX
            cell.font = Font(name="Arial", size=10, bold=True)
            cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
            if fill:
                cell.fill = PatternFill("solid", fgColor=fill)
        sheet[column + "5"] = heads[column]
    sheet["E4"] = "Поставщик"
    sheet["H4"] = "Минимальная цена"
    sheet["K4"] = "Средняя цена"
    formats = {"D": MONEY, "E": MONEY, "G": percent, "I": MONEY, "J": percent, "K": "0", "L": MONEY, "M": percent}
    for column in "ABCDEFGHIJKLM":
        cell = sheet[column + "7"]
        cell.font = Font(name="Arial", size=9)
        cell.border = BOX
        cell.alignment = Alignment(vertical="top", wrap_text=column == "B")
        if column in formats:
            cell.number_format = formats[column]
            cell.alignment = Alignment(horizontal="right", vertical="top")
    widths(sheet, "ABCDEFGHIJKLM", (14, 44, 2, 12, 11, 9, 9, 18, 11, 9, 12, 11, 9))
    book.save(os.path.join(HERE, "Svod_Price.xlsx"))


def stock_export():
    book, sheet = new_sheet("Сводный")
    sheet["A1"] = "Сводный прайс-лист на"
    sheet["A1"].font = Font(name="Arial", size=12, bold=True, color="1F3864")
    sheet["D1"].font = Font(name="Arial", size=12, bold=True, color="1F3864")
    sheet["D1"].number_format = "dd.mm.yyyy"
    sheet["D1"].alignment = Alignment(horizontal="left")
    heads = {"B": "Артикул", "C": "Наименование", "D": "Производитель", "E": "Наш склад",
             "F": "Поставщик", "G": "Максимум"}
    for column in "ABCDEFG":
        cell = sheet[column + "2"]
        if column in heads:
            cell.value = heads[column]
        cell.font = Font(name="Arial", size=10, bold=True)
        cell.fill = PatternFill("solid", fgColor="FFF2CC" if column == "F" else "D9E1F2")
        cell.border = BOX
        cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
    sheet.row_dimensions[2].height = 30
    for column in "ABCDEFG":
        cell = sheet[column + "4"]
        cell.font = Font(name="Arial", size=9)
        cell.border = BOX
        cell.alignment = Alignment(vertical="top")
        cell.number_format = "0.####" if column == "G" else "@"
    sheet["G4"].alignment = Alignment(horizontal="right", vertical="top")
    sheet["G4"].font = Font(name="Arial", size=9, bold=True)
    widths(sheet, "ABCDEFG", (3, 16, 48, 16, 11, 12, 11))
    sheet.freeze_panes = "F4"
    book.save(os.path.join(HERE, "Price-svod.xlsx"))


standard_order()
client_order()
supplier_order()
not_ordered("notimport.xlsx", "Не загруженные товары", "Позиции заказа, которые не загрузились в заказ", "FCE4D6")
not_ordered("notzakaz.xlsx", "Нет товаров у поставщиков", "Товары, которых нет у поставщиков или нет на складе",
            "FFF2CC")
comparison_sheet()
stock_export()
purchaser_table()
supplier_request()
purchase_workbook("zayavka.xlsx", "Тальверон", "E2EFDA")
purchase_workbook("zayavka2.xlsx", "Мирвена", "FFF2CC")
