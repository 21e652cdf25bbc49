#pragma once

// Lets GoogleTest print Qt values readably in failure messages; included
// into every test by velmora_add_test.
#include <QString>
#include <QVariant>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

inline void PrintTo(const QVariant& value, std::ostream* os)
{
    *os << "QVariant(" << value.typeName() << ", " << value.toString().toStdString() << ')';
}
