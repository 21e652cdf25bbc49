#pragma once

#include "connection.h"

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace velmora::db {

// A query object as the windows use it: SQL text held as lines (Jet forms
// are translated when it runs), ":name" parameters set by name, and for a
// statement that returns rows a client-side copy of the result with a
// current row. The statement is finalised as soon as the rows are read, so
// an open query never holds a lock.
//
// A result of a plain "select ... from <one table> ..." can be edited: edit,
// insert or append, setValue, post, remove; each writes through at once.
class Query {
public:
    explicit Query(Connection& connection);

    Connection& connection() const { return *connection_; }

    // SQL text.
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QString& text);
    QString sqlText() const { return lines_.join(u'\n'); }

    // Parameters by name, with or without the leading colon.
    void setParam(const QString& name, const QVariant& value);
    void clearParams();

    // Runs the text and keeps its rows; throws DbError on failure.
    void open();
    void close();
    // Runs a statement that returns no rows; returns the rows it changed.
    int execute();
    bool isOpen() const { return open_; }

    // Navigation over the visible rows (those the filter lets through).
    int rowCount() const { return int(visible_.size()); }
    bool isEmpty() const { return visible_.isEmpty(); }
    bool eof() const { return current_ >= visible_.size(); }
    bool bof() const { return current_ <= 0; }
    int recNo() const { return current_; }
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row);

    // A bookmark is the current position; it stays valid until the next open.
    int bookmark() const;
    void gotoBookmark(int bookmark);

    // Moves to the first row whose fields equal the values (text without
    // case); true when one is found.
    bool locate(const QStringList& fields, const QVariantList& values);

    // A filter hides the rows it rejects; an empty function shows them all.
    using Filter = std::function<bool(const Query&)>;
    void setFilter(Filter filter);

    // Fields of the current row.
    QStringList fieldNames() const { return columns_; }
    bool hasField(const QString& field) const;
    QVariant value(const QString& field) const;
    QString text(const QString& field) const;
    double number(const QString& field) const;
    qint64 integer(const QString& field) const;
    bool flag(const QString& field) const;  // any non-zero, or the text "true"
    QDate date(const QString& field) const; // from a day number

    // Row work on an editable result.
    void edit();
    void insert();
    void append() { insert(); }
    void setValue(const QString& field, const QVariant& value);
    void post();
    void cancel();
    void remove();
    bool isEditing() const { return state_ != State::Browse; }

private:
    enum class State { Browse, Edit, Insert };

    int columnIndex(const QString& field) const;
    const QVector<QVariant>& currentRow() const;
    void rebuildVisible();
    void bindParams(Statement& statement) const;
    QVector<QVariant> readRowByRowid(qint64 rowid);

    Connection* connection_;
    QStringList lines_;
    QHash<QString, QVariant> params_;
    QStringList columns_;
    QHash<QString, int> columnIndex_;
    QVector<QVector<QVariant>> rows_;
    QVector<qint64> rowids_;
    QVector<int> visible_;
    int current_ = 0;
    bool open_ = false;
    Filter filter_;

    QString table_;        // the one table of an editable result
    QString selectList_;   // the select list, to read a posted row back
    State state_ = State::Browse;
    QHash<QString, QVariant> pending_;
};

} // namespace velmora::db
