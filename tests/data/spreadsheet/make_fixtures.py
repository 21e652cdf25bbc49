#!/usr/bin/python3
"""Makes the spreadsheet test fixtures of this folder. Run once, commit the output.

Needs python3-openpyxl and python3-xlwt; the .xls with real hyperlink records
(sample_lo.xls) and the LibreOffice-written .xlsx come from LibreOffice
(soffice) converting sample.xlsx, and are skipped when it is not installed.

    /usr/bin/python3 tests/data/spreadsheet/make_fixtures.py
"""
import datetime
import os
import shutil
import subprocess
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))


def out(name):
    return os.path.join(HERE, name)


# ---------------------------------------------------------------- sample.xlsx
# Written part by part so the file has what the reader must handle: shared and
# inline strings, a date style, cached formula results (text and number), a
# shared formula, an error, a boolean, a merge, an external and an internal
# hyperlink, a style-only cell and a <dimension> that overstates the sheet.

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>"""

ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""

WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Прайс" sheetId="1" r:id="rId1"/><sheet name="Второй лист" sheetId="2" r:id="rId2"/></sheets>
</workbook>"""

WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet2.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
</Relationships>"""

STRINGS = ["Артикул", "Наименование", "Цена", "Дата", "Ссылка", "Формула",
           "А-001", "Молоко «Весёлое» 3,2%", "сайт", "А-002", "Объединено", "x"]


def shared_strings():
    items = []
    for s in STRINGS:
        if s == "Объединено":  # a rich-text item: runs are joined
            items.append('<si><r><rPr><b/></rPr><t>Объеди</t></r><r><t>нено</t></r></si>')
        else:
            items.append("<si><t>%s</t></si>" % s)
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">%s</sst>'
            % (len(STRINGS), len(STRINGS), "".join(items)))


def s(text):
    return STRINGS.index(text)


STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="1"><numFmt numFmtId="164" formatCode="0.00&quot;р.&quot;"/></numFmts>
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>
<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>
</styleSheet>"""

# 15.03.2024 is day 45366 on the 1900 scale.
SHEET1 = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<dimension ref="A1:Z100"/>
<sheetData>
<row r="1"><c r="A1" t="s"><v>{a}</v></c><c r="B1" t="s"><v>{b}</v></c><c r="C1" t="s"><v>{c}</v></c><c r="D1" t="s"><v>{d}</v></c><c r="E1" t="s"><v>{e}</v></c><c r="F1" t="s"><v>{f}</v></c></row>
<row r="2"><c r="A2" t="s"><v>{a001}</v></c><c r="B2" t="s"><v>{milk}</v></c><c r="C2"><v>123.45</v></c><c r="D2" s="1"><v>45366</v></c><c r="E2" t="s"><v>{site}</v></c><c r="F2" t="str"><f>HYPERLINK("http://example.com/b","b")</f><v>b</v></c></row>
<row r="3"><c r="A3" t="s"><v>{a002}</v></c><c r="C3"><v>7</v></c><c r="D3" s="2"><f t="shared" ref="D3:D4" si="0">C3*2</f><v>14</v></c><c r="E3" t="inlineStr"><is><t>строка inline</t></is></c><c r="F3"><f>C2*2</f><v>246.9</v></c></row>
<row r="4"><c r="B4" t="s"><v>{merged}</v></c><c r="D4" s="2"><f t="shared" si="0"/><v>0</v></c></row>
<row r="5"><c r="A5" t="b"><v>1</v></c><c r="C5"><v>-2.5</v></c><c r="D5" t="e"><f>1/0</f><v>#DIV/0!</v></c></row>
<row r="7"><c r="G7" s="2"/></row>
</sheetData>
<mergeCells count="1"><mergeCell ref="B4:C4"/></mergeCells>
<hyperlinks><hyperlink ref="E2" r:id="rId1"/></hyperlinks>
</worksheet>""".format(a=s("Артикул"), b=s("Наименование"), c=s("Цена"), d=s("Дата"), e=s("Ссылка"),
                       f=s("Формула"), a001=s("А-001"), milk=s("Молоко «Весёлое» 3,2%"), site=s("сайт"),
                       a002=s("А-002"), merged=s("Объединено"))

SHEET1_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target="http://example.com/a?x=1&amp;y=2" TargetMode="External"/>
</Relationships>"""

