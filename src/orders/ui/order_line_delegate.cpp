#include "orders/ui/order_line_delegate.h"

#include "orders/ui/order_lines_model.h"

#include <QComboBox>
#include <QLineEdit>

namespace velmora::orders {

QWidget* OrderLineDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    QWidget* editor = nullptr;
    switch (index.column()) {
    case OrderLinesModel::Quantity: {
        auto* quantity = new QComboBox(parent);
        quantity->setObjectName(QStringLiteral("DBComboBox_Quantity"));
        quantity->setEditable(true);
        for (int n = 1; n <= 10; ++n)
            quantity->addItem(QString::number(n));
        editor = quantity;
        break;
    }
    case OrderLinesModel::Tovar:
    case OrderLinesModel::PriceOut:
    case OrderLinesModel::Postavshik: {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(index.column() == OrderLinesModel::Tovar      ? QStringLiteral("DBEdit_Tovar")
                            : index.column() == OrderLinesModel::PriceOut ? QStringLiteral("DBEdit_PriceOut")
                                                                          : QStringLiteral("DBEdit_Postav"));
        edit->setMaxLength(index.column() == OrderLinesModel::Tovar ? 200 : 100);
        editor = edit;
        break;
    }
    default: return QStyledItemDelegate::createEditor(parent, option, index);
    }
    open_ = editor;
    return editor;
}

void OrderLineDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        combo->setCurrentText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(editor))
        edit->setText(text);
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void OrderLineDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        model->setData(index, combo->currentText());
    else if (auto* edit = qobject_cast<QLineEdit*>(editor))
        model->setData(index, edit->text());
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

void OrderLineDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (open_ == editor)
        open_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void OrderLineDelegate::commitOpenEditor()
{
    if (open_)
        emit commitData(open_);
}

} // namespace velmora::orders
