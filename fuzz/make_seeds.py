#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets, one folder per target.

Seeds are the tests' own fixtures (tests/data, the program's templates, the
archives of tests/archive/make_archives.py), what lies inside them (the XML
parts of the .xlsx files, the workbook streams of the .xls files and the
formulas in those), and a few small files written here where no fixture
exists (settings files, an order and a catalogue workbook).

    make_seeds.py SOURCE_ROOT OUT_FOLDER
"""
import glob
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import openpyxl
import xlrd.compdoc
import xlwt

# The order of the parts in an xlsx_parts input (fuzz/xlsx_package.h).
PACKAGE_PARTS = [
    "xl/worksheets/sheet1.xml",
    "xl/sharedStrings.xml",
    "xl/styles.xml",
    "xl/workbook.xml",
    "xl/_rels/workbook.xml.rels",
    "xl/worksheets/_rels/sheet1.xml.rels",
]
MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
EMPTY_PARTS = {
    "xl/sharedStrings.xml": f'<sst xmlns="{MAIN_NS}" count="0" uniqueCount="0"/>'.encode(),
    "xl/styles.xml": f'<styleSheet xmlns="{MAIN_NS}"/>'.encode(),
}


def files(root, *patterns):
    found = set()
    for pattern in patterns:
        found.update(glob.glob(os.path.join(root, pattern), recursive=True))
    return sorted(found)


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def copy_all(paths, folder):
    os.makedirs(folder, exist_ok=True)
    for path in paths:
        shutil.copyfile(path, os.path.join(folder, os.path.basename(path)))


def package_parts(path):
    """The parts of an xlsx file in the xlsx_parts order, NUL-separated;
    None for a file that is no zip or has no sheet1."""
    try:
        with zipfile.ZipFile(path) as z:
            names = set(z.namelist())
            if PACKAGE_PARTS[0] not in names:
                return None
            parts = []
            for part in PACKAGE_PARTS:
                if part in names:
                    parts.append(z.read(part))
                elif part in EMPTY_PARTS:
                    parts.append(EMPTY_PARTS[part])
                else:
                    break  # the rest as the target's plain workbook has them
            return b"\0".join(parts)
    except zipfile.BadZipFile:
        return None


def workbook_stream(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        doc = xlrd.compdoc.CompDoc(data, logfile=io.StringIO())
        for name in ("Workbook", "Book"):
            stream = doc.get_named_stream(name)
            if stream:
                return stream
    except xlrd.compdoc.CompDocError:
        pass
    return None


def biff_records(stream):
    at = 0
    while at + 4 <= len(stream):
        kind, size = struct.unpack_from("<HH", stream, at)
        yield kind, stream[at + 4: at + 4 + size]
        at += 4 + size


def formula_seeds(stream):
    """The tokens of each FORMULA and SHRFMLA record, after the cell's row
    and column as biff_formula takes them."""
    for kind, body in biff_records(stream):
        if kind == 0x0006 and len(body) >= 22:  # FORMULA
            row, column = struct.unpack_from("<HH", body, 0)
            (size,) = struct.unpack_from("<H", body, 20)
            yield struct.pack("<HB", row, column & 0xFF) + body[22: 22 + size]
        elif kind == 0x04BC and len(body) >= 10:  # SHRFMLA
            row, _, column = struct.unpack_from("<HHB", body, 0)
            (size,) = struct.unpack_from("<H", body, 8)
            yield struct.pack("<HB", row, column) + body[10: 10 + size]


def formula_workbook():
    """An .xls of xlwt's with formulas of every kind of token it writes."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Лист1")
    other = book.add_sheet("Данные")
    for row in range(5):
        sheet.write(row, 0, row + 1.5)
        sheet.write(row, 1, "текст %d" % row)
        other.write(row, 0, row * 10)
    formulas = [
        "SUM(A1:A5)", "A1*2+A2/3-A3^2", "-A1%", 'IF(A1>2,"да","нет")', "Данные!A1+Данные!A2",
        "SUM(Данные!A1:A5)", "AVERAGE(A1:A5)*COUNT(A1:A5)", 'CONCATENATE(B1," ",B2)', "ROUND(A1,2)",
        "TRUE", "FALSE", "1/0", '"строка"&B1', "MAX(A1,A2,A3,A4)", "A1<>A2", "ABS(-3.25)",
        'HYPERLINK("http://example.com/a","ссылка")', "$A$1+A$2+$A3", "NOT(AND(A1>1,OR(A2<1,A3=2)))",
    ]
    for row, text in enumerate(formulas):
        sheet.write(row, 3, xlwt.Formula(text))
    out = io.BytesIO()
    book.save(out)
    return out.getvalue()


