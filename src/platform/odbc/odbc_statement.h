#pragma once

#include "parameter_batch.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

namespace velmora::odbc {

// One statement of a connection, freed by its destructor. Made by
// Connection::prepare (run with execute) or Connection::query (run, its
// rows read with step). Any failure throws OdbcError with the diagnostics.
class Statement {
public:
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Runs the prepared statement without parameters.
    void execute();
    // Runs the prepared statement once for every row of `rows`, sent as one
    // parameter array. Throws when the driver reports an error for any row,
    // naming the first such row (from 1 within the batch); rows before it
    // may have been stored, as the table's engine decides.
    void execute(const ParameterBatch& rows);
    // Rows the last execute changed (all rows of a parameter array).
    qint64 rowsAffected() const;

    // Advances to the next row of the result; false after the last.
    bool step();
    int columnCount() const;
    QString columnName(int column) const;
    // Values of the current row: integers as qint64, floating and decimal
    // numbers as double, everything else as text; NULL as an invalid QVariant.
    QVariant value(int column) const;
    QString text(int column) const { return value(column).toString(); }
    double number(int column) const { return value(column).toDouble(); }
    qint64 integer(int column) const { return value(column).toLongLong(); }
    bool isNull(int column) const { return !value(column).isValid(); }

    QString sql() const { return sql_; }

private:
    friend class Connection;
    Statement(void* connection, const QString& sql, bool run, bool utf8Texts);

    void describeColumns();
    [[noreturn]] void fail(const QString& what) const;

    void* stmt_ = nullptr; // SQLHSTMT
    QString sql_;
    struct ColumnInfo {
        QString name;
        int kind = 0; // 0 text, 1 integer, 2 double
    };
    std::vector<ColumnInfo> columns_;
    QVariantList row_;
    qint64 rowsAffected_ = 0;
    bool utf8Texts_ = false;
};

} // namespace velmora::odbc
