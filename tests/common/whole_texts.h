#pragma once

// What a user sees of a window's texts: every label, check box, radio
// button, button, tab, group title and header section shown whole, the
// window inside the screen and wide enough for its title, no control
// outside the window or squeezed below the width it needs. Each finding is
// a line naming the window, the control and what it shows against what it
// needs, so a failing case says where to look.

#include "app/screen_fit.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>
#include <QWidget>
#include <QWindow>

namespace velmora::testing {

inline QString shownText(QString text)
{
    // "&&" shows one ampersand, a single "&" marks the shortcut letter.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

inline int widestLine(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

inline QString nameOf(const QWidget* widget)
{
    const QString name = widget->objectName();
    return QString::fromLatin1(widget->metaObject()->className()) + (name.isEmpty() ? QString() : u' ' + name);
}

// Inside a scrolling area a control may lie outside what is shown: the
// user scrolls to it.
inline bool insideScrollingArea(const QWidget* widget, const QWidget* window)
{
    for (const QWidget* w = widget->parentWidget(); w && w != window; w = w->parentWidget()) {
        if (const auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget()); area && area->viewport() == w)
            return true;
    }
    return false;
}

// The sections of a horizontal header (all of them, or those named).
inline void checkHeader(const QHeaderView* header, const QString& where, QStringList& found,
                        const QList<int>& only = {})
{
    const QAbstractItemModel* model = header->model();
    if (!model || header->orientation() != Qt::Horizontal)
        return;
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section) || header->sectionSize(section) <= 0
            || (!only.isEmpty() && !only.contains(section)))
            continue;
        const QString text = model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
        QFont font = header->font();
        if (const QVariant f = model->headerData(section, Qt::Horizontal, Qt::FontRole); f.isValid())
            font = f.value<QFont>();
        const int need = widestLine(QFontMetrics(font), text) + 2 * margin;
        if (!text.isEmpty() && need > header->sectionSize(section))
            found << QStringLiteral("%1: header of %2, section \"%3\" %4 of %5")
                         .arg(where, nameOf(header->parentWidget()), text)
                         .arg(header->sectionSize(section))
                         .arg(need);
    }
}

inline void checkTabs(const QTabBar* bar, const QString& where, QStringList& found)
{
    int right = 0;
    for (int i = 0; i < bar->count(); ++i) {
        if (!bar->isTabVisible(i))
            continue;
        const QRect rect = bar->tabRect(i);
        right = std::max(right, rect.right());
        const QString text = shownText(bar->tabText(i));
        const int need = bar->fontMetrics().horizontalAdvance(text);
        if (rect.width() < need)
            found << QStringLiteral("%1: tab \"%2\" %3 of %4").arg(where, text).arg(rect.width()).arg(need);
    }
    if (right >= bar->width())
        found << QStringLiteral("%1: tabs of %2 need %3, shown %4 (scroll arrows)")
                     .arg(where, nameOf(bar->parentWidget()))
                     .arg(right + 1)
                     .arg(bar->width());
}

// The text room a button's style gives it: where the style draws its text
// (and icon).
inline int buttonTextRoom(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    int room = button->width() - 4;
    if (qobject_cast<const QCheckBox*>(button))
        room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
    else if (qobject_cast<const QRadioButton*>(button))
        room = button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width();
    else if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    if (!button->icon().isNull() && !qobject_cast<const QCheckBox*>(button) && !qobject_cast<const QRadioButton*>(button))
        room -= button->iconSize().width() + 4;
    return room;
}

// Every finding of one window (shown, its layout settled).
inline QStringList textsCutIn(QWidget* window)
{
    QStringList found;
    const QString where = window->windowTitle().isEmpty() ? nameOf(window) : window->windowTitle();

    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect free = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    if (!free.contains(frame))
        found << QStringLiteral("%1: frame %2,%3 %4x%5 outside the screen's %6x%7")
                     .arg(where)
                     .arg(frame.x())
                     .arg(frame.y())
                     .arg(frame.width())
                     .arg(frame.height())
                     .arg(free.width())
                     .arg(free.height());
    if (window->size().width() < window->minimumSize().width() || window->height() < window->minimumSize().height())
        found << QStringLiteral("%1: below its minimum size").arg(where);
    if (!window->windowTitle().isEmpty() && !(window->windowFlags() & Qt::FramelessWindowHint)) {
        const int need = titleBarWidth(window->windowTitle());
        if (window->width() < need && window->maximumWidth() >= need)
            found << QStringLiteral("%1: title needs %2, window %3").arg(where).arg(need).arg(window->width());
    }

    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        const QRect inWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
        if (!insideScrollingArea(widget, window) && !window->rect().contains(inWindow) && widget->width() > 0)
            found << QStringLiteral("%1: %2 at %3,%4 %5x%6 outside the window %7x%8")
                         .arg(where, nameOf(widget))
                         .arg(inWindow.x())
                         .arg(inWindow.y())
                         .arg(inWindow.width())
                         .arg(inWindow.height())
                         .arg(window->width())
                         .arg(window->height());

        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QString text = label->text();
            if (text.isEmpty() || label->wordWrap())
                continue;
            if (Qt::mightBeRichText(text)) {
                QTextDocument document;
                document.setHtml(text);
                text = document.toPlainText();
            }
            const int need = widestLine(label->fontMetrics(), shownText(text)) + 2 * label->margin();
            if (need > label->contentsRect().width())
                found << QStringLiteral("%1: label \"%2\" %3 of %4").arg(where, text).arg(label->contentsRect().width()).arg(need);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const QString text = shownText(button->text());
            if (text.isEmpty())
                continue;
            const int need = widestLine(button->fontMetrics(), text);
            const int room = buttonTextRoom(button);
            if (need > room)
                found << QStringLiteral("%1: %2 \"%3\" %4 of %5")
                             .arg(where, QString::fromLatin1(button->metaObject()->className()), text)
                             .arg(room)
                             .arg(need);
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            const int need = box->fontMetrics().horizontalAdvance(shownText(box->title())) + 16;
            if (!box->title().isEmpty() && need > box->width())
                found << QStringLiteral("%1: group \"%2\" %3 of %4").arg(where, box->title()).arg(box->width()).arg(need);
        } else if (auto* bar = qobject_cast<QTabBar*>(widget)) {
            checkTabs(bar, where, found);
        } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
            checkHeader(header, where, found);
        } else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget)
                   || qobject_cast<QComboBox*>(widget)) {
            // A box inside a combo box or spin box is its part: the owner counts.
            if (qobject_cast<QComboBox*>(widget->parentWidget()) || qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
                continue;
            // Room for a few characters at least, whatever its layout allows.
            const int need = std::max(widget->minimumSizeHint().width(), 6 * widget->fontMetrics().averageCharWidth());
            if (widget->width() < need)
                found << QStringLiteral("%1: %2 squeezed to %3 of %4").arg(where, nameOf(widget)).arg(widget->width()).arg(need);
        }
    }
    return found;
}

} // namespace velmora::testing
