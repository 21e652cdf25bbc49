#pragma once

#include "supplier_edit.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::catalogue {

// "Удаление поставщика", or in the mode "Rename" "Изменение названия
// поставщика": a supplier of the older loading windows deleted or renamed
// in every matching table.
class Form_PostavDel : public QDialog {
    Q_OBJECT
public:
    Form_PostavDel(db::Connection& priceDb, Question ask, MessageSink tell, QWidget* parent = nullptr);

    // "DEL" deletes; any other mode renames.
    void setMode(const QString& mode);
    QString mode() const { return mode_; }

    // Shown: the suppliers read, the choice and the new name empty.
    void prepare();

public slots:
    void Button_PostavDelClick();

signals:
    // Shown: the main window closes its correspondence and result lists.
    void aboutToShow();
    // The supplier's rows changed.
    void suppliersChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    db::Connection& priceDb_;
    Question ask_;
    MessageSink tell_;
    QString mode_ = QStringLiteral("DEL");
    QLabel* prompt_;
    QComboBox* suppliers_;
    QLineEdit* newName_;
    QPushButton* button_;
};

} // namespace velmora::catalogue
