#include "query.h"

#include "day_numbers.h"
#include "db_error.h"
#include "jet_dialect.h"

#include <QRegularExpression>

namespace velmora::db {
namespace {

const QString kRowidColumn = QStringLiteral("__velmora_rowid");

QString paramKey(const QString& name)
{
    return (name.startsWith(u':') ? name.mid(1) : name).toLower();
}

QString quoted(const QString& identifier)
{
    return u'"' + QString(identifier).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

Query::Query(Connection& connection) : connection_(&connection) {}

void Query::clearSql() { lines_.clear(); }

void Query::addSql(const QString& line) { lines_ << line; }

void Query::setSql(const QString& text) { lines_ = QStringList{text}; }

void Query::setParam(const QString& name, const QVariant& value) { params_.insert(paramKey(name), value); }

void Query::clearParams() { params_.clear(); }

void Query::bindParams(Statement& statement) const
{
    for (int i = 1; i <= statement.parameterCount(); ++i) {
        const QString name = statement.parameterName(i);
        const auto it = params_.constFind(paramKey(name));
        if (it == params_.constEnd())
            throw DbError(QStringLiteral("Параметр %1 не задан\n%2").arg(name, statement.sql()));
        statement.bind(i, *it);
    }
}

void Query::open()
{
    close();
    QString sql = translateJetSql(sqlText());

    // A plain select of one table is editable: read each row's rowid too.
    static const QRegularExpression singleTable(
        QStringLiteral(R"(^\s*select\s+(?!distinct\b)([^()]*?)\s+from\s+\[?(\w+)\]?(?=\s|;|$)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression notPlain(QStringLiteral(R"(^\s*,|\bjoin\b|\bunion\b|\bgroup\s+by\b)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = singleTable.match(sql);
    if (match.hasMatch() && !notPlain.match(match.captured(3)).hasMatch()) {
        table_ = match.captured(2);
        selectList_ = match.captured(1);
        sql = QStringLiteral("select %1, %2.rowid AS %3 from %2%4")
                  .arg(selectList_, quoted(table_), kRowidColumn, match.captured(3));
    }

    Statement statement = connection_->prepare(sql);
    bindParams(statement);
    const int count = statement.columnCount();
    const int dataColumns = table_.isEmpty() ? count : count - 1;
    for (int c = 0; c < dataColumns; ++c) {
        columns_ << statement.columnName(c);
        columnIndex_.insert(columns_.last().toLower(), c);
    }
    while (statement.step()) {
        QVector<QVariant> row(dataColumns);
        for (int c = 0; c < dataColumns; ++c)
            row[c] = statement.value(c);
        rows_.push_back(std::move(row));
        if (!table_.isEmpty())
            rowids_.push_back(statement.integer(dataColumns));
    }
    open_ = true;
    rebuildVisible();
}

void Query::close()
{
    open_ = false;
    columns_.clear();
    columnIndex_.clear();
    rows_.clear();
    rowids_.clear();
    visible_.clear();
    current_ = 0;
    table_.clear();
    selectList_.clear();
    state_ = State::Browse;
    pending_.clear();
}

int Query::execute()
{
    close();
    Statement statement = connection_->prepare(translateJetSql(sqlText()));
    bindParams(statement);
    statement.execute();
    return connection_->changes();
}

void Query::rebuildVisible()
{
    visible_.clear();
    visible_.reserve(rows_.size());
    for (int i = 0; i < rows_.size(); ++i) {
        visible_.push_back(i);
        if (filter_) {
            // The filter reads the candidate row as the current one.
            current_ = int(visible_.size()) - 1;
            if (!filter_(*this))
                visible_.pop_back();
        }
    }
    current_ = 0;
}

void Query::setFilter(Filter filter)
{
    filter_ = std::move(filter);
    if (open_)
        rebuildVisible();
}

void Query::first() { current_ = 0; }

void Query::next()
{
    if (current_ < visible_.size())
        ++current_;
}

void Query::prior()
{
    if (current_ > 0)
        --current_;
}

void Query::last() { current_ = visible_.isEmpty() ? 0 : int(visible_.size()) - 1; }

void Query::moveTo(int row) { current_ = std::clamp(row, 0, int(visible_.size())); }

int Query::bookmark() const { return eof() ? -1 : visible_[current_]; }

void Query::gotoBookmark(int bookmark)
{
    const int at = int(visible_.indexOf(bookmark));
    if (at >= 0)
        current_ = at;
}

int Query::columnIndex(const QString& field) const
{
    const auto it = columnIndex_.constFind(field.toLower());
    if (it == columnIndex_.constEnd())
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    return *it;
}

bool Query::hasField(const QString& field) const { return columnIndex_.contains(field.toLower()); }

const QVector<QVariant>& Query::currentRow() const
{
    if (eof())
        throw DbError(QStringLiteral("Нет текущей записи"));
    return rows_[visible_[current_]];
}

bool Query::locate(const QStringList& fields, const QVariantList& values)
{
    QVector<int> indexes;
    for (const QString& field : fields)
        indexes << columnIndex(field);
    for (int v = 0; v < visible_.size(); ++v) {
        const auto& row = rows_[visible_[v]];
        bool all = true;
        for (int f = 0; f < indexes.size() && all; ++f) {
            const QVariant& have = row[indexes[f]];
            const QVariant& want = values.value(f);
            if (have.typeId() == QMetaType::QString || want.typeId() == QMetaType::QString)
                all = have.toString().compare(want.toString(), Qt::CaseInsensitive) == 0;
            else
                all = have == want;
        }
        if (all) {
            current_ = v;
            return true;
        }
    }
    return false;
}

QVariant Query::value(const QString& field) const
{
    const int column = columnIndex(field);
    if (state_ != State::Browse) {
        const auto it = pending_.constFind(columns_[column].toLower());
        if (it != pending_.constEnd())
            return *it;
        if (state_ == State::Insert)
            return QVariant();
    }
    return currentRow()[column];
}

QString Query::text(const QString& field) const { return value(field).toString(); }

double Query::number(const QString& field) const
{
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QString)
        return QString(v.toString()).replace(u',', u'.').toDouble();
    return v.toDouble();
}

qint64 Query::integer(const QString& field) const { return value(field).toLongLong(); }

bool Query::flag(const QString& field) const
{
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0
            || v.toString().trimmed() == QStringLiteral("-1") || v.toString().trimmed() == QStringLiteral("1");
    return v.toDouble() != 0;
}

QDate Query::date(const QString& field) const
{
    const QVariant v = value(field);
    return v.isNull() ? QDate() : dateFromDayNumber(v.toDouble());
}

void Query::edit()
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("Набор данных нельзя изменить: ") + sqlText());
    currentRow();
    state_ = State::Edit;
    pending_.clear();
}

void Query::insert()
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("Набор данных нельзя изменить: ") + sqlText());
    state_ = State::Insert;
    pending_.clear();
}

