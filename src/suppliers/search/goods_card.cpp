#include "goods_card.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace velmora::search {

GoodsCard::GoodsCard(ContactsSource contacts, QWidget* parent)
    : QWidget(parent), contacts_(std::move(contacts))
{
    setObjectName(QStringLiteral("Panel_TovarViews"));
    setAutoFillBackground(true);
    openLink_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    auto* grid = new QGridLayout(this);
    // The captions named Label_... carry the user's column titles.
    Edit_ViewsArt = addField(QStringLiteral("Edit_ViewsArt"), QStringLiteral("Артикул"), 0, 0, QStringLiteral("Label_art"));
    Edit_ViewsTovar = addField(QStringLiteral("Edit_ViewsTovar"), QStringLiteral("Товар"), 1, 0, QStringLiteral("Label_Tovar"));
    Edit_ViewsDescription = addField(QStringLiteral("Edit_ViewsDescription"), QStringLiteral("Описание"), 2, 0,
                                     QStringLiteral("Label_Description"));
    Edit_Garant = addField(QStringLiteral("Edit_Garant"), QStringLiteral("Страна"), 3, 0, QStringLiteral("Label_Garant"));
    Edit_Sklad2 = addField(QStringLiteral("Edit_Sklad2"), QStringLiteral("Производит."), 4, 0,
                           QStringLiteral("Label_TextNoName"));
    Edit_Price = addField(QStringLiteral("Edit_Price"), QStringLiteral("Цена"), 0, 2, QStringLiteral("Label_Price"));
    // The purchase price converted to the display currency; the grid's
    // "Цена (пост.)" is the price as the supplier quotes it.
    Edit_PostavPrice = addField(QStringLiteral("Edit_PostavPrice"), QStringLiteral("Закупка"), 1, 2);
    Edit_PostavPriceMax = addField(QStringLiteral("Edit_PostavPriceMax"), QStringLiteral("Цена (розн.)"), 2, 2,
                                   QStringLiteral("Label_Pricemax"));
    Edit_Number = addField(QStringLiteral("Edit_Number"), QStringLiteral("Номер"), 3, 2);
    Edit_PostavSklad = addField(QStringLiteral("Edit_PostavSklad"), QStringLiteral("Склад"), 4, 2, QStringLiteral("Label_Sklad"));
    // Room for a whole name.
    Edit_ViewsTovar->setMinimumWidth(320);
    Edit_ViewsDescription->setMinimumWidth(320);
    Edit_PostavName = addField(QStringLiteral("Edit_PostavName"), QStringLiteral("Поставщик"), 0, 4);
    Edit_tel2 = addField(QStringLiteral("Edit_tel2"), QStringLiteral("тел.:"), 3, 4);
    Edit_mail2 = addField(QStringLiteral("Edit_mail2"), QStringLiteral("e-mail:"), 4, 4);
    Edit_info2 = addField(QStringLiteral("Edit_info2"), QStringLiteral("info:"), 5, 4);
    grid->addWidget(new QLabel(QStringLiteral("сайт:"), this), 1, 4);
    Label_site = new QLabel(this);
    Label_site->setObjectName(QStringLiteral("Label_site"));
    Label_site->setCursor(Qt::PointingHandCursor);
    Label_site->installEventFilter(this);
    grid->addWidget(Label_site, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("web:"), this), 2, 4);
    Label_web = new QLabel(this);
    Label_web->setObjectName(QStringLiteral("Label_web"));
    Label_web->setCursor(Qt::PointingHandCursor);
    Label_web->installEventFilter(this);
    grid->addWidget(Label_web, 2, 5);

    auto* descLink = new QToolButton(this);
    descLink->setObjectName(QStringLiteral("SpeedButton_DescHyperLink"));
    descLink->setText(QStringLiteral("..."));
    grid->addWidget(descLink, 2, 6);
    auto* makerLink = new QToolButton(this);
    makerLink->setObjectName(QStringLiteral("SpeedButton_StranaHyperLink"));
    makerLink->setText(QStringLiteral("..."));
    grid->addWidget(makerLink, 4, 6);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("Button5"));
    close->setText(QStringLiteral("X"));
    grid->addWidget(close, 0, 6);
    grid->addWidget(new QLabel(QStringLiteral("Кол-во"), this), 5, 0);
    ComboBox_Quantity2 = new QComboBox(this);
    ComboBox_Quantity2->setObjectName(QStringLiteral("ComboBox_Quantity2"));
    ComboBox_Quantity2->setEditable(true);
    ComboBox_Quantity2->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= 10; ++n)
        ComboBox_Quantity2->addItem(QString::number(n));
    ComboBox_Quantity2->installEventFilter(this);
    ComboBox_Quantity2->lineEdit()->installEventFilter(this);
    grid->addWidget(ComboBox_Quantity2, 5, 1);
    Button_Zakaz = new QPushButton(QStringLiteral("Добавить в заказ"), this);
    Button_Zakaz->setObjectName(QStringLiteral("Button_Zakaz"));
    grid->addWidget(Button_Zakaz, 5, 2, 1, 2);
    connect(Button_Zakaz, &QPushButton::clicked, this, &GoodsCard::Button_ZakazClick);
    connect(descLink, &QToolButton::clicked, this, &GoodsCard::SpeedButton_DescHyperLinkClick);
    connect(makerLink, &QToolButton::clicked, this, &GoodsCard::SpeedButton_StranaHyperLinkClick);
    connect(close, &QToolButton::clicked, this, &GoodsCard::Button5Click);
    hide();
}

