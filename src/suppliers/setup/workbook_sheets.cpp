#include "suppliers/setup/workbook_sheets.h"

#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_error.h"

#include <QFileInfo>

namespace velmora {

QString MissingPriceFileText(const QString& path) { return QStringLiteral("прайс-лист ") + path + QStringLiteral(" отсутствует"); }

QString EmptyPriceListNameText()
{
    return QStringLiteral("Название прайс-листа пустое!\r\rВ начале выберите прайс-лист, \rа потом уже указывайте путь к файлу");
}

QString MissingSheetText(const QString& sheet, const QString& path)
{
    return QStringLiteral("Лист \"%1\" не найден в файле\r%2\r\rНастройки листа сохранены.").arg(sheet, path);
}

QString SheetRenameQuestion()
{
    return QStringLiteral("Хотите изменить название листа?\r\rПрограмма не сможет корреткно загрузить данные...");
}

QString DeleteSheetQuestion(const QString& sheet)
{
    return QStringLiteral("Удалить настройки листа \"%1\"?").arg(sheet);
}

QString PriceFileFilter() { return QStringLiteral("Файлы Excel, CSV (*.xls *.xlsx *.csv);;Все файлы (*)"); }

WorkbookSheets ReadWorkbookSheets(const QString& path)
{
    WorkbookSheets result;
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.isFile()) {
        result.message = MissingPriceFileText(path);
        return result;
    }
    try {
        result.names = sheet::listSheetNames(path);
        result.ok = true;
    } catch (const sheet::SheetError& e) {
        result.message = QStringLiteral("Не удалось открыть файл прайс-листа:\r%1\r\r%2").arg(path, e.message());
    }
    return result;
}

} // namespace velmora
