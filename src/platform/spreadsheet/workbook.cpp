#include "platform/spreadsheet/workbook.h"

#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_store.h"
#include "platform/spreadsheet/style_table.h"

#include <QFileInfo>

namespace velmora::sheet {

Workbook::Workbook() : styles_(std::make_unique<StyleTable>())
{
    sheets_.push_back(std::unique_ptr<Worksheet>(new Worksheet(*this, QStringLiteral("Лист1"))));
}

Workbook::~Workbook() = default;

Workbook::Workbook(Workbook&& other) noexcept
    : sheets_(std::move(other.sheets_)),
      styles_(std::move(other.styles_)),
      sourcePath_(std::move(other.sourcePath_)),
      sourceIsTemplate_(other.sourceIsTemplate_),
      activeSheet_(other.activeSheet_)
{
    for (auto& sheet : sheets_)
        sheet->workbook_ = this;
}

Workbook& Workbook::operator=(Workbook&& other) noexcept
{
    if (this != &other) {
        sheets_ = std::move(other.sheets_);
        styles_ = std::move(other.styles_);
        sourcePath_ = std::move(other.sourcePath_);
        sourceIsTemplate_ = other.sourceIsTemplate_;
        activeSheet_ = other.activeSheet_;
        for (auto& sheet : sheets_)
            sheet->workbook_ = this;
    }
    return *this;
}

Workbook Workbook::openTemplate(const QString& path)
{
    Workbook book = open(path);
    book.sourceIsTemplate_ = true;
    return book;
}

int Workbook::sheetCount() const
{
    return int(sheets_.size());
}

Worksheet& Workbook::sheet(int index)
{
    if (index < 1 || index > sheetCount())
        throw SheetError(QStringLiteral("Нет листа с номером %1 (в книге листов: %2)").arg(index).arg(sheetCount()));
    return *sheets_[std::size_t(index - 1)];
}

const Worksheet& Workbook::sheet(int index) const
{
    return const_cast<Workbook*>(this)->sheet(index);
}

Worksheet* Workbook::findSheet(const QString& name)
{
    for (auto& sheet : sheets_)
        if (sheet->name() == name)
            return sheet.get();
    for (auto& sheet : sheets_)
        if (sheet->name().compare(name, Qt::CaseInsensitive) == 0)
            return sheet.get();
    return nullptr;
}

Worksheet& Workbook::sheet(const QString& name)
{
    if (Worksheet* found = findSheet(name))
        return *found;
    throw SheetError(QStringLiteral("В книге нет листа \"%1\"").arg(name));
}

const Worksheet& Workbook::sheet(const QString& name) const
{
    return const_cast<Workbook*>(this)->sheet(name);
}

int Workbook::indexOf(const Worksheet& sheet) const
{
    for (std::size_t i = 0; i < sheets_.size(); ++i)
        if (sheets_[i].get() == &sheet)
            return int(i + 1);
    return 0;
}

QString Workbook::uniqueSheetName(const QString& base) const
{
    auto taken = [&](const QString& name) {
        for (const auto& sheet : sheets_)
            if (sheet->name().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    if (base.isEmpty()) {
        for (int n = int(sheets_.size()) + 1;; ++n) {
            const QString name = QStringLiteral("Лист%1").arg(n);
            if (!taken(name))
                return name;
        }
    }
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        const QString name = base.left(31 - suffix.size()) + suffix;
        if (!taken(name))
            return name;
    }
}

Worksheet& Workbook::addSheet(const QString& name)
{
    const QString newName = name.isEmpty() ? uniqueSheetName({}) : name;
    auto sheet = std::unique_ptr<Worksheet>(new Worksheet(*this, QStringLiteral("\x01")));
    sheets_.push_back(std::move(sheet));
    Worksheet& added = *sheets_.back();
    try {
        added.setName(newName);
    } catch (...) {
        sheets_.pop_back();
        throw;
    }
    return added;
}

Worksheet& Workbook::copySheet(int index, const QString& name)
{
    const Worksheet& source = sheet(index);
    auto copy = std::unique_ptr<Worksheet>(new Worksheet(*this, QStringLiteral("\x01")));
    *copy->store_ = *source.store_;
    copy->store_->name = QStringLiteral("\x01");
    const QString newName = name.isEmpty() ? uniqueSheetName(source.name()) : name;
    sheets_.insert(sheets_.begin() + index, std::move(copy));
    Worksheet& added = *sheets_[std::size_t(index)];
    try {
        added.setName(newName);
    } catch (...) {
        sheets_.erase(sheets_.begin() + index);
        throw;
    }
    return added;
}

void Workbook::removeSheet(int index)
{
    sheet(index);
    if (sheets_.size() == 1)
        throw SheetError(QStringLiteral("В книге должен остаться хотя бы один лист"));
    sheets_.erase(sheets_.begin() + (index - 1));
    if (activeSheet_ > sheetCount())
        activeSheet_ = sheetCount();
}

Worksheet& Workbook::activeSheet()
{
    return sheet(activeSheet_);
}

void Workbook::setActiveSheet(int index)
{
    sheet(index);
    activeSheet_ = index;
}

QString xlsxNameFor(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return fileName + u'x';
    return fileName;
}

} // namespace velmora::sheet
