#include "supplier_selection_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace velmora::search {
namespace {

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

SupplierSelectionPanel::SupplierSelectionPanel(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent)
    : QWidget(parent), priceDb_(priceDb), orderDb_(orderDb)
{
    Panel_SelPostav = named(new QWidget(this), "Panel_SelPostav");
    List_SelPostav = named(new QListWidget(Panel_SelPostav), "List_SelPostav");
    Button_SelectAll = named(new QPushButton(QStringLiteral("Выбрать все "), Panel_SelPostav), "Button_SelectAll");
    Button_SelectNot = named(new QPushButton(QStringLiteral("Убрать выделение"), Panel_SelPostav), "Button_SelectNot");
    ComboBox_SelectTemplate = named(new QComboBox(Panel_SelPostav), "ComboBox_SelectTemplate");
    Button_SelPostavUpdate = named(new QPushButton(QStringLiteral("Отобрать"), Panel_SelPostav), "Button_SelPostavUpdate");
    BitBtn5 = named(new QToolButton(Panel_SelPostav), "BitBtn5");
    BitBtn5->setText(QStringLiteral("..."));
    BitBtn5->setToolTip(QStringLiteral("Настройка шаблонов"));
    auto* sel = new QVBoxLayout(Panel_SelPostav);
    sel->addWidget(List_SelPostav, 1);
    auto* allRow = new QHBoxLayout;
    allRow->addWidget(Button_SelectAll);
    allRow->addWidget(Button_SelectNot);
    sel->addLayout(allRow);
    sel->addWidget(new QLabel(QStringLiteral("Шаблоны выборки"), Panel_SelPostav));
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(ComboBox_SelectTemplate, 1);
    templateRow->addWidget(BitBtn5);
    sel->addLayout(templateRow);
    sel->addWidget(Button_SelPostavUpdate);

    Panel_TemplateSetup = named(new QWidget(this), "Panel_TemplateSetup");
    ComboBox_TempSel = named(new QComboBox(Panel_TemplateSetup), "ComboBox_TempSel");
    BitBtn_TempAdd = named(new QToolButton(Panel_TemplateSetup), "BitBtn_TempAdd");
    BitBtn_TempAdd->setText(QStringLiteral("+"));
    BitBtn_TempAdd->setToolTip(QStringLiteral("Добавить шаблон"));
    BitBtn_TempDel = named(new QToolButton(Panel_TemplateSetup), "BitBtn_TempDel");
    BitBtn_TempDel->setText(QStringLiteral("-"));
    BitBtn_TempDel->setToolTip(QStringLiteral("Удалить шаблон"));
    CheckListBox_TempPostav = named(new QListWidget(Panel_TemplateSetup), "CheckListBox_TempPostav");
    Button_TempSave = named(new QPushButton(QStringLiteral("Сохранить настройки"), Panel_TemplateSetup), "Button_TempSave");
    GroupBox_TempAdd = named(new QGroupBox(Panel_TemplateSetup), "GroupBox_TempAdd");
    Edit_TempSel = named(new QLineEdit(GroupBox_TempAdd), "Edit_TempSel");
    Button_TempAdd = named(new QPushButton(QStringLiteral("Добавить шаблон"), GroupBox_TempAdd), "Button_TempAdd");
    Button9 = named(new QPushButton(QStringLiteral("X"), GroupBox_TempAdd), "Button9");
    auto* add = new QGridLayout(GroupBox_TempAdd);
    add->addWidget(new QLabel(QStringLiteral("Введите название:"), GroupBox_TempAdd), 0, 0, 1, 2);
    add->addWidget(Edit_TempSel, 1, 0, 1, 2);
    add->addWidget(Button_TempAdd, 2, 0);
    add->addWidget(Button9, 2, 1);
    auto* setup = new QVBoxLayout(Panel_TemplateSetup);
    setup->addWidget(new QLabel(QStringLiteral("Выбор шаблона"), Panel_TemplateSetup));
    auto* chooseRow = new QHBoxLayout;
    chooseRow->addWidget(ComboBox_TempSel, 1);
    chooseRow->addWidget(BitBtn_TempAdd);
    chooseRow->addWidget(BitBtn_TempDel);
    setup->addLayout(chooseRow);
    setup->addWidget(GroupBox_TempAdd);
    setup->addWidget(CheckListBox_TempPostav, 1);
    setup->addWidget(Button_TempSave);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel_TemplateSetup);
    layout->addWidget(Panel_SelPostav);
    // Both open from "*" (SpeedButton_AllPostavClick).
    Panel_SelPostav->hide();
    Panel_TemplateSetup->hide();
    GroupBox_TempAdd->hide();

