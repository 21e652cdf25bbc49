#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::db {

// One prepared statement, finalised by its destructor. Values are bound by
// ":name" or by 1-based index; a QDate binds as its day number, a QDateTime
// as a REAL day-number time, a bool as 0/1, an invalid QVariant as NULL.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    Statement& bind(const QString& name, const QVariant& value);
    Statement& bind(int index, const QVariant& value);
    // Binds without going through QVariant: the fast path for bulk inserts.
    Statement& bindText(int index, const QString& value);
    // A UTF-8 text read in place: it must stay as it is until the statement
    // has run (bulk inserts of texts already held in UTF-8).
    Statement& bindUtf8(int index, std::string_view value);
    Statement& bindDouble(int index, double value);
    Statement& bindInt(int index, qint64 value);
    Statement& bindNull(int index);
    bool hasParameter(const QString& name) const;
    int parameterCount() const;
    QString parameterName(int index) const;

    // Advances to the next row; false when the statement is done.
    bool step();
    // Runs a statement that returns no rows to its end.
    void execute();
    // Makes the statement ready to run again; bindings are kept.
    void reset();
    void clearBindings();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    QString text(int column) const;
    // The column's UTF-8 text as the engine holds it, without a copy; valid
    // until the next step, reset or read of the column as another type.
    // Empty for NULL.
    std::string_view utf8(int column) const;
    double number(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;

    QString sql() const { return sql_; }
    sqlite3_stmt* handle() const { return stmt_; }

private:
    [[noreturn]] void fail(int rc) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
    // UTF-8 text of each bound parameter, kept while it is bound so that a
    // bulk insert converts each value once and allocates nothing per row.
    std::vector<QByteArray> textBuffers_;
};

} // namespace velmora::db
