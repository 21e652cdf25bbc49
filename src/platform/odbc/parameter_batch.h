#pragma once

#include <QString>

#include <vector>

namespace velmora::odbc {

enum class ParameterType { Integer, Double, Text };

// Rows of parameter values, sent to a prepared statement as one parameter
// array (Statement::execute). Rows are filled one at a time: set each
// column, then endRow(). Texts are sent as Unicode at their full length, so
// a value the server's column cannot hold reaches the server, which refuses
// it in strict mode, rather than being cut here.
//
//   ParameterBatch rows({ParameterType::Text, ParameterType::Double});
//   for (...) {
//       rows.setText(0, name).setDouble(1, price).endRow();
//       if (rows.isFull()) { insert.execute(rows); rows.clear(); }
//   }
//   if (rows.size() > 0) insert.execute(rows);
class ParameterBatch {
public:
    explicit ParameterBatch(std::vector<ParameterType> columns, int capacity = 1000);

    // Values of the row being filled; a column left unset is NULL.
    ParameterBatch& setInt(int column, qint64 value);
    ParameterBatch& setDouble(int column, double value);
    ParameterBatch& setText(int column, const QString& value);
    ParameterBatch& setNull(int column);
    void endRow();

    int size() const { return rows_; }
    int capacity() const { return capacity_; }
    bool isFull() const { return rows_ >= capacity_; }
    void clear();

    int columnCount() const { return int(columns_.size()); }
    ParameterType type(int column) const { return columns_[column].type; }

private:
    friend class Statement;

    struct Column {
        ParameterType type;
        std::vector<qint64> integers;
        std::vector<double> doubles;
        std::vector<QString> texts;
        std::vector<bool> isNull;
    };

    Column& current(int column, ParameterType type);

    std::vector<Column> columns_;
    int capacity_;
    int rows_ = 0;
};

} // namespace velmora::odbc
