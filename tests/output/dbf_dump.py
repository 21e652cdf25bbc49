# Prints a dBase file as python3-dbfread reads it, as JSON: the encoding it
# chose from the file's code-page mark, the fields and every record (dates
# as ISO text, blank values as null). No encoding is named: the file's own
# mark must say it.
import datetime
import json
import sys

from dbfread import DBF

table = DBF(sys.argv[1], char_decode_errors="strict")
records = []
for record in table:
    records.append({name: (value.isoformat() if isinstance(value, datetime.date) else value)
                    for name, value in record.items()})
print(json.dumps({
    "encoding": table.encoding,
    "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
    "records": records,
}, ensure_ascii=False))
