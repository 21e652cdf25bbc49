#!/usr/bin/python3
"""Writes a large .xlsx (its sheet XML over 8 MB, so the reader parses it in
parallel chunks) whose rows hold what chunking must not break: rows and
cells without an r attribute, a shared formula used all the way down,
shared and inline strings, CDATA and comments holding "</row>", and
optionally a namespace prefix on every element.

    make_large_xlsx.py OUT ROWS [prefix]
"""
import sys
import zipfile

out, rows = sys.argv[1], int(sys.argv[2])
p = "x:" if len(sys.argv) > 3 and sys.argv[3] == "prefix" else ""
ns = 'xmlns%s="http://schemas.openxmlformats.org/spreadsheetml/2006/main"' % (":x" if p else "")
R = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'

strings = ["Строка %d" % i for i in range(100)]


def sheet():
    yield '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    yield '<%sworksheet %s %s><%sdimension ref="A1:E%d"/><%ssheetData>' % (p, ns, R, p, rows, p)
    for r in range(1, rows + 1):
        ref = '' if r % 7 == 0 else ' r="%d"' % r
        text = "Товар № %d" % r
        if r % 1000 == 0:
            a = '<%sc r="A%d" t="inlineStr"><%sis><%st><![CDATA[%s</row>]]></%st></%sis></%sc>' % (p, r, p, p, text, p, p, p)
        else:
            a = '<%sc r="A%d" t="inlineStr"><%sis><%st>%s</%st></%sis></%sc>' % (p, r, p, p, text, p, p, p)
        b = '<%sc r="B%d"><%sv>%d.5</%sv></%sc>' % (p, r, p, r, p, p)
        c = '<%sc r="C%d" t="s"><%sv>%d</%sv></%sc>' % (p, r, p, r % 100, p, p)
        if r == 1:
            d = '<%sc r="D1"><%sf t="shared" ref="D1:D%d" si="0">B1*2</%sf><%sv>3</%sv></%sc>' % (p, p, rows, p, p, p, p)
        else:
            d = '<%sc r="D%d"><%sf t="shared" si="0"/><%sv>%d</%sv></%sc>' % (p, r, p, p, 2 * r + 1, p, p)
        e = '<%sc><%sv>%d</%sv></%sc>' % (p, p, r, p, p)  # no r: the column after D
        comment = "<!-- </row> -->" if r % 500 == 0 else ""
        yield '<%srow%s>%s%s%s%s%s</%srow>%s' % (p, ref, a, b, c, d, e, p, comment)
    yield '</%ssheetData><%smergeCells count="1"><%smergeCell ref="A1:B1"/></%smergeCells></%sworksheet>' % (p, p, p, p, p)


with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr("_rels/.rels", '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
    z.writestr("xl/workbook.xml", '<?xml version="1.0" encoding="UTF-8"?><%sworkbook %s %s><%ssheets><%ssheet name="Большой" sheetId="1" r:id="rId1"/></%ssheets></%sworkbook>' % (p, ns, R, p, p, p, p))
    z.writestr("xl/_rels/workbook.xml.rels", '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
    z.writestr("xl/sharedStrings.xml", '<?xml version="1.0" encoding="UTF-8"?><%ssst %s count="100" uniqueCount="100">%s</%ssst>' % (p, ns, "".join("<%ssi><%st>%s</%st></%ssi>" % (p, p, s, p, p) for s in strings), p))
    with z.open("xl/worksheets/sheet1.xml", "w") as f:
        for piece in sheet():
            f.write(piece.encode("utf-8"))