    connect(List_SelPostav, &QListWidget::itemChanged, this, &SupplierSelectionPanel::supplierTicked);
    connect(Button_SelectAll, &QPushButton::clicked, this, &SupplierSelectionPanel::Button_SelectAllClick);
    connect(Button_SelectNot, &QPushButton::clicked, this, &SupplierSelectionPanel::Button_SelectNotClick);
    connect(Button_SelPostavUpdate, &QPushButton::clicked, this, &SupplierSelectionPanel::Button_SelPostavUpdateClick);
    connect(BitBtn5, &QToolButton::clicked, this, &SupplierSelectionPanel::BitBtn5Click);
    connect(BitBtn_TempAdd, &QToolButton::clicked, this, &SupplierSelectionPanel::BitBtn_TempAddClick);
    connect(BitBtn_TempDel, &QToolButton::clicked, this, &SupplierSelectionPanel::BitBtn_TempDelClick);
    connect(Button_TempAdd, &QPushButton::clicked, this, &SupplierSelectionPanel::Button_TempAddClick);
    connect(Button9, &QPushButton::clicked, this, &SupplierSelectionPanel::Button9Click);
    connect(Button_TempSave, &QPushButton::clicked, this, &SupplierSelectionPanel::Button_TempSaveClick);
    // User choices only: filling the lists must not load templates.
    connect(ComboBox_SelectTemplate, &QComboBox::activated, this, &SupplierSelectionPanel::ComboBox_SelectTemplateChange);
    connect(ComboBox_TempSel, &QComboBox::activated, this, &SupplierSelectionPanel::ComboBox_TempSelChange);
    reloadSuppliers();
}

void SupplierSelectionPanel::reloadSuppliers()
{
    filling_ = true;
    List_SelPostav->clear();
    for (const SupplierEntry& e : listSuppliers(priceDb_)) {
        auto* item = new QListWidgetItem(e.name, List_SelPostav);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(e.visible ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, e.id);
    }
    filling_ = false;
}

void SupplierSelectionPanel::supplierTicked(QListWidgetItem* item)
{
    if (filling_)
        return;
    setSupplierVisible(priceDb_, item->data(Qt::UserRole).toInt(), item->checkState() == Qt::Checked);
    // The list stays open for more ticks; the goods are searched once, when
    // it closes.
    ticksPending_ = true;
}

void SupplierSelectionPanel::hidePanels()
{
    Panel_SelPostav->hide();
    Panel_TemplateSetup->hide();
    ticksPending_ = false; // whoever closes them searches
}

void SupplierSelectionPanel::FillTemplateLists(const QString& templateName)
{
    const QStringList names = templateNames(orderDb_);
    const int index = templateIndexFor(names, templateName);
    for (QComboBox* box : {ComboBox_SelectTemplate, ComboBox_TempSel}) {
        box->clear();
        box->addItems(names);
        box->setCurrentIndex(index);
    }
}

void SupplierSelectionPanel::ShowSelectionTemplate(QString templateName)
{
    if (templateName.isEmpty()) {
        if (ComboBox_SelectTemplate->count() > 0) {
            if (ComboBox_SelectTemplate->currentIndex() < 0)
                ComboBox_SelectTemplate->setCurrentIndex(0);
        } else {
            ComboBox_SelectTemplate->addItem(kDefaultTemplateName);
            ComboBox_SelectTemplate->setCurrentIndex(0);
            ComboBox_TempSel->clear();
            ComboBox_TempSel->addItem(kDefaultTemplateName);
            ComboBox_TempSel->setCurrentIndex(0);
        }
        templateName = ComboBox_SelectTemplate->currentText();
    }
    templateSuppliers_ = templateSuppliers(orderDb_, templateName);
    CheckListBox_TempPostav->clear();
    for (const SupplierEntry& e : listSuppliers(priceDb_)) {
        auto* item = new QListWidgetItem(e.name, CheckListBox_TempPostav);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(templateSuppliers_.contains(e.name) ? Qt::Checked : Qt::Unchecked);
    }
}

