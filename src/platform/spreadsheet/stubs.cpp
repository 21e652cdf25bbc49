// Placeholders until each part is implemented.
#include "platform/spreadsheet/spreadsheet.h"
#include "platform/spreadsheet/style_table.h"
#include "platform/spreadsheet/sheet_store.h"

namespace velmora::sheet {
[[noreturn]] static void notYet(const char* what)
{
    throw SheetError(QStringLiteral("Не реализовано: ") + QLatin1String(what));
}
FileFormat detectFormat(const QString&) { notYet("detectFormat"); }
QString SheetData::formula(int, int) const { return {}; }
QString SheetData::hyperlink(int, int) const { return {}; }
const Hyperlink* SheetData::hyperlinkAt(int, int) const { return nullptr; }
class WorkbookReader::Backend {};
WorkbookReader::WorkbookReader(const QString& path) : path_(path) { notYet("WorkbookReader"); }
WorkbookReader::~WorkbookReader() = default;
WorkbookReader::WorkbookReader(WorkbookReader&&) noexcept = default;
WorkbookReader& WorkbookReader::operator=(WorkbookReader&&) noexcept = default;
int WorkbookReader::sheetCount() const { return 0; }
QStringList WorkbookReader::sheetNames() const { return {}; }
int WorkbookReader::sheetIndex(const QString&) const { return 0; }
SheetInfo WorkbookReader::streamSheet(int, const std::function<bool(const RowData&)>&) { notYet("streamSheet"); }
SheetData WorkbookReader::readSheet(int, const ReadOptions&) { notYet("readSheet"); }
SheetData WorkbookReader::readSheet(const QString&, const ReadOptions&) { notYet("readSheet"); }
QStringList listSheetNames(const QString&) { notYet("listSheetNames"); }
QString r1c1ToA1(const QString&, int, int) { notYet("r1c1ToA1"); }
QString moveA1Formula(const QString&, int, int) { notYet("moveA1Formula"); }
QString adjustFormulaForRows(const QString&, int, int) { notYet("adjustFormulaForRows"); }
HandOver handOverVisible(const Workbook&, const QString&) { notYet("handOverVisible"); }
bool openInDesktop(const QString&) { return false; }
void setDesktopOpeningEnabled(bool) {}
bool desktopOpeningEnabled() { return false; }
QString templatePath(const QString&, const QString&) { notYet("templatePath"); }
BorderEdge borderEdgeFromIndex(int) { notYet("borderEdgeFromIndex"); }
StyleTable::StyleTable() { styles_.emplace_back(); }
std::uint32_t StyleTable::intern(const CellStyle&) { notYet("StyleTable"); }
Workbook::Workbook() : styles_(std::make_unique<StyleTable>()) {}
Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook Workbook::open(const QString&) { notYet("Workbook::open"); }
Workbook Workbook::openTemplate(const QString&) { notYet("Workbook::openTemplate"); }
int Workbook::sheetCount() const { return int(sheets_.size()); }
Worksheet& Workbook::sheet(int) { notYet("Workbook::sheet"); }
const Worksheet& Workbook::sheet(int) const { notYet("Workbook::sheet"); }
Worksheet& Workbook::sheet(const QString&) { notYet("Workbook::sheet"); }
const Worksheet& Workbook::sheet(const QString&) const { notYet("Workbook::sheet"); }
Worksheet* Workbook::findSheet(const QString&) { return nullptr; }
int Workbook::indexOf(const Worksheet&) const { return 0; }
Worksheet& Workbook::addSheet(const QString&) { notYet("addSheet"); }
Worksheet& Workbook::copySheet(int, const QString&) { notYet("copySheet"); }
void Workbook::removeSheet(int) { notYet("removeSheet"); }
Worksheet& Workbook::activeSheet() { notYet("activeSheet"); }
void Workbook::setActiveSheet(int) {}
void Workbook::saveAs(const QString&) const { notYet("saveAs"); }
QString xlsxNameFor(const QString& f) { return f; }
Worksheet::~Worksheet() = default;
} // namespace velmora::sheet
