#include "sheet_test_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

namespace velmora::sheet {
namespace {

using test::fixture;
using test::readWithOpenpyxl;

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

// The width a file stores for a column of `characters` default-font digits
// (the spreadsheet adds 5 pixels of padding to 7-pixel digits).
double storedWidth(double characters)
{
    const int pixels = int(characters * 7 + 0.5) + 5;
    return double(int(pixels / 7.0 * 256)) / 256;
}

QJsonObject sheetNamed(const QJsonObject& dump, const QString& name)
{
    for (const QJsonValue& s : dump.value(QStringLiteral("sheets")).toArray())
        if (s.toObject().value(QStringLiteral("name")).toString() == name)
            return s.toObject();
    ADD_FAILURE() << "no sheet " << name.toStdString();
    return {};
}

QJsonObject cell(const QJsonObject& sheet, const char* address)
{
    return sheet.value(QStringLiteral("cells")).toObject().value(QString::fromLatin1(address)).toObject();
}

// A workbook with every feature the layer writes. Without the merged title
// the writer streams rows out (inline texts); with it, it writes the whole
// sheet at the end (shared strings): both paths are checked.
Workbook makeSample(bool mergedTitle = true)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.setName(QStringLiteral("Прайс-лист"));
    ws.setText(1, 1, QStringLiteral("Каталог от 15.03.2024"));
    if (mergedTitle)
        ws.range(QStringLiteral("A1:D1")).merge();
    Range title = ws.range(QStringLiteral("A1:D1"));
    title.setBold(true);
    title.setFontSize(14);
    title.setHorizontalAlignment(HAlign::Center);
    title.setFillColorIndex(40);
    ws.setText(3, 1, QStringLiteral("Группа"));
    ws.range(QStringLiteral("A3")).setFontColor(Color::fromBgr(0x0000FF)); // red
    ws.range(QStringLiteral("A3")).setItalic(true);
    ws.range(QStringLiteral("A3")).setUnderline(true);
    ws.range(QStringLiteral("A3")).setFontName(QStringLiteral("Times New Roman"));
    for (int r = 4; r <= 8; ++r) {
        ws.setText(r, 1, QStringLiteral("Товар %1").arg(r - 3));
        ws.setNumber(r, 2, r * 10.5);
        ws.setNumber(r, 3, r);
    }
    ws.range(QStringLiteral("B4:B8")).setNumberFormat(QStringLiteral("0.00"));
    ws.range(QStringLiteral("A4:C8")).setBorder(BorderEdge::Bottom, LineStyle::Continuous, BorderWeight::Thin);
    ws.range(QStringLiteral("D4:D8")).setFormulaR1C1(QStringLiteral("=RC[-2]*RC[-1]"));
    ws.setFormulaR1C1(10, 6, QStringLiteral("=SUM(R[-3]C:R[-2]C)"));
    ws.rows(4, 8).group();
    ws.rows(5, 6).group();
    ws.setOutlineSummaryAbove(true);
    ws.setAutoFilter(parseRange(QStringLiteral("A3:D8")));
    ws.setColumnWidth(1, 40);
    ws.setColumnWidth(2, 12.5);
    ws.setHyperlink(9, 1, QStringLiteral("http://example.com/товар?id=1"), QStringLiteral("ссылка"));
    ws.setValue(9, 2, CellValue::date(45366));
    ws.setText(11, 1, QStringLiteral("Итого: 100 руб."));
    ws.cells(11, 1).changeCharactersFont(8, 3, [](Font& f) { f.bold = true; });
    ws.setRowHeight(3, 25);
    Worksheet& second = book.addSheet(QStringLiteral("Второй"));
    second.setText(1, 1, QStringLiteral("второй лист"));
    second.setValue(2, 1, CellValue::boolean(true));
    book.copySheet(2, QStringLiteral("Копия"));
    book.setActiveSheet(1);
    return book;
}

TEST(Writer, IndependentReaderSeesValuesFormulasMergesOutlineAndFonts)
{
    for (const bool merged : {true, false}) {
    SCOPED_TRACE(merged ? "with a merge" : "without merges");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("проба.xlsx"));
    makeSample(merged).saveAs(path);
    const QJsonObject dump = readWithOpenpyxl(path);
    const QJsonObject ws = sheetNamed(dump, QStringLiteral("Прайс-лист"));
    EXPECT_EQ(cell(ws, "A1").value(QStringLiteral("value")).toString(), QStringLiteral("Каталог от 15.03.2024"));
    if (merged)
        EXPECT_EQ(ws.value(QStringLiteral("merges")).toArray().first().toString(), QStringLiteral("A1:D1"));
    else
        EXPECT_TRUE(ws.value(QStringLiteral("merges")).toArray().isEmpty());
    const QJsonObject titleFont = cell(ws, "A1").value(QStringLiteral("font")).toObject();
    EXPECT_TRUE(titleFont.value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(titleFont.value(QStringLiteral("size")).toDouble(), 14);
    EXPECT_EQ(cell(ws, "A1").value(QStringLiteral("hAlign")).toString(), QStringLiteral("center"));
    EXPECT_EQ(cell(ws, "A1").value(QStringLiteral("fill")).toString(), QStringLiteral("FFCC99"));
    const QJsonObject groupFont = cell(ws, "A3").value(QStringLiteral("font")).toObject();
    EXPECT_EQ(groupFont.value(QStringLiteral("color")).toString(), QStringLiteral("FF0000"));
    EXPECT_TRUE(groupFont.value(QStringLiteral("italic")).toBool());
    EXPECT_EQ(groupFont.value(QStringLiteral("underline")).toString(), QStringLiteral("single"));
    EXPECT_EQ(groupFont.value(QStringLiteral("name")).toString(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(cell(ws, "B5").value(QStringLiteral("value")).toDouble(), 52.5);
    EXPECT_EQ(cell(ws, "B5").value(QStringLiteral("numberFormat")).toString(), QStringLiteral("0.00"));
    // The bottom edge of A4:C8 is row 8's.
    EXPECT_EQ(cell(ws, "C8").value(QStringLiteral("border")).toObject().value(QStringLiteral("bottom")).toString(),
              QStringLiteral("thin"));
    EXPECT_FALSE(cell(ws, "C5").value(QStringLiteral("border")).toObject().contains(QStringLiteral("bottom")));
    EXPECT_EQ(cell(ws, "D4").value(QStringLiteral("formula")).toString(), QStringLiteral("=B4*C4"));
    EXPECT_EQ(cell(ws, "F10").value(QStringLiteral("formula")).toString(), QStringLiteral("=SUM(F7:F8)"));
    EXPECT_EQ(cell(ws, "A9").value(QStringLiteral("hyperlink")).toString(),
              QStringLiteral("http://example.com/товар?id=1"));
    EXPECT_EQ(cell(ws, "A9").value(QStringLiteral("value")).toString(), QStringLiteral("ссылка"));
    EXPECT_EQ(cell(ws, "B9").value(QStringLiteral("date")).toString(), QStringLiteral("2024-03-15 00:00:00"));
    EXPECT_EQ(cell(ws, "A11").value(QStringLiteral("value")).toString(), QStringLiteral("Итого: 100 руб."));
    const QJsonObject rows = ws.value(QStringLiteral("rows")).toObject();
    EXPECT_EQ(rows.value(QStringLiteral("4")).toObject().value(QStringLiteral("level")).toInt(), 1);
    EXPECT_EQ(rows.value(QStringLiteral("5")).toObject().value(QStringLiteral("level")).toInt(), 2);
    EXPECT_EQ(rows.value(QStringLiteral("8")).toObject().value(QStringLiteral("level")).toInt(), 1);
    EXPECT_EQ(rows.value(QStringLiteral("3")).toObject().value(QStringLiteral("height")).toDouble(), 25);
    EXPECT_FALSE(rows.contains(QStringLiteral("9")));
    EXPECT_FALSE(ws.value(QStringLiteral("summaryBelow")).toBool()); // summary row above
    EXPECT_EQ(ws.value(QStringLiteral("autofilter")).toString(), QStringLiteral("A3:D8"));
    EXPECT_EQ(ws.value(QStringLiteral("widths")).toObject().value(QStringLiteral("A")).toDouble(), storedWidth(40));
    EXPECT_EQ(ws.value(QStringLiteral("widths")).toObject().value(QStringLiteral("B")).toDouble(), storedWidth(12.5));
    EXPECT_EQ(dump.value(QStringLiteral("active")).toString(), QStringLiteral("Прайс-лист"));
    const QJsonObject copy = sheetNamed(dump, QStringLiteral("Копия"));
    EXPECT_EQ(cell(copy, "A1").value(QStringLiteral("value")).toString(), QStringLiteral("второй лист"));
    EXPECT_TRUE(cell(copy, "A2").value(QStringLiteral("value")).toBool());
    // Partial bold survives as rich text: our reader joins the runs.
    EXPECT_EQ(WorkbookReader(path).readSheet(1).values.text(11, 1), QStringLiteral("Итого: 100 руб."));
    }
}

TEST(Writer, OwnReaderReadsBackWithCachedResults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("проба.xlsx"));
    Workbook book = makeSample();
    book.sheet(1).setNumber(7, 6, 2);
    book.sheet(1).setNumber(8, 6, 3);
    book.sheet(1).setValue(10, 6, CellValue::number(5)); // the cached result
    book.sheet(1).setFormula(10, 6, QStringLiteral("=SUM(F7:F8)"));
    book.saveAs(path);
    WorkbookReader reader(path);
    EXPECT_EQ(reader.sheetNames(),
              (QStringList{QStringLiteral("Прайс-лист"), QStringLiteral("Второй"), QStringLiteral("Копия")}));
    const SheetData data = reader.readSheet(1);
    EXPECT_EQ(data.formula(10, 6), QStringLiteral("=SUM(F7:F8)"));
    EXPECT_EQ(data.values.number(10, 6), 5);
    EXPECT_EQ(data.values.type(9, 2), CellType::Date);
    EXPECT_EQ(data.hyperlink(9, 1), QStringLiteral("http://example.com/товар?id=1"));
    EXPECT_EQ(data.values.text(4, 1), QStringLiteral("Товар 1"));
    EXPECT_EQ(data.info.lastUsedCell, (CellRef{11, 6}));
    // And the model reopens it with its formats.
    Workbook again = Workbook::open(path);
    EXPECT_TRUE(again.sheet(1).style(1, 1).font.bold);
    EXPECT_EQ(again.sheet(1).outlineLevel(5), 2);
    EXPECT_TRUE(again.sheet(1).outlineSummaryAbove());
    EXPECT_EQ(again.sheet(1).columnWidth(1), 40);
    EXPECT_EQ(again.sheet(1).style(3, 1).font.color, Color::fromBgr(0x0000FF));
}

TEST(Templates, RichTextRunsSurviveOpeningAndSaving)
{
    Workbook book = Workbook::open(fixture(QStringLiteral("sample.xlsx")));
    const std::vector<RichRun> runs = book.sheet(1).richText(4, 2); // "Объеди" bold, "нено" plain
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].start, 0);
    EXPECT_EQ(runs[0].length, 6);
    EXPECT_TRUE(runs[0].font.bold);
    EXPECT_EQ(runs[1].start, 6);
    EXPECT_FALSE(runs[1].font.bold);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rich.xlsx"));
    book.saveAs(path);
    const std::vector<RichRun> again = Workbook::open(path).sheet(1).richText(4, 2);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_TRUE(again[0].font.bold);
    EXPECT_EQ(again[1].length, 4);
}

