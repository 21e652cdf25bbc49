#include "statement.h"

#include "day_numbers.h"
#include "db_error.h"

#include <QStringEncoder>

#include <sqlite3.h>

namespace velmora::db {

Statement::Statement(sqlite3* db, const QString& sql) : db_(db), sql_(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    if (!stmt_)
        throw DbError(QStringLiteral("Пустой текст запроса: ") + sql);
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(other.stmt_), sql_(std::move(other.sql_)), textBuffers_(std::move(other.textBuffers_))
{
    other.stmt_ = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = other.stmt_;
        sql_ = std::move(other.sql_);
        textBuffers_ = std::move(other.textBuffers_);
        other.stmt_ = nullptr;
    }
    return *this;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::fail(int rc) const
{
    QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    if (!sql_.isEmpty())
        message += QStringLiteral("\n") + sql_;
    throw DbError(message, rc);
}

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(stmt_); }

QString Statement::parameterName(int index) const
{
    return QString::fromUtf8(sqlite3_bind_parameter_name(stmt_, index));
}

bool Statement::hasParameter(const QString& name) const
{
    const QByteArray key = (name.startsWith(u':') ? name : u':' + name).toUtf8();
    return sqlite3_bind_parameter_index(stmt_, key.constData()) > 0;
}

Statement& Statement::bind(const QString& name, const QVariant& value)
{
    const QByteArray key = (name.startsWith(u':') ? name : u':' + name).toUtf8();
    const int index = sqlite3_bind_parameter_index(stmt_, key.constData());
    if (index == 0)
        throw DbError(QStringLiteral("Параметр %1 не найден в запросе\n%2").arg(name, sql_));
    return bind(index, value);
}

Statement& Statement::bind(int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return bindInt(index, value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::ULongLong:
        return bindInt(index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return bindDouble(index, value.toDouble());
    case QMetaType::QDate:
        return bindInt(index, dayNumber(value.toDate()));
    case QMetaType::QDateTime:
        return bindDouble(index, dayNumberTime(value.toDateTime()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        const int rc = sqlite3_bind_blob(stmt_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        if (rc != SQLITE_OK)
            fail(rc);
        return *this;
    }
    default:
        return bindText(index, value.toString());
    }
}

Statement& Statement::bindText(int index, const QString& value)
{
    if (index < 1 || index > sqlite3_bind_parameter_count(stmt_))
        throw DbError(QStringLiteral("Нет параметра с номером %1\n%2").arg(index).arg(sql_), SQLITE_RANGE);
    if (value.isEmpty()) {
        // An empty text, never NULL.
        const int rc = sqlite3_bind_text(stmt_, index, "", 0, SQLITE_STATIC);
        if (rc != SQLITE_OK)
            fail(rc);
        return *this;
    }
    if (textBuffers_.size() < size_t(index))
        textBuffers_.resize(size_t(index));
    // The engine reads the buffer in place (SQLITE_STATIC) until the
    // parameter is bound again or the statement is finalised; the buffer is
    // only rewritten by the next bind of the same parameter.
    QByteArray& buffer = textBuffers_[size_t(index - 1)];
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const qsizetype space = encoder.requiredSpace(value.size());
    if (buffer.size() < space)
        buffer.resize(space);
    const char* end = encoder.appendToBuffer(buffer.data(), value);
    const int rc = sqlite3_bind_text(stmt_, index, buffer.constData(), int(end - buffer.constData()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindUtf8(int index, std::string_view value)
{
    if (index < 1 || index > sqlite3_bind_parameter_count(stmt_))
        throw DbError(QStringLiteral("Нет параметра с номером %1\n%2").arg(index).arg(sql_), SQLITE_RANGE);
    // An empty text, never NULL: the data pointer of an empty view may be null.
    const char* data = value.empty() ? "" : value.data();
    const int rc = sqlite3_bind_text(stmt_, index, data, int(value.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindDouble(int index, double value)
{
    const int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindInt(int index, qint64 value)
{
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindNull(int index)
{
    const int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    fail(rc);
}

void Statement::execute()
{
    while (step()) {
    }
}

void Statement::reset() { sqlite3_reset(stmt_); }

void Statement::clearBindings() { sqlite3_clear_bindings(stmt_); }

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
    }
    default:
        return QVariant();
    }
}

QString Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column)) : QString();
}

std::string_view Statement::utf8(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return data ? std::string_view(data, size_t(sqlite3_column_bytes(stmt_, column))) : std::string_view();
}

double Statement::number(int column) const { return sqlite3_column_double(stmt_, column); }

qint64 Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

} // namespace velmora::db
