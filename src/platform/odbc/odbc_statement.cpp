#include "odbc_statement.h"

#include "odbc_handles.h"

#include <utility>

namespace velmora::odbc {

using namespace detail;

namespace {

enum ColumnKind { TextColumn = 0, IntegerColumn = 1, DoubleColumn = 2 };

ColumnKind kindOf(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
        return IntegerColumn;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return DoubleColumn;
    default:
        return TextColumn;
    }
}

// Text arrays: every element as wide as the longest text of the batch, so
// nothing is cut here; a value too long for its column reaches the server,
// which refuses it. Each fills `buffer` and the lengths of the values that
// are not NULL, and gives the element's width in characters.
qsizetype fillWideTexts(const std::vector<QString>& texts, const std::vector<bool>& isNull, size_t size,
                        std::vector<char16_t>& buffer, std::vector<SQLLEN>& length)
{
    qsizetype widest = 1;
    for (size_t r = 0; r < size; ++r)
        widest = qMax(widest, texts[r].size());
    const qsizetype stride = widest + 1;
    buffer.assign(size_t(stride) * size, u'\0');
    for (size_t r = 0; r < size; ++r) {
        if (isNull[r])
            continue;
        const QString& text = texts[r];
        std::copy(text.utf16(), text.utf16() + text.size(), buffer.begin() + qsizetype(r) * stride);
        length[r] = SQLLEN(text.size() * sizeof(char16_t));
    }
    return widest;
}

qsizetype fillUtf8Texts(const std::vector<QString>& texts, const std::vector<bool>& isNull, size_t size,
                        std::vector<char>& buffer, std::vector<SQLLEN>& length)
{
    std::vector<QByteArray> bytes(size);
    qsizetype widest = 1;
    for (size_t r = 0; r < size; ++r) {
        if (isNull[r])
            continue;
        bytes[r] = texts[r].toUtf8();
        widest = qMax(widest, bytes[r].size());
    }
    const qsizetype stride = widest + 1;
    buffer.assign(size_t(stride) * size, '\0');
    for (size_t r = 0; r < size; ++r) {
        if (isNull[r])
            continue;
        std::copy(bytes[r].cbegin(), bytes[r].cend(), buffer.begin() + qsizetype(r) * stride);
        length[r] = SQLLEN(bytes[r].size());
    }
    return widest;
}

} // namespace

Statement::Statement(void* connection, const QString& sql, bool run, bool utf8Texts)
    : sql_(sql), utf8Texts_(utf8Texts)
{
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, SQLHDBC(connection), &stmt)))
        detail::fail(SQL_HANDLE_DBC, SQLHDBC(connection), QStringLiteral("Не удалось создать запрос ODBC"), sql);
    stmt_ = stmt;
    const SQLRETURN rc = run ? SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS)
                             : SQLPrepareW(stmt, const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS);
    if (!succeeded(rc) && rc != SQL_NO_DATA)
        fail(run ? QStringLiteral("Ошибка выполнения запроса") : QStringLiteral("Ошибка подготовки запроса"));
    if (run) {
        SQLLEN count = 0;
        rowsAffected_ = succeeded(SQLRowCount(stmt, &count)) ? count : 0;
        describeColumns();
    }
}

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), sql_(std::move(other.sql_)), columns_(std::move(other.columns_)),
      row_(std::move(other.row_)), rowsAffected_(other.rowsAffected_), utf8Texts_(other.utf8Texts_)
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        if (stmt_)
            SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
        stmt_ = std::exchange(other.stmt_, nullptr);
        sql_ = std::move(other.sql_);
        columns_ = std::move(other.columns_);
        row_ = std::move(other.row_);
        rowsAffected_ = other.rowsAffected_;
        utf8Texts_ = other.utf8Texts_;
    }
    return *this;
}

Statement::~Statement()
{
    if (stmt_)
        SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
}

void Statement::fail(const QString& what) const { detail::fail(SQL_HANDLE_STMT, stmt_, what, sql_); }

void Statement::describeColumns()
{
    columns_.clear();
    SQLSMALLINT count = 0;
    if (!succeeded(SQLNumResultCols(stmt_, &count)))
        fail(QStringLiteral("Ошибка чтения результата запроса"));
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (!succeeded(SQLDescribeColW(stmt_, i, name, 256, &nameLength, &type, &size, &digits, &nullable)))
            fail(QStringLiteral("Ошибка чтения результата запроса"));
        columns_.push_back({fromWide(name, qMin<SQLSMALLINT>(nameLength, 255)), kindOf(type)});
    }
}

void Statement::execute()
{
    SQLFreeStmt(stmt_, SQL_CLOSE);
    const SQLRETURN rc = SQLExecute(stmt_);
    if (!succeeded(rc) && rc != SQL_NO_DATA)
        fail(QStringLiteral("Ошибка выполнения запроса"));
    SQLLEN count = 0;
    rowsAffected_ = succeeded(SQLRowCount(stmt_, &count)) ? count : 0;
    describeColumns();
}

