#include "platform/spreadsheet/templates.h"

#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::sheet {

QString templatePath(const QString& programFolder, const QString& templateFileName)
{
    const QString path = QDir(programFolder).filePath(xlsxNameFor(templateFileName));
    if (!QFileInfo(path).isFile())
        throw SheetError(QStringLiteral("Не найден шаблон \"%1\"").arg(path));
    return path;
}

} // namespace velmora::sheet
