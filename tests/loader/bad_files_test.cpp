// Bad and odd price files, each loaded over a list of old offers: a file
// that is not whole or not what it claims to be leaves the old offers as
// they were and says why, within seconds and a bounded amount of memory; a
// valid file, however odd, replaces them.
#include "loader_test_support.h"

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
#include <fstream>
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

// Peak resident memory since the last reset, in MB.
double PeakMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

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
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.label; }

void MakeWorkbook(const QString& path, const char* kind, int megabytes)
{
    RunPython(QString::fromUtf8(kMakeWorkbook), {path, QString::fromLatin1(kind), QString::number(megabytes)});
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
        // Inflation bombs: a few MB that inflate to a gigabyte.
        {"blanks between rows", "bomb1.xlsx", [](const QString& p) { MakeWorkbook(p, "rows_blank", 1024); }, false,
         "распаковывается"},
        {"one huge cell", "bomb2.xlsx", [](const QString& p) { MakeWorkbook(p, "huge_inline", 1024); }, false,
         "распаковывается"},
        {"one huge shared string", "bomb3.xlsx", [](const QString& p) { MakeWorkbook(p, "huge_shared", 1024); }, false,
         "распаковывается"},
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
    ResetPeak();
    const OperationTime time;
    const LoadResult result = LoadPriceList(dbs.price, dbs.order, request);
    const qint64 processorMs = time.processorMs();
    const qint64 wallMs = time.wallMs();
    // Ten seconds of the loader's own work at the most; the wall clock only
    // catches a load that hangs.
    EXPECT_LT(processorMs, 10000) << "wall clock " << wallMs << " ms";
    EXPECT_LT(wallMs, 60000) << "processor " << processorMs << " ms";
    EXPECT_LT(PeakMegabytes(), 500);

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
