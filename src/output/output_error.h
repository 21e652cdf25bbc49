#pragma once

#include "platform/spreadsheet/sheet_error.h"

#include <QString>

#include <stdexcept>

namespace velmora::output {

// What a writer reports when its workbook could not be saved.
using sheet::kFileNotSaved;

// A failure of an output writer, with the text the user sees.
class OutputError : public std::runtime_error {
public:
    explicit OutputError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

} // namespace velmora::output
