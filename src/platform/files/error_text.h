#pragma once

#include <QString>

#include <exception>

namespace velmora {

// What the user reads when memory ran out, whichever layer ran out of it: a
// library's own "std::bad_alloc" or "out of memory" tells a reader nothing.
inline const QString kOutOfMemoryText = QStringLiteral("Недостаточно памяти для выполнения операции");

// The text of a failure for the user: kOutOfMemoryText when memory ran out,
// the exception's own message (UTF-8) otherwise.
QString ErrorText(const std::exception& error);

} // namespace velmora