def order_workbook(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Заказ"
    sheet.append(["№", "Артикул", "Наименование", "Цена", "Количество"])
    sheet.append([1, "A1", "Товар 1", 12.5, 3])
    sheet.append([2, "арт-2", "Кабель ВВГ 3х2,5", "99,90", "2"])
    sheet.append([3, "", "без артикула", None, 1.5])
    sheet.append([4, "Z9", "Нет такого", 5, -1])
    book.save(path)


def catalogue_workbook(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Каталог"
    sheet.append(["Артикул", "Товар", "Цена", "Гарантия", "Категория", "Группа", "Подгруппа", "Вид"])
    sheet.append(["A1", "Товар 1", 10, "12 мес", "Кабель", "Медный", "ВВГ", "3х2,5"])
    sheet.append(["A2", "Товар 2", "20,5", "", "Кабель", "Медный", "ВВГ", "3х1,5"])
    sheet.append(["A3", "Товар 3", 0, "", "Кабель", "Алюминиевый", None, None])
    sheet.append(["", "Без цены", None, "", "Свет", None, None, None])
    book.save(path)


def settings_files():
    """Price-list settings files (Windows-1251) as the program writes them,
    and one with the counts a hand edit may leave."""
    sheet = ("[PriceList{n}Sheet1]\r\nSheetName=Лист1\r\nColumn_art=1\r\nColumn_Tovar=2\r\n"
             "Column_Price=3\r\nColumn_Pricemax=0\r\nColumn_Sklad=0\r\nColumn_Garant=0\r\n"
             "Column_Description=0\r\nColumn_TextNoName=2728\r\nObrab=\r\nNacen=5\r\nValuta=1\r\n"
             "PriceSet=0\r\nTovarPrefiks=ПР-\r\n")
    lists = ("[PriceList{n}]\r\nPostavshik=Поставщик {n}\r\nSetPriceLoad={q}\r\nPath=/data/прайс{n}.xls\r\n"
             "SheetCount=1\r\nPriceConversion=1,05\r\n")
    head = ("[Zakaz]\r\nZakazNumber=17\r\n[CountPriceList]\r\nCount={count}\r\nKursValuta_Dollar=92,5\r\n"
            "KursValuta_Evro=100\r\nKursValuta_Grivna=2,3\r\nKursValuta_BYR=28\r\nSaveAllPath=/data/выгрузка\r\n")
    two = head.format(count=2) + "".join(lists.format(n=n, q=n % 2) + sheet.format(n=n) for n in (1, 2))
    yield "two_lists.ini", two.encode("cp1251")
    yield "empty.ini", (head.format(count=0)).encode("cp1251")
    odd = (head.format(count=3) + "[PriceList1]\r\nPostavshik=Без пути\r\nSheetCount=2\r\n"
           "[PriceList2]\r\nPath=нет имени\r\n[PriceList3]\r\nPostavshik=Ноль\r\nSheetCount=0\r\n"
           "PriceConversion=abc\r\n[PriceList3Sheet1]\r\nSheetName=\r\n")
    yield "odd_values.ini", odd.encode("cp1251")
    yield "utf8.ini", ("\ufeff" + two).encode("utf-8")


def main(root, out):
    shutil.rmtree(out, ignore_errors=True)
    xlsx = files(root, "tests/data/**/*.xlsx", "src/**/templates/**/*.xlsx")
    xls = files(root, "tests/data/**/*.xls")
    csv = files(root, "tests/data/**/*.csv")

    copy_all(xlsx, os.path.join(out, "xlsx_file"))
    for path in xlsx:
        parts = package_parts(path)
        if parts:
            write(os.path.join(out, "xlsx_parts"), os.path.basename(path) + ".parts", parts)

    made_xls = formula_workbook()
    copy_all(xls, os.path.join(out, "xls_file"))
    write(os.path.join(out, "xls_file"), "formulas.xls", made_xls)
    for name in os.listdir(os.path.join(out, "xls_file")):
        stream = workbook_stream(os.path.join(out, "xls_file", name))
        if not stream:
            continue
        write(os.path.join(out, "xls_biff"), name + ".biff", stream)
        for i, seed in enumerate(formula_seeds(stream)):
            write(os.path.join(out, "biff_formula"), "%s.%d" % (name, i), seed)

    copy_all(csv, os.path.join(out, "csv"))
    write(os.path.join(out, "csv"), "quoted.csv",
          'Артикул;Товар;Цена\r\n"A;1";"Кабель ""ВВГ""\r\nмедный";1 234,50\r\n;;\r\nB2;Лампа;7e2\r\n'
          .encode("cp1251"))

    settings = dict(settings_files())
    for name, data in settings.items():
        write(os.path.join(out, "price_list_ini"), name, data)
        write(os.path.join(out, "ini"), name, data)
    copy_all(files(root, "src/app/*.ini"), os.path.join(out, "ini"))

    copy_all(files(root, "tests/data/currency/*.xml"), os.path.join(out, "rate_feed"))

    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run(["/usr/bin/python3", os.path.join(root, "tests/archive/make_archives.py"), scratch],
                       check=True)
        archives = [p for p in files(scratch, "*") if os.path.isfile(p) and not p.endswith(".bin")]
        copy_all(archives, os.path.join(out, "archive"))

    workbooks = os.path.join(out, "workbooks")
    os.makedirs(workbooks, exist_ok=True)
    order_workbook(os.path.join(workbooks, "order.xlsx"))
    catalogue_workbook(os.path.join(workbooks, "catalogue.xlsx"))
    write(workbooks, "formulas.xls", made_xls)
    copy_all(files(root, "tests/data/loader/*.xls*", "tests/data/spreadsheet/sample*", "tests/data/tree/*.xlsx",
                   "tests/data/loader/csv/rowcur.csv"), workbooks)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
