#include "settings_store.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace velmora {
namespace {

enum class Kind { Text, Integer, Double, Currency, Date, Boolean };

struct TypeInfo {
    const char* typeName; // also the column that holds the value
    Kind kind;
};

constexpr TypeInfo kTypes[] = {
    {"TypeText", Kind::Text},         {"TypeInteger", Kind::Integer}, {"TypeDouble", Kind::Double},
    {"TypeCurrency", Kind::Currency}, {"TypeDate", Kind::Date},       {"TypeBoolean", Kind::Boolean},
};

// Type names are exact and case-sensitive.
const TypeInfo* findType(const QString& typeName)
{
    for (const TypeInfo& t : kTypes)
        if (typeName == QLatin1String(t.typeName))
            return &t;
    return nullptr;
}

[[noreturn]] void badValue(const QString& value, const QString& typeName)
{
    throw SettingsError(QStringLiteral("Значение \"%1\" не преобразуется в тип %2").arg(value, typeName));
}

qint64 parseInteger(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        badValue(text, QStringLiteral("TypeInteger"));
    return value;
}

double roundCurrency(double value) { return std::round(value * 10000.0) / 10000.0; }

// Dates as the program writes them (dd.MM.yyyy, optionally with a time),
// two-digit years, and ISO dates.
double parseDate(const QString& text)
{
    const QString t = text.trimmed();
    static const char* const dateTimeFormats[] = {"dd.MM.yyyy H:mm:ss", "dd.MM.yyyy H:mm", "yyyy-MM-dd HH:mm:ss",
                                                  "yyyy-MM-ddTHH:mm:ss"};
    for (const char* format : dateTimeFormats) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
        if (dt.isValid())
            return db::dayNumberTime(dt);
    }
    static const char* const dateFormats[] = {"d.M.yyyy", "d.M.yy", "yyyy-MM-dd", "d/M/yyyy"};
    for (const char* format : dateFormats) {
        QDate date = QDate::fromString(t, QLatin1String(format));
        if (date.isValid()) {
            if (QLatin1String(format) == QLatin1String("d.M.yy") && date.year() < 1950)
                date = date.addYears(100);
            return double(db::dayNumber(date));
        }
    }
    badValue(text, QStringLiteral("TypeDate"));
}

QVariant neutralValue(Kind kind)
{
    switch (kind) {
    case Kind::Text: return QString(QLatin1String(""));
    case Kind::Integer: return qint64(0);
    case Kind::Double:
    case Kind::Currency: return 0.0;
    case Kind::Date: return double(db::dayNumber(QDate::currentDate()));
    case Kind::Boolean: return 0;
    }
    return {};
}

// A stored value as the variant of its type.
QVariant typedValue(Kind kind, const QVariant& stored)
{
    const bool null = !stored.isValid() || stored.isNull();
    switch (kind) {
    case Kind::Text:
        return null ? QString(QLatin1String("")) : stored.toString();
    case Kind::Integer:
        if (null)
            return qint64(0);
        if (stored.typeId() == QMetaType::QString)
            return qint64(std::llround(parseDecimal(stored.toString())));
        return stored.toLongLong();
    case Kind::Double:
    case Kind::Currency:
        if (null)
            return 0.0;
        return stored.typeId() == QMetaType::QString ? parseDecimal(stored.toString()) : stored.toDouble();
    case Kind::Date:
        if (null)
            return QDateTime();
        return db::dateTimeFromDayNumber(stored.typeId() == QMetaType::QString ? parseDate(stored.toString())
                                                                               : stored.toDouble());
    case Kind::Boolean:
        if (null)
            return false;
        if (stored.typeId() == QMetaType::QString)
            return parseBoolean(stored.toString());
        return stored.toDouble() != 0; // Jet's -1 reads as true too
    }
    return {};
}

QVariant convert(const TypeInfo& type, const QString& value)
{
    switch (type.kind) {
    case Kind::Text: return value;
    case Kind::Integer: return parseInteger(value);
    case Kind::Double: return parseDecimal(value);
    case Kind::Currency: return roundCurrency(parseDecimal(value));
    case Kind::Date: return parseDate(value);
    case Kind::Boolean: return parseBoolean(value) ? 1 : 0;
    }
    return {};
}

// The rowid of a setting's row, the first one when an old table has several.
std::optional<qint64> findRow(db::Connection& connection, const QString& name)
{
    db::Statement select =
        connection.prepare(QStringLiteral("SELECT rowid FROM settings WHERE ParName = ?1 ORDER BY rowid LIMIT 1"));
    select.bindText(1, name);
    if (!select.step())
        return std::nullopt;
    return select.integer(0);
}

