#!/usr/bin/python3
"""The peers the reading benchmarks measure themselves against, and the files
they read. Run with Debian's /usr/bin/python3 (python3-xlwt, python3-xlrd,
python3-openpyxl).

    peer_read.py generate N OUT      write N price-list rows to OUT (.xls by
                                     xlwt, .xlsx by openpyxl, .csv by the csv
                                     module in Windows-1251 with ";")
    peer_read.py read FILE           read FILE as a shop's script would: xlrd
                                     for .xls, openpyxl read-only for .xlsx,
                                     the csv module decoding Windows-1251 for
                                     .csv; prints one line
                                     "peer NAME seconds S cpu C peak_kb K rows R"

The rows are those of bench/load_price_list's generator: article, name,
price, second price, stock, warranty, description, link.
"""
import csv
import os
import sys
import time


def make_row(i):
    price = ((i * 7919) % 100000) / 100.0 + 1
    return [
        "A%d" % (1000000 + i),
        "Товар номер %d, модель X-%d" % (i, i % 977),
        price,
        price * 1.2,
        str(i % 50) if i % 3 else "есть",
        "%d мес" % (6 + i % 4 * 6),
        "Описание товара %d" % i,
        "http://example.com/item/%d" % i,
    ]


def comma_decimal(value):
    return ("%.2f" % value).replace(".", ",")


def generate(rows, out):
    tmp = out + ".part"
    ext = os.path.splitext(out)[1].lower()
    if ext == ".xls":
        import xlwt
        if rows > 65535:
            sys.exit("an .xls sheet holds at most 65535 rows here")
        book = xlwt.Workbook(encoding="utf-8")
        sheet = book.add_sheet("Прайс")
        for i in range(1, rows + 1):
            row = sheet.row(i - 1)
            for c, value in enumerate(make_row(i)):
                row.write(c, value)
            if i % 1000 == 0:
                sheet.flush_row_data()
        book.save(tmp)
    elif ext == ".xlsx":
        import openpyxl
        book = openpyxl.Workbook(write_only=True)
        sheet = book.create_sheet("Прайс")
        for i in range(1, rows + 1):
            sheet.append(make_row(i))
        book.save(tmp)
    elif ext == ".csv":
        with open(tmp, "w", encoding="cp1251", newline="") as f:
            writer = csv.writer(f, delimiter=";", lineterminator="\r\n")
            for i in range(1, rows + 1):
                r = make_row(i)
                r[2] = comma_decimal(r[2])
                r[3] = comma_decimal(r[3])
                writer.writerow(r)
    else:
        sys.exit("unknown format: " + out)
    os.replace(tmp, out)


def peak_kb():
    """The peak resident memory of this program (VmHWM). Not ru_maxrss: that
    also counts the forked parent before exec."""
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return -1


def read(path):
    ext = os.path.splitext(path)[1].lower()
    rows = 0
    start = time.perf_counter()
    cpu_start = time.process_time()
    if ext == ".xls":
        import xlrd
        name = "xlrd %s" % xlrd.__version__
        book = xlrd.open_workbook(path)
        for sheet in book.sheets():
            for r in range(sheet.nrows):
                sheet.row_values(r)
                rows += 1
    elif ext == ".xlsx":
        import openpyxl
        name = "openpyxl %s read-only" % openpyxl.__version__
        book = openpyxl.load_workbook(path, read_only=True)
        for sheet in book.worksheets:
            for _ in sheet.iter_rows(values_only=True):
                rows += 1
        book.close()
    elif ext == ".csv":
        name = "python %d.%d csv" % sys.version_info[:2]
        with open(path, encoding="cp1251", newline="") as f:
            for _ in csv.reader(f, delimiter=";"):
                rows += 1
    else:
        sys.exit("unknown format: " + path)
    seconds = time.perf_counter() - start
    cpu = time.process_time() - cpu_start
    peak = peak_kb()
    print("peer %s seconds %.3f cpu %.3f peak_kb %d rows %d" % (name.replace(" ", "_"), seconds, cpu, peak, rows))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "generate":
        generate(int(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "read":
        read(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