SHEET2 = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData><row r="1"><c r="A1" t="s"><v>{x}</v></c></row></sheetData>
<hyperlinks><hyperlink ref="A1" location="'Прайс'!A1"/></hyperlinks>
</worksheet>""".format(x=s("x"))


def make_sample_xlsx():
    with zipfile.ZipFile(out("sample.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        z.writestr("xl/sharedStrings.xml", shared_strings())
        z.writestr("xl/styles.xml", STYLES)
        z.writestr("xl/worksheets/sheet1.xml", SHEET1)
        z.writestr("xl/worksheets/_rels/sheet1.xml.rels", SHEET1_RELS)
        z.writestr("xl/worksheets/sheet2.xml", SHEET2)


def make_malformed_xlsx():
    # A valid package whose sheet XML is cut off inside a row.
    with zipfile.ZipFile(out("malformed_sheet.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        z.writestr("xl/sharedStrings.xml", shared_strings())
        z.writestr("xl/styles.xml", STYLES)
        z.writestr("xl/worksheets/sheet1.xml", SHEET1[:SHEET1.index('<row r="3">') + 20])
        z.writestr("xl/worksheets/sheet2.xml", SHEET2)


# ------------------------------------------------------------- sample_xlwt.xls

def make_xlwt():
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Прайс")
    date_style = xlwt.easyxf(num_format_str="DD.MM.YYYY")
    for col, text in enumerate(["Артикул", "Наименование", "Цена", "Дата", "Ссылка", "Формула"]):
        sheet.write(0, col, text)
    sheet.write(1, 0, "А-001")
    sheet.write(1, 1, "Молоко «Весёлое» 3,2%")
    sheet.write(1, 2, 123.45)
    sheet.write(1, 3, datetime.date(2024, 3, 15), date_style)
    sheet.write(1, 4, "сайт")
    sheet.write(1, 5, xlwt.Formula('HYPERLINK("http://example.com/b";"b")'))
    sheet.write(2, 0, "А-002")
    sheet.write(2, 2, 7)
    sheet.write(2, 5, xlwt.Formula("C2*2"))
    sheet.write_merge(3, 3, 1, 2, "Объединено")
    sheet.write(4, 0, True)
    sheet.write(4, 2, -2.5)
    second = book.add_sheet("Второй лист")
    second.write(0, 0, "x")
    book.save(out("sample_xlwt.xls"))
    return book


def make_protected(book):
    # A BIFF8 workbook whose globals carry a FILEPASS record (RC4 encryption
    # header), as a password-protected .xls has.
    import struct
    import xlwt.CompoundDoc
    stream = bytearray(book.get_biff_data())
    bof_length = struct.unpack_from("<H", stream, 2)[0]
    filepass = struct.pack("<HHHHH", 0x002F, 6 + 48, 1, 1, 1) + bytes(48)
    stream[4 + bof_length:4 + bof_length] = filepass
    xlwt.CompoundDoc.XlsDoc().save(out("protected.xls"), bytes(stream))
    # An OLE file holding an EncryptedPackage stream: how a password-protected
    # .xlsx is stored.
    data = bytearray(open(out("protected.xls"), "rb").read())
    old = "Workbook\0".encode("utf-16-le")
    new = "EncryptedPackage\0".encode("utf-16-le")
    at = data.index(old)
    data[at:at + len(new)] = new
    struct.pack_into("<H", data, at + 64, len(new))
    open(out("protected.xlsx"), "wb").write(bytes(data))


# ------------------------------------------------------------------- CSV files

CSV_ROWS_1251 = (
    'Артикул;Наименование;Цена;Дата\r\n'
    '"А-001";"Молоко ""Весёлое""; 3,2%";123,45;15.03.2024\r\n'
    'А-002;;7;\r\n'
    '0123;"две\r\nстроки";-2,5;\r\n'
)

CSV_ROWS_UTF8 = (
    'Артикул,Наименование,Цена,Дата\r\n'
    '"А-001","Молоко ""Весёлое"", 3,2%",123.45,15.03.2024\r\n'
    'А-002,,7,\r\n'
    '0123,"две\nстроки",-2.5,\r\n'
)


def make_csv():
    with open(out("sample_cp1251.csv"), "wb") as f:
        f.write(CSV_ROWS_1251.encode("cp1251"))
    with open(out("sample_utf8_bom.csv"), "wb") as f:
        f.write(b"\xef\xbb\xbf" + CSV_ROWS_UTF8.encode("utf-8"))


# -------------------------------------------------------------- template.xlsx

def make_template():
    import openpyxl
    from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Заказ"
    sheet["A1"] = "Заказ №"
    sheet["A1"].font = Font(name="Arial", size=14, bold=True, color="FFFF0000")
    sheet.merge_cells("A1:D1")
    sheet["A1"].alignment = Alignment(horizontal="center")
    thin = Side(style="thin", color="FF000000")
    for col, text in enumerate(["№", "Артикул", "Наименование", "Цена"], start=1):
        cell = sheet.cell(row=3, column=col, value=text)
        cell.font = Font(name="Arial", size=10, bold=True)
        cell.fill = PatternFill("solid", fgColor="FFFFFF00")
        cell.border = Border(left=thin, right=thin, top=thin, bottom=thin)
    for col in range(1, 5):
        cell = sheet.cell(row=4, column=col)
        cell.font = Font(name="Arial", size=9, italic=True)
        cell.border = Border(left=thin, right=thin, top=thin, bottom=thin)
    sheet.cell(row=4, column=4).number_format = "0.00"
    sheet.column_dimensions["A"].width = 5
    sheet.column_dimensions["B"].width = 20
    sheet.column_dimensions["C"].width = 40
    sheet.column_dimensions["D"].width = 12
    sheet.row_dimensions[3].height = 30
    # How the form prints: landscape A4, one page wide, the header row on
    # every page.
    sheet.page_setup.orientation = "landscape"
    sheet.page_setup.paperSize = 9
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
    sheet.page_setup.fitToWidth = 1
    sheet.page_setup.fitToHeight = 0
    sheet.print_title_rows = "3:3"
    sheet.page_margins.left = 0.5
    sheet.page_margins.right = 0.5
    sheet.print_options.horizontalCentered = True
    book.save(out("template.xlsx"))


def make_libreoffice_copies():
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        print("soffice not found: sample_lo.xls and sample_lo.xlsx are not remade")
        return
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=tmp)
        for target, name in (("xls:MS Excel 97", "sample_lo.xls"), ("xlsx:Calc MS Excel 2007 XML", "sample_lo.xlsx")):
            subprocess.run([soffice, "--headless", "--convert-to", target, "--outdir", tmp, out("sample.xlsx")],
                           check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            ext = target.split(":")[0]
            shutil.move(os.path.join(tmp, "sample." + ext), out(name))


if __name__ == "__main__":
    make_sample_xlsx()
    make_malformed_xlsx()
    book = make_xlwt()
    make_protected(book)
    make_csv()
    make_template()
    make_libreoffice_copies()
