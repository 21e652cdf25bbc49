#pragma once

// Controls made in code under their names (objectName), as the order
// windows lay them out, and what their file dialogs show.

#include <QPushButton>
#include <QString>
#include <QToolButton>

namespace velmora::orders {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

inline QPushButton* pushButton(const char* name, const QString& caption, QWidget* parent)
{
    return named(new QPushButton(caption, parent), name);
}

// A small tool button; the caption is also its hint.
inline QToolButton* speedButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(caption);
    button->setToolTip(caption);
    return button;
}

// The file dialogs' filter of the order windows' workbooks.
inline const QString kExcelFileFilter = QStringLiteral("Файлы Excel (*.xls *.xlsx);;Все файлы (*)");

} // namespace velmora::orders
