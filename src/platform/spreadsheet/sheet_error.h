#pragma once

#include <QString>
#include <stdexcept>

namespace velmora::sheet {

// Every failure of the spreadsheet layer (missing or unreadable file, bad
// address, sheet not found, failed save) surfaces as this exception; what()
// carries a message that names the file or the address concerned.
class SheetError : public std::runtime_error {
public:
    explicit SheetError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// What the user is told when a workbook could not be saved.
inline const QString kFileNotSaved = QStringLiteral("Файл не был сохранен!");

} // namespace velmora::sheet
