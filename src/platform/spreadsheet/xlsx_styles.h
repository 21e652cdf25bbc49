#pragma once

// The styles part of an xlsx package: number formats, fonts, fills,
// borders and the cell formats (xf) made of them.

#include "platform/spreadsheet/xlsx_backend.h"

#include <QString>

#include <string>

namespace velmora::sheet::xlsx {

// The cell formats of a styles part (its bytes in `data`).
XlsxBackend::Styles readStyles(const QString& path, const std::string& part, const std::string& data);

// One element of a font description (<b/>, <sz val=.../>, ...) into `f`.
void readFontElement(Font& f, const char* name, const char** a);

} // namespace velmora::sheet::xlsx
