#include "form_postav_del.h"

#include "supplier_setup.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::catalogue {

Form_PostavDel::Form_PostavDel(db::Connection& priceDb, Question ask, MessageSink tell, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), ask_(std::move(ask)), tell_(std::move(tell))
{
    setObjectName(QStringLiteral("Form_PostavDel"));
    prompt_ = new QLabel(this);
    suppliers_ = new QComboBox(this);
    suppliers_->setObjectName(QStringLiteral("ComboBox_PostavDel"));
    newName_ = new QLineEdit(this);
    newName_->setObjectName(QStringLiteral("Edit_NewPostavshik"));
    button_ = new QPushButton(this);
    button_->setObjectName(QStringLiteral("Button_PostavDel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(suppliers_);
    layout->addWidget(newName_);
    layout->addWidget(button_);
    setMode(mode_);
    connect(button_, &QPushButton::clicked, this, &Form_PostavDel::Button_PostavDelClick);
}

void Form_PostavDel::setMode(const QString& mode)
{
    mode_ = mode;
    const bool deleting = mode == QLatin1String("DEL");
    setWindowTitle(deleting ? QStringLiteral("Удаление поставщика") : QStringLiteral("Изменение названия поставщика"));
    prompt_->setText(deleting ? QStringLiteral("Укажите удаляемого поставщика")
                              : QStringLiteral("Укажите старое и новое имя поставщика"));
    button_->setText(deleting ? QStringLiteral("Удалить поставщика !") : QStringLiteral("Переименовать !"));
    newName_->setVisible(!deleting);
}

void Form_PostavDel::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Form_PostavDel::prepare()
{
    emit aboutToShow();
    suppliers_->clear();
    suppliers_->addItems(loadingSupplierNames(priceDb_, false));
    suppliers_->setCurrentIndex(-1);
    newName_->clear();
}

void Form_PostavDel::Button_PostavDelClick()
{
    const QString supplier = suppliers_->currentText();
    if (supplier.isEmpty())
        return;
    if (mode_ == QLatin1String("DEL")) {
        if (!(ask_ && ask_(deleteSupplierQuestion())))
            return;
        deleteLoadingSupplier(priceDb_, supplier);
    } else if (renameLoadingSupplier(priceDb_, supplier, newName_->text().trimmed(), ask_, tell_)
               == SupplierRename::Refused) {
        return;
    }
    emit suppliersChanged();
    accept();
}

} // namespace velmora::catalogue