std::optional<QVariant> readColumn(db::Connection& connection, const QString& name, const TypeInfo& type)
{
    db::Statement select = connection.prepare(
        QStringLiteral("SELECT %1 FROM settings WHERE ParName = ?1 ORDER BY rowid LIMIT 1").arg(QLatin1String(type.typeName)));
    select.bindText(1, name);
    if (!select.step())
        return std::nullopt;
    return select.value(0);
}

} // namespace

double parseDecimal(const QString& text)
{
    QString t = text.trimmed();
    t.remove(QChar(0x00A0)); // a grouping blank some locales write
    t.replace(u',', u'.');
    static const QRegularExpression pattern(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    if (!pattern.match(t).hasMatch())
        throw SettingsError(QStringLiteral("Значение \"%1\" не является числом").arg(text));
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok)
        throw SettingsError(QStringLiteral("Значение \"%1\" не является числом").arg(text));
    return value;
}

bool parseBoolean(const QString& text)
{
    const QString t = text.trimmed();
    if (t == u"-1" || t == u"1" || t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t == u"0" || t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    throw SettingsError(QStringLiteral("Значение \"%1\" не является логическим").arg(text));
}

QVariant convertSettingValue(const QString& typeName, const QString& value)
{
    const TypeInfo* type = findType(typeName);
    if (!type)
        throw SettingsError(QStringLiteral("Неизвестный тип параметра: ") + typeName);
    return convert(*type, value);
}

void SettingsStore::write(const QString& name, const QString& typeName, const QString& value)
{
    const TypeInfo* type = findType(typeName);
    if (!type)
        throw SettingsError(QStringLiteral("Неизвестный тип параметра: ") + typeName);
    // Convert first: a bad value writes nothing.
    const QVariant converted = convert(*type, value);

    if (const std::optional<qint64> rowid = findRow(connection_, name)) {
        db::Statement update = connection_.prepare(
            QStringLiteral("UPDATE settings SET %1 = ?1 WHERE rowid = ?2").arg(QLatin1String(type->typeName)));
        update.bind(1, converted);
        update.bindInt(2, *rowid);
        update.execute();
        return;
    }

    db::Statement insert = connection_.prepare(QStringLiteral(
        "INSERT INTO settings (ParName, TypeText, TypeInteger, TypeDouble, TypeCurrency, TypeDate, TypeBoolean) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    insert.bindText(1, name);
    for (const TypeInfo& t : kTypes) {
        const int index = 2 + int(&t - kTypes);
        insert.bind(index, &t == type ? converted : neutralValue(t.kind));
    }
    insert.execute();
}

QVariant SettingsStore::read(const QString& name, const QString& typeName, const QString& defaultText)
{
    const TypeInfo* type = findType(typeName);
    if (!type)
        return QStringLiteral("Error");
    std::optional<QVariant> stored;
    try {
        stored = readColumn(connection_, name, *type);
        if (!stored) {
            write(name, typeName, defaultText); // a bad default throws SettingsError to the caller
            stored = readColumn(connection_, name, *type);
        }
    } catch (const db::DbError&) {
        stored.reset(); // the default stands in below
    }
    if (stored) {
        try {
            return typedValue(type->kind, *stored);
        } catch (const SettingsError&) {
            // A stored text that is not of its type: the default stands in.
        }
    }
    return typedValue(type->kind, convert(*type, defaultText));
}

bool SettingsStore::contains(const QString& name) const { return findRow(connection_, name).has_value(); }

QString SettingsStore::readText(const QString& name, const QString& defaultText)
{
    return read(name, QStringLiteral("TypeText"), defaultText).toString();
}

qint64 SettingsStore::readInteger(const QString& name, const QString& defaultText)
{
    return read(name, QStringLiteral("TypeInteger"), defaultText).toLongLong();
}

double SettingsStore::readDouble(const QString& name, const QString& defaultText)
{
    return read(name, QStringLiteral("TypeDouble"), defaultText).toDouble();
}

double SettingsStore::readCurrency(const QString& name, const QString& defaultText)
{
    return read(name, QStringLiteral("TypeCurrency"), defaultText).toDouble();
}

bool SettingsStore::readBoolean(const QString& name, const QString& defaultText)
{
    return read(name, QStringLiteral("TypeBoolean"), defaultText).toBool();
}

void WriteSetting(db::Connection& orderDb, const QString& name, const QString& typeName, const QString& value)
{
    SettingsStore(orderDb).write(name, typeName, value);
}

QVariant ReadSetting(db::Connection& orderDb, const QString& name, const QString& typeName, const QString& defaultText)
{
    return SettingsStore(orderDb).read(name, typeName, defaultText);
}

void WritePriceDbSetting(db::Connection& priceDb, const QString& name, const QString& typeName, const QString& value)
{
    SettingsStore(priceDb).write(name, typeName, value);
}

QVariant ReadPriceDbSetting(db::Connection& priceDb, const QString& name, const QString& typeName,
                            const QString& defaultText)
{
    return SettingsStore(priceDb).read(name, typeName, defaultText);
}

} // namespace velmora