void Statement::execute(const ParameterBatch& rows)
{
    const SQLULEN size = SQLULEN(rows.size());
    if (size == 0) {
        rowsAffected_ = 0;
        return;
    }
    SQLFreeStmt(stmt_, SQL_CLOSE);
    SQLFreeStmt(stmt_, SQL_RESET_PARAMS);

    // Column-wise arrays: one buffer of values and one of lengths per column.
    std::vector<std::vector<SQLLEN>> lengths(rows.columnCount(), std::vector<SQLLEN>(size));
    std::vector<std::vector<char16_t>> wide(rows.columnCount());
    std::vector<std::vector<char>> narrow(rows.columnCount());
    std::vector<SQLUSMALLINT> status(size, SQL_PARAM_UNUSED);
    SQLULEN processed = 0;

    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_BIND_TYPE, SQLPOINTER(SQL_PARAM_BIND_BY_COLUMN), 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMSET_SIZE, SQLPOINTER(size), 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);

    for (int c = 0; c < rows.columnCount(); ++c) {
        const ParameterBatch::Column& column = rows.columns_[c];
        std::vector<SQLLEN>& length = lengths[c];
        for (SQLULEN r = 0; r < size; ++r)
            length[r] = column.isNull[r] ? SQL_NULL_DATA : 0;
        SQLRETURN rc = SQL_ERROR;
        switch (column.type) {
        case ParameterType::Integer:
            rc = SQLBindParameter(stmt_, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  const_cast<qint64*>(column.integers.data()), sizeof(qint64), length.data());
            break;
        case ParameterType::Double:
            rc = SQLBindParameter(stmt_, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                                  const_cast<double*>(column.doubles.data()), sizeof(double), length.data());
            break;
        case ParameterType::Text:
            if (utf8Texts_) {
                // UTF-8 in the session's own character set: the driver hands
                // the bytes on as they are rather than converting each value.
                const qsizetype widest = fillUtf8Texts(column.texts, column.isNull, size, narrow[c], length);
                rc = SQLBindParameter(stmt_, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                      SQLULEN(widest), 0, narrow[c].data(), SQLLEN(widest + 1), length.data());
            } else {
                const qsizetype widest = fillWideTexts(column.texts, column.isNull, size, wide[c], length);
                rc = SQLBindParameter(stmt_, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                      SQLULEN(widest), 0, wide[c].data(), SQLLEN((widest + 1) * sizeof(char16_t)),
                                      length.data());
            }
            break;
        }
        if (!succeeded(rc))
            fail(QStringLiteral("Ошибка передачи параметров запроса"));
    }

    const SQLRETURN rc = SQLExecute(stmt_);
    // Taken before the arrays go away; the statement must not point at them.
    QString message;
    QString state;
    const bool failed = !succeeded(rc) && rc != SQL_NO_DATA;
    if (failed || rc == SQL_SUCCESS_WITH_INFO)
        message = diagnostics(SQL_HANDLE_STMT, stmt_, &state);
    SQLLEN count = 0;
    rowsAffected_ = succeeded(SQLRowCount(stmt_, &count)) ? count : 0;
    qsizetype badRow = -1;
    for (SQLULEN r = 0; r < size; ++r)
        if (status[r] == SQL_PARAM_ERROR) {
            badRow = qsizetype(r);
            break;
        }
    SQLFreeStmt(stmt_, SQL_RESET_PARAMS);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMSET_SIZE, SQLPOINTER(1), 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);

    if (failed || badRow >= 0) {
        QString what = QStringLiteral("Ошибка выполнения запроса");
        if (badRow >= 0)
            what += QStringLiteral(" (строка %1 из %2)").arg(badRow + 1).arg(size);
        throw OdbcError(what + (message.isEmpty() ? QString() : u'\r' + message) + u'\r' + sql_, state);
    }
}

qint64 Statement::rowsAffected() const { return rowsAffected_; }

bool Statement::step()
{
    row_.clear();
    if (columns_.empty())
        return false;
    const SQLRETURN rc = SQLFetch(stmt_);
    if (rc == SQL_NO_DATA)
        return false;
    if (!succeeded(rc))
        fail(QStringLiteral("Ошибка чтения результата запроса"));
    for (int c = 0; c < int(columns_.size()); ++c) {
        const SQLUSMALLINT number = SQLUSMALLINT(c + 1);
        SQLLEN indicator = 0;
        switch (columns_[c].kind) {
        case IntegerColumn: {
            qint64 value = 0;
            if (!succeeded(SQLGetData(stmt_, number, SQL_C_SBIGINT, &value, sizeof value, &indicator)))
                fail(QStringLiteral("Ошибка чтения результата запроса"));
            row_ << (indicator == SQL_NULL_DATA ? QVariant() : QVariant(value));
            break;
        }
        case DoubleColumn: {
            double value = 0;
            if (!succeeded(SQLGetData(stmt_, number, SQL_C_DOUBLE, &value, sizeof value, &indicator)))
                fail(QStringLiteral("Ошибка чтения результата запроса"));
            row_ << (indicator == SQL_NULL_DATA ? QVariant() : QVariant(value));
            break;
        }
        default: {
            // Long texts arrive in parts, each ending with its own NUL.
            QString text;
            std::vector<SQLWCHAR> buffer(4096);
            for (;;) {
                const SQLRETURN got = SQLGetData(stmt_, number, SQL_C_WCHAR, buffer.data(),
                                                 SQLLEN(buffer.size() * sizeof(SQLWCHAR)), &indicator);
                if (got == SQL_NO_DATA)
                    break;
                if (!succeeded(got))
                    fail(QStringLiteral("Ошибка чтения результата запроса"));
                if (indicator == SQL_NULL_DATA)
                    break;
                const qsizetype whole = buffer.size() - 1;
                const qsizetype part = indicator == SQL_NO_TOTAL ? whole
                                                                 : qMin<qsizetype>(indicator / sizeof(SQLWCHAR), whole);
                text += fromWide(buffer.data(), part);
                if (got == SQL_SUCCESS)
                    break;
            }
            row_ << (indicator == SQL_NULL_DATA ? QVariant() : QVariant(text));
        }
        }
    }
    return true;
}

int Statement::columnCount() const { return int(columns_.size()); }

QString Statement::columnName(int column) const
{
    return column >= 0 && column < columnCount() ? columns_[column].name : QString();
}

QVariant Statement::value(int column) const { return column >= 0 && column < row_.size() ? row_[column] : QVariant(); }

} // namespace velmora::odbc
