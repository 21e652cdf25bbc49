// Bad and odd price files, each loaded over a list of old offers: a file
// that is not whole or not what it claims to be leaves the old offers as
// they were and says why, within seconds and a bounded amount of memory; a
// valid file, however odd, replaces them.
#include "loader_test_support.h"

#include "../common/peak_memory.h"

#include "platform/files/cp1251.h"
#include "storage/goods_search_index.h"
#include "suppliers/loader/price_list_loader.h"
#include "suppliers/search/supplier_goods_search.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>

#include <cctype>
#include <ctime>
#include <functional>
#include <string>

namespace velmora::loader::test {
namespace {

const QString kName = QStringLiteral("Поставщик");
constexpr int kOldOffers = 4;

// Writes a small workbook whose sheet "Прайс" holds offers A-1.. in columns
// A (article), B (name), C (price), and one oddity of `kind`, `megabytes`
// large when it has a size.
const char* kMakeWorkbook = R"(
import sys, zipfile
out, kind, mb = sys.argv[1], sys.argv[2], int(sys.argv[3])
size = mb << 20
filler = 'Ж' if mb < 256 else 'A' # the bombs as fast to make as to refuse
def row(r, name):
    return '<row r="%d"><c r="A%d" t="inlineStr"><is><t>A-%d</t></is></c>' \
           '<c r="B%d" t="inlineStr"><is><t>%s</t></is></c><c r="C%d"><v>%d</v></c></row>' % (r, r, r, r, name, r, r * 10)
def repeat(stream, text, total):
    unit = text.encode()
    block = (unit * ((1 << 20) // len(unit) + 1))[: 1 << 20]
    for _ in range(total >> 20):
        stream.write(block)
head = ('<?xml version="1.0" encoding="UTF-8"?><worksheet '
        'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>')
tail = '</sheetData></worksheet>'
sst = None
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    z.writestr('[Content_Types].xml', '<?xml version="1.0"?><Types '
               'xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr('_rels/.rels', '<?xml version="1.0"?><Relationships '
               'xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="r1" '
               'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
               'Target="xl/workbook.xml"/></Relationships>')
    z.writestr('xl/workbook.xml', '<?xml version="1.0"?><workbook '
               'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
               'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
               '<sheets><sheet name="Прайс" sheetId="1" r:id="r1"/></sheets></workbook>')
    rels = ('<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
            'worksheet" Target="worksheets/sheet1.xml"/>')
    if kind in ('huge_shared', 'unique_count', 'nul_name'):
        rels += ('<Relationship Id="r2" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                 'relationships/sharedStrings" Target="sharedStrings.xml"/>')
    z.writestr('xl/_rels/workbook.xml.rels', '<?xml version="1.0"?><Relationships '
               'xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' + rels + '</Relationships>')
    with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as s:
        s.write(head.encode())
        s.write((row(1, 'Первый') + row(2, 'Второй')).encode())
        if kind == 'rows_blank':
            repeat(s, ' ', size)
        elif kind == 'huge_inline':
            s.write(b'<row r="3"><c r="A3" t="inlineStr"><is><t>A-3</t></is></c><c r="B3" t="inlineStr"><is><t>')
            repeat(s, filler, size)
            s.write(b'</t></is></c><c r="C3"><v>30</v></c></row>')
        elif kind in ('huge_shared', 'unique_count', 'nul_name'):
            s.write(b'<row r="3"><c r="A3" t="inlineStr"><is><t>A-3</t></is></c><c r="B3" t="s"><v>0</v></c>'
                    b'<c r="C3"><v>30</v></c></row>')
        s.write(row(4, 'Четвёртый').encode())
        s.write(tail.encode())
    if kind in ('huge_shared', 'unique_count', 'nul_name'):
        unique = '2147483647' if kind == 'unique_count' else '1'
        with z.open('xl/sharedStrings.xml', 'w', force_zip64=True) as s:
            s.write(('<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/'
                     'spreadsheetml/2006/main" count="1" uniqueCount="%s"><si><t>' % unique).encode())
            if kind == 'huge_shared':
                repeat(s, filler, size)
            elif kind == 'nul_name':
                s.write('Кабель_x0000_медный'.encode())
            else:
                s.write('Третий'.encode())
            s.write(b'</t></si></sst>')
)";

// Writes a workbook whose sheet of blanks inflates to `megabytes` while its
// archive states a compressed size of a fiftieth of that (a ratio any price
// list could have): the sheet's deflate blocks are repeated, so a few MB
// stand for gigabytes and the file is made in moments. `padding` MB of
// other bytes follow the sheet.
const char* kMakeOverstatedBomb = R"(
import sys, zlib, struct, os
out, megabytes, padding = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
NS = 'http://schemas.openxmlformats.org/'
small = [
    ('[Content_Types].xml', '<?xml version="1.0"?><Types xmlns="%spackage/2006/content-types"/>' % NS),
    ('_rels/.rels', '<?xml version="1.0"?><Relationships xmlns="%spackage/2006/relationships"><Relationship Id="r1" '
     'Type="%sofficeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (NS, NS)),
    ('xl/workbook.xml', '<?xml version="1.0"?><workbook xmlns="%sspreadsheetml/2006/main" '
     'xmlns:r="%sofficeDocument/2006/relationships"><sheets><sheet name="Прайс" sheetId="1" r:id="r1"/></sheets>'
     '</workbook>' % (NS, NS)),
    ('xl/_rels/workbook.xml.rels', '<?xml version="1.0"?><Relationships xmlns="%spackage/2006/relationships">'
     '<Relationship Id="r1" Type="%sofficeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
     '</Relationships>' % (NS, NS)),
]
head = ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%sspreadsheetml/2006/main"><sheetData>'
        '<row r="1"><c r="A1" t="inlineStr"><is><t>A-1</t></is></c><c r="C1"><v>10</v></c></row>' % NS).encode()
tail = b'</sheetData></worksheet>'
block = b' ' * (1 << 20)
# After a full flush a block of blanks compresses to the same bytes every time.
deflate = zlib.compressobj(9, zlib.DEFLATED, -15)
first = deflate.compress(head) + deflate.flush(zlib.Z_FULL_FLUSH)
deflate.compress(block); deflate.flush(zlib.Z_FULL_FLUSH)
repeated = deflate.compress(block) + deflate.flush(zlib.Z_FULL_FLUSH)
last = deflate.compress(tail) + deflate.flush()
crc = zlib.crc32(head)
for _ in range(megabytes):
    crc = zlib.crc32(block, crc)
crc = zlib.crc32(tail, crc)
inflated = len(head) + (megabytes << 20) + len(tail)
packed = len(first) + len(repeated) * megabytes + len(last)
stated = inflated // 50 # a ratio any price list could have
central = b''
count = 0
def local(f, name, data, crc, csize, usize, zip64):
    global central, count
    name = name.encode()
    offset = f.tell()
    extra = struct.pack('<HHQQ', 1, 16, usize, csize) if zip64 else b''
    sizes = (0xFFFFFFFF, 0xFFFFFFFF) if zip64 else (csize, usize)
    f.write(struct.pack('<IHHHHHIIIHH', 0x04034b50, 45, 0, 8, 0, 0, crc, *sizes, len(name), len(extra)) + name + extra)
    for piece in data:
        f.write(piece)
    cextra = struct.pack('<HHQQQ', 1, 24, usize, csize, offset) if zip64 else b''
    central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 45, 45, 0, 8, 0, 0, crc, *sizes, len(name),
                           len(cextra), 0, 0, 0, 0, 0xFFFFFFFF if zip64 else offset) + name + cextra
    count += 1
with open(out, 'wb') as f:
    for name, text in small:
        data = text.encode()
        c = zlib.compressobj(6, zlib.DEFLATED, -15)
        packed_small = c.compress(data) + c.flush()
        local(f, name, [packed_small], zlib.crc32(data), len(packed_small), len(data), False)
    def sheet():
        yield first
        for _ in range(megabytes):
            yield repeated
        yield last
    local(f, 'xl/worksheets/sheet1.xml', sheet(), crc, stated, inflated, inflated >= 0xFFFFFFFF)
    # Bytes after the sheet: a reader going by the stated size finds no end
    # of file, and with `padding` MB the file even holds the stated size.
    noise = os.urandom(max(padding << 20, 64 << 10))
    local(f, 'xl/media/image1.bin', [noise], zlib.crc32(noise), len(noise), len(noise), False)
    start = f.tell()
    f.write(central)
    end = f.tell()
    f.write(struct.pack('<IQHHIIQQQQ', 0x06064b50, 44, 45, 45, 0, 0, count, count, len(central), start))
    f.write(struct.pack('<IIQI', 0x07064b50, 0, end, 1))
    f.write(struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0))
)";

// A CSV price list of `rows` offers.
QByteArray CsvRows(int rows)
{
    QByteArray out;
    for (int r = 1; r <= rows; ++r)
        out += QStringLiteral("A-%1;Товар номер %1;%2\r\n").arg(r).arg(r * 10).toUtf8();
    return out;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Utf16(const QString& text, bool bigEndian, bool mark)
{
    QStringEncoder encode(bigEndian ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE,
                          mark ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
    return encode(text);
}

// The time an operation takes on two clocks: the processor time of the
// whole process (all its threads), which is what the file costs whatever
// else the machine runs, and the wall clock, which on a machine shared by
// many programs mostly measures the others.
class OperationTime {
public:
    OperationTime() : processorStart_(std::clock()) { wall_.start(); }
    qint64 processorMs() const { return qint64(double(std::clock() - processorStart_) * 1000 / CLOCKS_PER_SEC); }
    qint64 wallMs() const { return wall_.elapsed(); }

private:
    std::clock_t processorStart_;
    QElapsedTimer wall_;
};

// Cuts the file in half when the first offers have been written, while its
// reading is still going on.
class CutWhileReading : public LoadProgress {
public:
    explicit CutWhileReading(QString path) : path_(std::move(path)) {}
    bool offersStored(int) override
    {
        if (!done_) {
            done_ = true;
            QFile::resize(path_, QFileInfo(path_).size() / 2);
        }
        return true;
    }

private:
    QString path_;
    bool done_ = false;
};

struct BadFileCase {
    const char* label;
    const char* file;  // its name; the sheet setting is its stem for a CSV
    std::function<void(const QString& path)> make;
    bool valid;        // loads and replaces the old offers
    const char* message = ""; // part of the error text of an invalid file
    int offers = 0;    // the valid file's offers
    QString secondName = {};  // the name of offer 2 as stored
    bool cutWhileReading = false;
    qint64 processorLimitMs = 10000; // the loader's own work at the most
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.label; }

void MakeWorkbook(const QString& path, const char* kind, int megabytes)
{
    RunPython(QString::fromUtf8(kMakeWorkbook), {path, QString::fromLatin1(kind), QString::number(megabytes)});
}

void MakeOverstatedBomb(const QString& path, int megabytes, int padding)
{
    RunPython(QString::fromUtf8(kMakeOverstatedBomb), {path, QString::number(megabytes), QString::number(padding)});
}

const QString kUtf16Text = QStringLiteral("A-1;Ёлка зелёная;10\r\nA-2;Шар стеклянный;20\r\n");

const std::vector<BadFileCase>& Cases()
{
    static const std::vector<BadFileCase> cases = {
        {"CSV cut while it is read", "cut.csv", [](const QString& p) { WriteFile(p, CsvRows(300000)); }, false,
         "изменился во время чтения", 0, {}, true},
        {"UTF-16 CSV with its mark", "le.csv", [](const QString& p) { WriteFile(p, Utf16(kUtf16Text, false, true)); },
         true, "", 2, QStringLiteral("Шар стеклянный")},
        {"UTF-16 big-endian CSV with its mark", "be.csv",
         [](const QString& p) { WriteFile(p, Utf16(kUtf16Text, true, true)); }, true, "", 2,
         QStringLiteral("Шар стеклянный")},
        {"UTF-16 CSV without a mark", "bare.csv", [](const QString& p) { WriteFile(p, Utf16(kUtf16Text, false, false)); },
         false, "нулевые символы"},
        {"binary text in a CSV", "nul.csv", [](const QString& p) { WriteFile(p, QByteArray("A-1;Ёлка") + '\0' + QByteArray("x;10\r\n")); },
         false, "нулевые символы"},
        // Inflation bombs: a few MB that inflate to gigabytes, refused
        // within 5 s of the loader's work.
        {"blanks between rows", "bomb1.xlsx", [](const QString& p) { MakeWorkbook(p, "rows_blank", 1024); }, false,
         "распаковывается", 0, {}, false, 5000},
        {"one huge cell", "bomb2.xlsx", [](const QString& p) { MakeWorkbook(p, "huge_inline", 1024); }, false,
         "распаковывается", 0, {}, false, 5000},
        {"one huge shared string", "bomb3.xlsx", [](const QString& p) { MakeWorkbook(p, "huge_shared", 1024); }, false,
         "распаковывается", 0, {}, false, 5000},
        // The same, with the archive overstating the sheet's compressed
        // size so that its stated ratio looks sane: refused by the bytes the
        // file holds, or by those read so far when the file holds more.
        {"4 MB that inflate to 4000 MB", "overstated.xlsx", [](const QString& p) { MakeOverstatedBomb(p, 4000, 0); },
         false, "распаковывается", 0, {}, false, 5000},
        {"a stated size the padded file holds", "padded.xlsx", [](const QString& p) { MakeOverstatedBomb(p, 1000, 21); },
         false, "распаковывается", 0, {}, false, 5000},
        // The same oddities below the size refused: read as they stream, the
        // huge texts cut to a cell's size.
        {"150 MB of blanks between rows", "blank.xlsx", [](const QString& p) { MakeWorkbook(p, "rows_blank", 150); },
         true, "", 3, QStringLiteral("Второй")},
        {"a cell of 150 MB", "cell.xlsx", [](const QString& p) { MakeWorkbook(p, "huge_inline", 150); }, true, "", 4,
         QStringLiteral("Второй")},
        {"a shared string of 150 MB", "shared.xlsx", [](const QString& p) { MakeWorkbook(p, "huge_shared", 150); }, true,
         "", 4, QStringLiteral("Второй")},
        {"uniqueCount 2147483647", "unique.xlsx", [](const QString& p) { MakeWorkbook(p, "unique_count", 0); }, true, "",
         4, QStringLiteral("Второй")},
    };
    return cases;
}

class BadFiles : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(BadFiles, KeepTheOldOffersUnlessValid)
{
    const BadFileCase& c = GetParam();
    TestDatabases dbs;
    const QString path = dbs.dir.filePath(QString::fromLatin1(c.file));
    c.make(path);
    AddPriceList(dbs.price, kName, path);
    SheetSetup sheet;
    sheet.sheetName = QFileInfo(path).suffix() == u"csv" ? QFileInfo(path).completeBaseName() : QStringLiteral("Прайс");
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    sheet.valuta = CurrencyRUB;
    AddSheet(dbs.price, kName, sheet);
    InsertOffers(dbs.price, kName, kOldOffers);

    CutWhileReading cut(path);
    LoadRequest request;
    request.name = kName;
    request.rates = TestRates();
    if (c.cutWhileReading)
        request.progress = &cut;
    velmora::testing::resetPeakMemory();
    const OperationTime time;
    const LoadResult result = LoadPriceList(dbs.price, dbs.order, request);
    const qint64 processorMs = time.processorMs();
    const qint64 wallMs = time.wallMs();
    // The loader's own work within its limit; the wall clock only catches a
    // load that hangs.
    EXPECT_LT(processorMs, c.processorLimitMs) << "wall clock " << wallMs << " ms";
    EXPECT_LT(wallMs, 60000) << "processor " << processorMs << " ms";
    EXPECT_LT(velmora::testing::peakMegabytes(), 500);

    const std::vector<StoredOffer> offers = ReadOffers(dbs.price, kName);
    if (!c.valid) {
        EXPECT_FALSE(result.loaded);
        EXPECT_TRUE(result.errorText.contains(QString::fromUtf8(c.message))) << result.errorText.toStdString();
        ASSERT_EQ(offers.size(), size_t(kOldOffers));
        EXPECT_EQ(offers[0].art, QStringLiteral("OLD-1"));
        return;
    }
    ASSERT_TRUE(result.loaded) << result.errorText.toStdString();
    ASSERT_EQ(offers.size(), size_t(c.offers));
    EXPECT_EQ(offers[1].tovar, c.secondName);
    for (const StoredOffer& offer : offers)
        EXPECT_LE(offer.tovar.size(), 200);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadFiles, ::testing::ValuesIn(Cases()), [](const auto& info) {
    std::string name;
    for (const char ch : std::string(info.param.label))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

// A name holding a NUL (an escaped control character of the workbook) is
// found alike through the search index and through the plain statement.
TEST(OddNames, ANulInsideANameIsFoundAlikeWithAndWithoutTheIndex)
{
    TestDatabases dbs;
    const QString path = dbs.dir.filePath(QStringLiteral("nul.xlsx"));
    MakeWorkbook(path, "nul_name", 0);
    AddPriceList(dbs.price, kName, path);
    SheetSetup sheet;
    sheet.sheetName = QStringLiteral("Прайс");
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    AddSheet(dbs.price, kName, sheet);
    LoadRequest request;
    request.name = kName;
    request.rates = TestRates();
    ASSERT_TRUE(LoadPriceList(dbs.price, dbs.order, request).loaded);
    catchUpSupplierGoodsIndex(dbs.price);

    for (const char* text : {"медный", "кабель", "ель мед"}) {
        SCOPED_TRACE(text);
        std::vector<std::vector<QString>> found;
        for (const search::IndexUse index : {search::IndexUse::Auto, search::IndexUse::Never}) {
            search::SearchState state;
            search::SearchOptions options;
            options.index = index;
            const search::SearchOutcome outcome =
                search::SearchSupplierGoods(dbs.price, options, QString::fromUtf8(text), state);
            ASSERT_EQ(outcome.status, search::SearchStatus::Opened) << outcome.error.toStdString();
            const int art = outcome.query->columnIndex(QStringLiteral("Art"));
            std::vector<QString> arts;
            for (const search::GoodsRow& row : outcome.firstChunk.rows)
                arts.push_back(row.at(art).toString());
            found.push_back(arts);
        }
        EXPECT_EQ(found[0], std::vector<QString>{QStringLiteral("A-3")});
        EXPECT_EQ(found[0], found[1]);
    }
}

// Texts read from the shared-string table reach the offers as the file's
// bytes, inline ones as decoded text: both store alike, blanks of any kind
// trimmed and each field cut to its length, a character beyond the basic
// plane counting twice.
TEST(OddNames, SharedAndInlineTextsAreStoredAlike)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const std::vector<std::vector<QString>> rows = {
        {QStringLiteral("A-1"), QStringLiteral("Кабель медный"), QStringLiteral("12 мес"), QStringLiteral("есть"),
         QStringLiteral("Описание"), QStringLiteral("http://example.com/1")},
        {QStringLiteral(" A-2 "), QStringLiteral("\u00A0Кабель\u3000"), QStringLiteral("\t12\t"), QStringLiteral(" "),
         QStringLiteral("Описание\u2003"), QStringLiteral("  ссылка  ")},
        {QString(40, u'Ж'), QString(250, u'Ё'), QString(60, u'я'), QString(60, u'z'), QString(300, u'Щ'),
         QString(300, u'ю')},
        {QString(29, u'Ж') + emoji, QString(199, u'Ё') + emoji, emoji + QString(49, u'я'), emoji,
         QStringLiteral("Ёж ") + emoji, QString(254, u'ю') + emoji},
        {QString(28, u'Ж') + emoji, QStringLiteral("Имя ") + emoji + QStringLiteral(" "), QString(48, u'я') + emoji,
         QStringLiteral("склад"), emoji, QStringLiteral("ещё")},
    };
    TestDatabases dbs;
    SheetSetup sheet;
    sheet.sheetName = QStringLiteral("Прайс");
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    sheet.columnGarant = 4;
    sheet.columnSklad = 5;
    sheet.columnDescription = 6;
    sheet.columnTextNoName = 7;
    std::vector<std::vector<StoredOffer>> stored;
    for (const bool inlineStrings : {false, true}) {
        const QString name = inlineStrings ? QStringLiteral("Встроенные") : QStringLiteral("Общие");
        const QString path = dbs.dir.filePath(name + QStringLiteral(".xlsx"));
        WriteTextXlsx(path, rows, 3, inlineStrings);
        AddPriceList(dbs.price, name, path);
        AddSheet(dbs.price, name, sheet);
        LoadRequest request;
        request.name = name;
        request.rates = TestRates();
        ASSERT_TRUE(LoadPriceList(dbs.price, dbs.order, request).loaded);
        stored.push_back(ReadOffers(dbs.price, name));
    }
    ASSERT_EQ(stored[0].size(), rows.size());
    ASSERT_EQ(stored[1].size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const StoredOffer& shared = stored[0][i];
        const StoredOffer& inlined = stored[1][i];
        EXPECT_EQ(shared.art, inlined.art);
        EXPECT_EQ(shared.tovar, inlined.tovar);
        EXPECT_EQ(shared.garant, inlined.garant);
        EXPECT_EQ(shared.sklad, inlined.sklad);
        EXPECT_EQ(shared.description, inlined.description);
        EXPECT_EQ(shared.textNoName, inlined.textNoName);
    }
    EXPECT_EQ(stored[0][1].art, QStringLiteral("A-2"));
    EXPECT_EQ(stored[0][1].tovar, QStringLiteral("Кабель"));
    EXPECT_EQ(stored[0][1].description, QStringLiteral("Описание"));
    EXPECT_EQ(stored[0][2].tovar, QString(200, u'Ё'));
    EXPECT_EQ(stored[0][2].description, QString(300, u'Щ'));
    EXPECT_EQ(stored[0][3].sklad, emoji);
}

} // namespace
} // namespace velmora::loader::test