TEST(Templates, FilledCopyKeepsTheTemplatesCellsStylesMergesAndWidths)
{
    QTemporaryDir dir;
    const QString templateFile = dir.filePath(QStringLiteral("template.xlsx"));
    ASSERT_TRUE(QFile::copy(fixture(QStringLiteral("template.xlsx")), templateFile));
    const QByteArray before = fileHash(templateFile);

    Workbook book = Workbook::openTemplate(templatePath(dir.path(), QStringLiteral("template.xls")));
    Worksheet& ws = book.sheet(1);
    EXPECT_EQ(ws.name(), QStringLiteral("Заказ"));
    EXPECT_EQ(ws.value(1, 1).toText(), QStringLiteral("Заказ №"));
    EXPECT_TRUE(ws.pageSetup().landscape);
    EXPECT_EQ(ws.pageSetup().repeatRows, std::make_optional(std::make_pair(3, 3)));
    ws.setName(QStringLiteral("Заказ 7 от 15.03.2024"));
    ws.setText(1, 1, QStringLiteral("Заказ № 7"));
    for (int line = 0; line < 3; ++line) {
        const int r = 4 + line;
        ws.insertRowCopy(r, r + 1);
        ws.setNumber(r, 1, line + 1);
        ws.setText(r, 2, QStringLiteral("АРТ-%1").arg(line + 1));
        ws.setText(r, 3, QStringLiteral("Товар"));
        ws.setNumber(r, 4, 10.25 * (line + 1));
    }
    ws.deleteRows(7); // the spare copy of the data row
    ws.setFormulaR1C1(8, 4, QStringLiteral("=SUM(R[-4]C:R[-2]C)"));
    EXPECT_THROW(book.saveAs(templateFile), SheetError); // never over the template
    const QString output = dir.filePath(QStringLiteral("Заказ 7.xlsx"));
    book.saveAs(output);
    EXPECT_EQ(fileHash(templateFile), before);

    const QJsonObject sheet = sheetNamed(readWithOpenpyxl(output), QStringLiteral("Заказ 7 от 15.03.2024"));
    EXPECT_EQ(cell(sheet, "A1").value(QStringLiteral("value")).toString(), QStringLiteral("Заказ № 7"));
    const QJsonObject titleFont = cell(sheet, "A1").value(QStringLiteral("font")).toObject();
    EXPECT_EQ(titleFont.value(QStringLiteral("name")).toString(), QStringLiteral("Arial"));
    EXPECT_EQ(titleFont.value(QStringLiteral("size")).toDouble(), 14);
    EXPECT_TRUE(titleFont.value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(titleFont.value(QStringLiteral("color")).toString(), QStringLiteral("FF0000"));
    EXPECT_EQ(sheet.value(QStringLiteral("merges")).toArray().first().toString(), QStringLiteral("A1:D1"));
    EXPECT_EQ(cell(sheet, "B3").value(QStringLiteral("value")).toString(), QStringLiteral("Артикул"));
    EXPECT_EQ(cell(sheet, "B3").value(QStringLiteral("fill")).toString(), QStringLiteral("FFFF00"));
    EXPECT_EQ(cell(sheet, "C3").value(QStringLiteral("border")).toObject().value(QStringLiteral("left")).toString(),
              QStringLiteral("thin"));
    const QJsonObject widths = sheet.value(QStringLiteral("widths")).toObject();
    // The template's own stored widths (openpyxl writes them as given).
    EXPECT_NEAR(widths.value(QStringLiteral("C")).toDouble(), 40, 0.01);
    EXPECT_NEAR(widths.value(QStringLiteral("A")).toDouble(), 5, 0.01);
    EXPECT_NEAR(widths.value(QStringLiteral("B")).toDouble(), 20, 0.01);
    EXPECT_EQ(sheet.value(QStringLiteral("rows")).toObject().value(QStringLiteral("3")).toObject()
                  .value(QStringLiteral("height")).toDouble(), 30);
    for (const char* address : {"B4", "B5", "B6"}) {
        SCOPED_TRACE(address);
        EXPECT_TRUE(cell(sheet, address).value(QStringLiteral("font")).toObject().value(QStringLiteral("italic")).toBool());
        EXPECT_EQ(cell(sheet, address).value(QStringLiteral("border")).toObject().value(QStringLiteral("left")).toString(),
                  QStringLiteral("thin"));
    }
    EXPECT_EQ(cell(sheet, "D6").value(QStringLiteral("numberFormat")).toString(), QStringLiteral("0.00"));
    EXPECT_EQ(cell(sheet, "D6").value(QStringLiteral("value")).toDouble(), 30.75);
    EXPECT_TRUE(cell(sheet, "B7").value(QStringLiteral("value")).isUndefined());
    EXPECT_EQ(cell(sheet, "D8").value(QStringLiteral("formula")).toString(), QStringLiteral("=SUM(D4:D6)"));
    // How it prints survives too.
    const QJsonObject page = sheet.value(QStringLiteral("page")).toObject();
    EXPECT_EQ(page.value(QStringLiteral("orientation")).toString(), QStringLiteral("landscape"));
    EXPECT_EQ(page.value(QStringLiteral("paperSize")).toInt(), 9);
    EXPECT_TRUE(page.value(QStringLiteral("fitToPage")).toBool());
    // One page wide is the format's default, which a file may leave out.
    const QJsonValue width = page.value(QStringLiteral("fitToWidth"));
    EXPECT_TRUE(width.isNull() || width.toInt() == 1);
    EXPECT_EQ(page.value(QStringLiteral("fitToHeight")).toInt(), 0);
    EXPECT_EQ(page.value(QStringLiteral("titleRows")).toString().remove(u'$'), QStringLiteral("3:3"));
    EXPECT_EQ(page.value(QStringLiteral("marginLeft")).toDouble(), 0.5);
    EXPECT_TRUE(page.value(QStringLiteral("centered")).toBool());
    EXPECT_THROW(templatePath(dir.path(), QStringLiteral("нет.xls")), SheetError);
}

TEST(Saving, FailedSavesLeaveNoPartialFileAndKeepTheOldOne)
{
    QTemporaryDir dir;
    Workbook book = makeSample();
    const QString missing = dir.filePath(QStringLiteral("нет папки/книга.xlsx"));
    EXPECT_THROW(book.saveAs(missing), SheetError);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_THROW(book.saveAs(dir.path()), SheetError); // a folder, not a file

    const QString path = dir.filePath(QStringLiteral("книга.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("старое содержимое");
    old.close();
    QDir(dir.path()).mkdir(QStringLiteral("занято.xlsx"));
    EXPECT_THROW(book.saveAs(dir.filePath(QStringLiteral("занято.xlsx"))), SheetError);
    book.saveAs(path); // replaces the old file
    EXPECT_EQ(WorkbookReader(path).sheetCount(), 3);
    // Nothing else is left in the folder: no temporary files.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("книга.xlsx")});
}

// Saving lowers libxlsxwriter's deflate level: the zip records the level
// class of each part in its flags (0x4: fast).
TEST(Saving, PartsAreDeflatedAtTheFastLevel)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("книга.xlsx"));
    makeSample().saveAs(path);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\n"
                                 "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                                 "    print(i.filename, i.compress_type, i.flag_bits & 0x6)\n"),
                  path});
    ASSERT_TRUE(python.waitForFinished(60000));
    const QStringList parts = QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(parts.isEmpty()) << python.readAllStandardError().toStdString();
    for (const QString& part : parts)
        EXPECT_TRUE(part.endsWith(QLatin1String(" 8 4"))) << part.toStdString();
}

TEST(HandOver, SavesAndReportsThePathWhenOpeningIsOff)
{
    setDesktopOpeningEnabled(false);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Заказ.xlsx"));
    const HandOver result = handOverVisible(makeSample(), path);
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.savedPath, QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(openInDesktop(path));
    setDesktopOpeningEnabled(true); // a batch run has no desktop to open in
    EXPECT_FALSE(handOverVisible(makeSample(), path).opened);
    setDesktopOpeningEnabled(false);
    EXPECT_EQ(xlsxNameFor(QStringLiteral("Заказ 5.xls")), QStringLiteral("Заказ 5.xlsx"));
    EXPECT_EQ(xlsxNameFor(QStringLiteral("a.xlsx")), QStringLiteral("a.xlsx"));
}

} // namespace
} // namespace velmora::sheet
