#include "parameter_batch.h"

#include "odbc_error.h"

namespace velmora::odbc {

ParameterBatch::ParameterBatch(std::vector<ParameterType> columns, int capacity) : capacity_(qMax(1, capacity))
{
    for (const ParameterType type : columns) {
        Column column{type, {}, {}, {}, {}};
        column.isNull.assign(1, true);
        switch (type) {
        case ParameterType::Integer: column.integers.resize(1); break;
        case ParameterType::Double: column.doubles.resize(1); break;
        case ParameterType::Text: column.texts.resize(1); break;
        }
        columns_.push_back(std::move(column));
    }
}

ParameterBatch::Column& ParameterBatch::current(int column, ParameterType type)
{
    if (column < 0 || column >= columnCount() || columns_[column].type != type)
        throw OdbcError(QStringLiteral("Параметр %1 не того типа или вне набора").arg(column + 1));
    return columns_[column];
}

ParameterBatch& ParameterBatch::setInt(int column, qint64 value)
{
    Column& c = current(column, ParameterType::Integer);
    c.integers[rows_] = value;
    c.isNull[rows_] = false;
    return *this;
}

ParameterBatch& ParameterBatch::setDouble(int column, double value)
{
    Column& c = current(column, ParameterType::Double);
    c.doubles[rows_] = value;
    c.isNull[rows_] = false;
    return *this;
}

ParameterBatch& ParameterBatch::setText(int column, const QString& value)
{
    Column& c = current(column, ParameterType::Text);
    c.texts[rows_] = value;
    c.isNull[rows_] = false;
    return *this;
}

ParameterBatch& ParameterBatch::setNull(int column)
{
    if (column < 0 || column >= columnCount())
        throw OdbcError(QStringLiteral("Параметр %1 вне набора").arg(column + 1));
    columns_[column].isNull[rows_] = true;
    return *this;
}

void ParameterBatch::endRow()
{
    ++rows_;
    // The next row starts as NULLs.
    for (Column& c : columns_) {
        c.isNull.resize(rows_ + 1, true);
        c.isNull[rows_] = true;
        switch (c.type) {
        case ParameterType::Integer: c.integers.resize(rows_ + 1); break;
        case ParameterType::Double: c.doubles.resize(rows_ + 1); break;
        case ParameterType::Text: c.texts.resize(rows_ + 1); c.texts[rows_].clear(); break;
        }
    }
}

void ParameterBatch::clear()
{
    rows_ = 0;
    for (Column& c : columns_) {
        c.isNull.assign(1, true);
        c.integers.resize(c.type == ParameterType::Integer ? 1 : 0);
        c.doubles.resize(c.type == ParameterType::Double ? 1 : 0);
        c.texts.assign(c.type == ParameterType::Text ? 1 : 0, QString());
    }
}

} // namespace velmora::odbc