QString GoodsCard::quantityText() const
{
    return ComboBox_Quantity2->currentText();
}

void GoodsCard::resetQuantity()
{
    ComboBox_Quantity2->setCurrentIndex(0);
    ComboBox_Quantity2->setEditText(ComboBox_Quantity2->itemText(0));
}

void GoodsCard::focusQuantity()
{
    ComboBox_Quantity2->setFocus();
    ComboBox_Quantity2->lineEdit()->selectAll();
}

void GoodsCard::Button_ZakazClick()
{
    emit addToOrderRequested();
    hide();
}

bool GoodsCard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched == Label_site) {
        Label_siteClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == Label_web) {
        Label_webClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* label = qobject_cast<QLabel*>(watched); label && titleLabels_.contains(label)) {
            emit columnTitleRenameRequested(label->objectName(), label->text());
            return true;
        }
    }
    // Enter in the quantity list adds the offer; the key goes no further.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button_ZakazClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QLineEdit* GoodsCard::addField(const QString& name, const QString& caption, int row, int column,
                               const QString& labelName)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    auto* label = new QLabel(caption, this);
    if (!labelName.isEmpty()) {
        label->setObjectName(labelName);
        label->setToolTip(QStringLiteral("Двойной щелчок: переименовать колонку"));
        label->installEventFilter(this);
        titleLabels_ << label;
    }
    grid->addWidget(label, row, column);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    grid->addWidget(edit, row, column + 1);
    return edit;
}

void GoodsCard::showOffer(const OfferCard& offer)
{
    offer_ = offer;
    Edit_ViewsArt->setText(offer.art);
    Edit_ViewsTovar->setText(offer.tovar);
    Edit_ViewsDescription->setText(offer.description);
    Edit_Price->setText(offer.priceOut);
    Edit_PostavPrice->setText(offer.price);
    Edit_PostavPriceMax->setText(offer.pricemax);
    Edit_Garant->setText(offer.garant);
    Edit_Sklad2->setText(offer.textNoName);
    Edit_Number->setText(offer.number);
    Edit_PostavName->setText(offer.supplier);
    Edit_PostavSklad->setText(offer.sklad);
    ShowTovarDetails();
}

void GoodsCard::ShowTovarDetails()
{
    Label_site->clear();
    Label_web->clear();
    Edit_tel2->clear();
    Edit_mail2->clear();
    Edit_info2->clear();
    if (!isVisible() || !contacts_ || offer_.supplier.isEmpty())
        return;
    std::optional<SupplierContacts> found;
    try {
        found = contacts_(offer_.supplier);
    } catch (const std::exception&) {
        return;  // contacts are a courtesy: a failure leaves them empty
    }
    if (!found)
        return;
    Label_site->setText(found->address);
    Label_web->setText(found->person);
    Edit_tel2->setText(found->phones);
    Edit_mail2->setText(found->mail);
    Edit_info2->setText(found->nameFull);
}

void GoodsCard::setColumnTitles(const ColumnTitles& titles)
{
    for (const ColumnTitleSetting& setting : columnTitleSettings()) {
        const QString labelName = columnTitleLabelOf(setting.name);
        for (QLabel* label : titleLabels_)
            if (label->objectName() == labelName)
                label->setText(titles.*setting.title);
    }
}

void GoodsCard::Label_siteClick() { openText(Label_site->text()); }

void GoodsCard::Label_webClick() { openText(Label_web->text()); }

void GoodsCard::SpeedButton_DescHyperLinkClick() { openText(Edit_ViewsDescription->text()); }

void GoodsCard::SpeedButton_StranaHyperLinkClick() { openText(Edit_Sklad2->text()); }

void GoodsCard::openText(const QString& text)
{
    if (text.isEmpty())
        return;
    const std::optional<QUrl> url = linkTarget(text);
    if ((!url || !openLink_(*url)) && reportError_)
        reportError_(kLinkFailedMessage + text);
}

} // namespace velmora::search
