#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

namespace velmora::orders {

// The editors of the line grid: DBEdit_Tovar, DBEdit_PriceOut, the
// quantity list DBComboBox_Quantity (1 to 10, other values typed) and
// DBEdit_Postav. The editor being used is at hand, so that a pending edit
// can be saved before the lines are read again.
class OrderLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // Writes the open editor's text into the model; nothing when none is open.
    void commitOpenEditor();

private:
    mutable QPointer<QWidget> open_;
};

} // namespace velmora::orders