void Query::setValue(const QString& field, const QVariant& value)
{
    if (state_ == State::Browse)
        throw DbError(QStringLiteral("Набор данных не в режиме правки"));
    const QString key = hasField(field) ? columns_[columnIndex(field)] : field;
    pending_.insert(key.toLower(), value);
}

void Query::cancel()
{
    state_ = State::Browse;
    pending_.clear();
}

QVector<QVariant> Query::readRowByRowid(qint64 rowid)
{
    Statement statement = connection_->prepare(
        QStringLiteral("select %1 from %2 where rowid=?1").arg(selectList_, quoted(table_)));
    statement.bindInt(1, rowid);
    QVector<QVariant> row(columns_.size());
    if (statement.step())
        for (int c = 0; c < columns_.size() && c < statement.columnCount(); ++c)
            row[c] = statement.value(c);
    return row;
}

void Query::post()
{
    if (state_ == State::Browse)
        return;
    QStringList names;
    QVariantList values;
    for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it) {
        const int column = hasField(it.key()) ? columnIndex(it.key()) : -1;
        names << (column >= 0 ? columns_[column] : it.key());
        values << it.value();
    }
    if (state_ == State::Edit) {
        const int rowIndex = visible_[current_];
        if (!names.isEmpty()) {
            QStringList sets;
            for (int i = 0; i < names.size(); ++i)
                sets << quoted(names[i]) + QStringLiteral("=?") + QString::number(i + 1);
            Statement statement = connection_->prepare(QStringLiteral("update %1 set %2 where rowid=?%3")
                                                           .arg(quoted(table_), sets.join(u','))
                                                           .arg(names.size() + 1));
            for (int i = 0; i < values.size(); ++i)
                statement.bind(i + 1, values[i]);
            statement.bindInt(int(names.size()) + 1, rowids_[rowIndex]);
            statement.execute();
            rows_[rowIndex] = readRowByRowid(rowids_[rowIndex]);
        }
    } else {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values").arg(quoted(table_));
        } else {
            QStringList quotedNames, marks;
            for (int i = 0; i < names.size(); ++i) {
                quotedNames << quoted(names[i]);
                marks << u'?' + QString::number(i + 1);
            }
            sql = QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(quoted(table_), quotedNames.join(u','), marks.join(u','));
        }
        Statement statement = connection_->prepare(sql);
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values[i]);
        statement.execute();
        const qint64 rowid = connection_->lastInsertRowId();
        rows_.push_back(readRowByRowid(rowid));
        rowids_.push_back(rowid);
        visible_.push_back(int(rows_.size()) - 1);
        current_ = int(visible_.size()) - 1;
    }
    state_ = State::Browse;
    pending_.clear();
}

void Query::remove()
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("Набор данных нельзя изменить: ") + sqlText());
    currentRow();
    const int rowIndex = visible_[current_];
    Statement statement = connection_->prepare(QStringLiteral("delete from %1 where rowid=?1").arg(quoted(table_)));
    statement.bindInt(1, rowids_[rowIndex]);
    statement.execute();
    rows_.remove(rowIndex);
    rowids_.remove(rowIndex);
    visible_.remove(current_);
    for (int& v : visible_)
        if (v > rowIndex)
            --v;
    current_ = std::min(current_, int(visible_.size()));
}

} // namespace velmora::db