void SupplierSelectionPanel::SpeedButton_AllPostavClick()
{
    const bool closing = !Panel_SelPostav->isHidden();
    Panel_SelPostav->setVisible(!closing);
    FillTemplateLists(ComboBox_SelectTemplate->currentText());
    Panel_TemplateSetup->hide();
    reloadSuppliers();
    if (closing && std::exchange(ticksPending_, false))
        emit selectionChanged();
}

void SupplierSelectionPanel::Button_SelectAllClick()
{
    setAllSuppliersVisible(priceDb_, true);
    reloadSuppliers();
    hidePanels();
    emit selectionChanged();
}

void SupplierSelectionPanel::Button_SelectNotClick()
{
    setAllSuppliersVisible(priceDb_, false);
    reloadSuppliers();
    hidePanels();
    emit selectionChanged();
}

void SupplierSelectionPanel::Button_SelPostavUpdateClick()
{
    const QString name = ComboBox_SelectTemplate->currentIndex() >= 0 ? ComboBox_SelectTemplate->currentText() : QString();
    if (!name.isEmpty()) {
        applyTemplate(priceDb_, orderDb_, name);
        ShowSelectionTemplate(name);
    }
    reloadSuppliers();
    hidePanels();
    emit selectionChanged();
}

void SupplierSelectionPanel::BitBtn5Click()
{
    Panel_TemplateSetup->show();
    GroupBox_TempAdd->hide();
    ShowSelectionTemplate(ComboBox_SelectTemplate->currentText());
}

void SupplierSelectionPanel::BitBtn_TempAddClick()
{
    Edit_TempSel->clear();
    GroupBox_TempAdd->show();
}

void SupplierSelectionPanel::Button9Click() { GroupBox_TempAdd->hide(); }

void SupplierSelectionPanel::Button_TempAddClick()
{
    const QString name = Edit_TempSel->text().trimmed();
    if (!name.isEmpty()) {
        for (QComboBox* box : {ComboBox_TempSel, ComboBox_SelectTemplate}) {
            box->addItem(name);
            box->setCurrentIndex(box->count() - 1);
        }
    }
    GroupBox_TempAdd->hide();
}

void SupplierSelectionPanel::Button_TempSaveClick()
{
    if (GroupBox_TempAdd->isVisible() && !Edit_TempSel->text().trimmed().isEmpty()) {
        ComboBox_TempSel->addItem(Edit_TempSel->text().trimmed());
        ComboBox_TempSel->setCurrentIndex(ComboBox_TempSel->count() - 1);
    }
    GroupBox_TempAdd->hide();
    const QString name = ComboBox_TempSel->currentText();
    if (name.isEmpty())
        return;
    QStringList ticked;
    for (int i = 0; i < CheckListBox_TempPostav->count(); ++i) {
        if (CheckListBox_TempPostav->item(i)->checkState() == Qt::Checked)
            ticked << CheckListBox_TempPostav->item(i)->text();
    }
    saveTemplate(orderDb_, name, ticked);
    if (CheckListBox_TempPostav->count() > 0)
        CheckListBox_TempPostav->setCurrentRow(0);
    Panel_TemplateSetup->hide();
    // The lists show what is stored: a template saved empty is gone.
    FillTemplateLists(name);
    ShowSelectionTemplate(name);
}

void SupplierSelectionPanel::BitBtn_TempDelClick()
{
    const int index = ComboBox_TempSel->currentIndex();
    if (index < 0)
        return;
    QString name = ComboBox_TempSel->currentText();
    if (ask_ && ask_(QStringLiteral("Удалить шаблон \"%1\"?").arg(name))) {
        QStringList before;
        for (int i = 0; i < ComboBox_TempSel->count(); ++i)
            before << ComboBox_TempSel->itemText(i);
        deleteTemplate(orderDb_, name);
        name = templateAfterDelete(before, index);
    }
    FillTemplateLists(name);
    ShowSelectionTemplate(name);
}

void SupplierSelectionPanel::ComboBox_SelectTemplateChange()
{
    if (ComboBox_SelectTemplate->currentIndex() < ComboBox_TempSel->count())
        ComboBox_TempSel->setCurrentIndex(ComboBox_SelectTemplate->currentIndex());
}

void SupplierSelectionPanel::ComboBox_TempSelChange() { ShowSelectionTemplate(ComboBox_TempSel->currentText()); }

} // namespace velmora::search
