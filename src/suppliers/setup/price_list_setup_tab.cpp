#include "suppliers/setup/price_list_setup_tab.h"

#include "storage/value_helpers.h"
#include "platform/db/day_numbers.h"
#include "storage/settings_store.h"
#include "suppliers/currency/currency_table.h"
#include "suppliers/currency/rate_settings.h"
#include "suppliers/setup/column_picking.h"
#include "suppliers/setup/price_list_settings.h"
#include "suppliers/setup/workbook_sheets.h"
#include "suppliers/tree/contact_card.h"
#include "suppliers/tree/price_lists.h"
#include "suppliers/tree/rename_price_list.h"
#include "suppliers/tree/supplier_commands.h"
#include "suppliers/tree/supplier_tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include "platform/spreadsheet/view/sheet_picker.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QProgressBar>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QToolButton* toolButton(const char* name, const QString& text)
{
    auto* b = named(new QToolButton, name);
    b->setText(text);
    return b;
}

const QString kHistorySuffix = QStringLiteral("_PriceHistoryLoad");

} // namespace

QColor DatesLabelColor(qint64 datesDayNumber, qint64 todayDayNumber)
{
    return todayDayNumber - datesDayNumber < 11 ? QColor(0, 0, 128) : QColor(255, 0, 0);
}

PriceListSetupTab::PriceListSetupTab(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent)
    : QWidget(parent), priceDb_(priceDb), orderDb_(orderDb)
{
    setObjectName(QStringLiteral("TabSheet_PostavSetup"));
    chooseFile_ = [this](const QString& folder) {
        return QFileDialog::getOpenFileName(this, QString(), folder, PriceFileFilter());
    };
    displayCurrency_ = [this] {
        try {
            return priceDb_.isOpen() ? rate_settings::displayIndex(priceDb_) : int(CurrencyRUB);
        } catch (const std::exception&) {
            return int(CurrencyRUB);
        }
    };
    ratesRefreshRunning_ = [] { return false; };
    // The supplier's workbook opens in a window of the main window's own,
    // where the user left it last time.
    picker_ = new sheet::SheetPicker(this, QStringLiteral("PriceExcelApp"), [this](sheet::SheetView* view) {
        restoreSheetViewPlacement(view);
        view->installEventFilter(this);
    });
    buildUi();
    connectUi();
    clearPriceList();
}

PriceListSetupTab::~PriceListSetupTab() = default;

sheet::SheetView* PriceListSetupTab::sheetView() const { return picker_->view(); }

PriceListSetupTab::ColumnSelector PriceListSetupTab::makeSelector(SheetField field, const char* combo, const char* pick,
                                                                  const char* join, bool link)
{
    ColumnSelector s;
    s.field = field;
    s.combo = named(new QComboBox, combo);
    s.combo->addItems(ColumnSelectorItems());
    s.pick = toolButton(pick, QStringLiteral("..."));
    if (join)
        s.join = toolButton(join, QStringLiteral("+"));
    s.mayHoldLink = link;
    return s;
}

void PriceListSetupTab::buildUi()
{
    // The page that holds the tab lets it scroll; the layout is kept low:
    // the list's fields, its contact card and its information side by
    // side, the sheets right under them, the free space below all.
    auto* top = new QVBoxLayout(this);
    auto* upper = new QHBoxLayout;
    top->addLayout(upper);

    // The price list: name, number, file, factor, date and information.
    auto* listBox = named(new QGroupBox(QStringLiteral("Прайс-лист")), "GroupBox_PriceList");
    auto* listForm = new QGridLayout(listBox);
    Edit_PriceList = named(new QLineEdit, "Edit_PriceList");
    Edit_idPostav = named(new QLineEdit, "Edit_idPostav");
    Edit_idPostav->setReadOnly(true);
    Edit_idPostav->setMaximumWidth(50);
    Edit_Path = named(new QLineEdit, "Edit_Path");
    SpeedButton_Path = toolButton("SpeedButton_Path", QStringLiteral("..."));
    Edit_PriceConversion = named(new QLineEdit, "Edit_PriceConversion");
    // Room for a factor such as "1,0625" however narrow the page gets.
    Edit_PriceConversion->setMinimumWidth(10 * Edit_PriceConversion->fontMetrics().averageCharWidth());
    Label_Dates = named(new QLabel, "Label_Dates");
    StaticText_InfoPrice = named(new QLabel, "StaticText_InfoPrice");
    CheckBox_PostavDisable = named(new QCheckBox(QStringLiteral("\"Отключить\" поставщика")), "CheckBox_PostavDisable");
    CheckBox_PriceHistory =
        named(new QCheckBox(QStringLiteral("Хранить историю загруженных прайсов")), "CheckBox_PriceHistory");
    BitBtn2 = named(new QPushButton(QStringLiteral("Открыть файл")), "BitBtn2");
    Button3 = named(new QPushButton(QStringLiteral("Закрыть файл")), "Button3");
    BitBtn_SaveSheet = named(new QPushButton(QStringLiteral("Сохранить")), "BitBtn_SaveSheet");
    ProgressBar_LoadPrice = named(new QProgressBar, "ProgressBar_LoadPrice");
    ProgressBar_LoadPrice->setMaximumWidth(160);
    ProgressBar_LoadPrice->setTextVisible(false);
    ProgressBar_LoadPrice->hide();
    Label_CountLoadTovar = named(new QLabel, "Label_CountLoadTovar");
    listForm->addWidget(new QLabel(QStringLiteral("Название:")), 0, 0);
    listForm->addWidget(Edit_PriceList, 0, 1, 1, 2);
    listForm->addWidget(Edit_idPostav, 0, 3);
    listForm->addWidget(new QLabel(QStringLiteral("Файл:")), 1, 0);
    listForm->addWidget(Edit_Path, 1, 1, 1, 2);
    listForm->addWidget(SpeedButton_Path, 1, 3);
    listForm->addWidget(new QLabel(QStringLiteral("Коэффициент пересчета:")), 2, 0);
    listForm->addWidget(Edit_PriceConversion, 2, 1);
    listForm->addWidget(Label_Dates, 2, 2);
    listForm->addWidget(CheckBox_PostavDisable, 3, 0, 1, 2);
    listForm->addWidget(CheckBox_PriceHistory, 3, 2, 1, 2);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(BitBtn2);
    fileButtons->addWidget(Button3);
    fileButtons->addWidget(ProgressBar_LoadPrice);
    fileButtons->addWidget(Label_CountLoadTovar);
    fileButtons->addStretch();
    fileButtons->addWidget(BitBtn_SaveSheet);
    listForm->addLayout(fileButtons, 4, 0, 1, 4);
    upper->addWidget(listBox, 3);

    // The contact card, or in its place the naming panel of a new list:
    // one stack, so that the form keeps its height when they change places.
    auto* cardOrNaming = named(new QStackedWidget, "Stack_PostavInfo");
    Panel_PostavInfo = named(new QFrame, "Panel_PostavInfo");
    auto* card = new QFormLayout(Panel_PostavInfo);
    Edit_info = named(new QLineEdit, "Edit_info");
    Edit_site = named(new QLineEdit, "Edit_site");
    Edit_web = named(new QLineEdit, "Edit_web");
    Edit_tel = named(new QLineEdit, "Edit_tel");
    Edit_mail = named(new QLineEdit, "Edit_mail");
    card->addRow(QStringLiteral("info:"), Edit_info);
    card->addRow(QStringLiteral("Сайт:"), Edit_site);
    card->addRow(QStringLiteral("Web:"), Edit_web);
    card->addRow(QStringLiteral("Тел.:"), Edit_tel);
    card->addRow(QStringLiteral("e-mail:"), Edit_mail);
    cardOrNaming->addWidget(Panel_PostavInfo);
    Panel4 = named(new QFrame, "Panel4");
    auto* naming = new QHBoxLayout(Panel4);
    auto* namingText = new QLabel(QStringLiteral("Введите название нового прайс-листа в поле \"Название\""));
    namingText->setWordWrap(true);
    naming->addWidget(namingText, 1, Qt::AlignTop);
    Button2 = named(new QToolButton, "Button2");
    Button2->setText(QStringLiteral("X"));
    naming->addWidget(Button2, 0, Qt::AlignTop);
    Panel4->installEventFilter(this);
    cardOrNaming->addWidget(Panel4);
    upper->addWidget(cardOrNaming, 2, Qt::AlignTop);
    StaticText_InfoPrice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    upper->addWidget(StaticText_InfoPrice, 0, Qt::AlignTop);

    // Sheets and their settings.
    auto* sheetBox = named(new QGroupBox(QStringLiteral("Листы")), "GroupBox_Sheets");
    auto* sheetGrid = new QGridLayout(sheetBox);
    DBGrid_PostavPage = named(new QListWidget, "DBGrid_PostavPage");
    DBGrid_PostavPage->setMaximumWidth(180);
    sheetGrid->addWidget(DBGrid_PostavPage, 0, 0, 8, 1);
    Edit_Sheet = named(new QLineEdit, "Edit_Sheet");
    Edit_Sheet->setReadOnly(true);
    Edit_Sheet->installEventFilter(this);
    sheetGrid->addWidget(new QLabel(QStringLiteral("Лист:")), 0, 1);
    sheetGrid->addWidget(Edit_Sheet, 0, 2, 1, 7);
    Panel_SheetEdit = named(new QFrame, "Panel_SheetEdit");
    auto* sheetEdit = new QHBoxLayout(Panel_SheetEdit);
    Edit_SheetEdit = named(new QLineEdit, "Edit_SheetEdit");
    Button_SheetEdit = named(new QPushButton(QStringLiteral("Поменять название")), "Button_SheetEdit");
    Button_SheetDelete = named(new QPushButton(QStringLiteral("Удалить лист")), "Button_SheetDelete");
    sheetEdit->addWidget(Edit_SheetEdit);
    sheetEdit->addWidget(Button_SheetEdit);
    sheetEdit->addWidget(Button_SheetDelete);
    sheetGrid->addWidget(Panel_SheetEdit, 1, 1, 1, 8);

    selectors_ = {
        makeSelector(SheetField::Art, "ComboBox_Art", "Button_SelArt", "Button_SelArtAdd", false),
        makeSelector(SheetField::Tovar, "ComboBox_Tov", "Button_SelName", "Button_SelNameAdd", false),
        makeSelector(SheetField::Price, "ComboBox_Price", "Button_SelMinPrice", nullptr, false),
        makeSelector(SheetField::Pricemax, "ComboBox_PriceMax", "Button_SelMaxPrice", nullptr, false),
        makeSelector(SheetField::Sklad, "ComboBox_sklad", "Button_SelSklad", "Button_SelSkladAdd", false),
        makeSelector(SheetField::Garant, "ComboBox_garant", "Button_SelGarant", "Button_SelGarantAdd", false),
        makeSelector(SheetField::Description, "ComboBox_Description", "Button_Description", "Button_DescriptionAdd", true),
        makeSelector(SheetField::TextNoName, "ComboBox_TextNoName", "Button_TextNoName", "Button_TextNoNameAdd", true),
    };
    const QStringList captions = {QStringLiteral("Артикул:"), QStringLiteral("Наименование:"),
                                  QStringLiteral("Цена:"), QStringLiteral("Цена 2:"),
                                  QStringLiteral("Склад:"), QStringLiteral("Страна/гарантия:"),
                                  QStringLiteral("Описание:"), QStringLiteral("Доп. текст:")};
    // Two columns of four selectors: label, box, "...", "+".
    for (size_t i = 0; i < selectors_.size(); ++i) {
        const int r = 2 + int(i % 4);
        const int c = i < 4 ? 1 : 5;
        sheetGrid->addWidget(new QLabel(captions[int(i)]), r, c);
        sheetGrid->addWidget(selectors_[i].combo, r, c + 1);
        sheetGrid->addWidget(selectors_[i].pick, r, c + 2);
        if (selectors_[i].join)
            sheetGrid->addWidget(selectors_[i].join, r, c + 3);
    }
    int row = 6;
    ComboBox_ValutaPostav = named(new QComboBox, "ComboBox_ValutaPostav");
    ComboBox_ValutaPostav->addItems(CurrencySelectorItems());
    Button_SelValuta = toolButton("Button_SelValuta", QStringLiteral("..."));
    sheetGrid->addWidget(new QLabel(QStringLiteral("Валюта:")), row, 1);
    sheetGrid->addWidget(ComboBox_ValutaPostav, row, 2);
    sheetGrid->addWidget(Button_SelValuta, row, 3);
    ++row;
    SpinEdit_Nacen = named(new QSpinBox, "SpinEdit_Nacen");
    SpinEdit_Nacen->setRange(-100, 10000);
    sheetGrid->addWidget(new QLabel(QStringLiteral("Наценка, %:")), row, 5);
    sheetGrid->addWidget(SpinEdit_Nacen, row, 6);
    ++row;
    // Kit-price column and name prefix: kept, shown, and exchanged with the
    // settings file; the box stays hidden as in the original layout.
    auto* hidden = named(new QGroupBox, "GroupBox_PriceSet");
    auto* hiddenForm = new QGridLayout(hidden);
    ComboBox_PriceSet = named(new QComboBox, "ComboBox_PriceSet");
    ComboBox_PriceSet->addItems(ColumnSelectorItems());
    Button_PriceSet = toolButton("Button_PriceSet", QStringLiteral("..."));
    Edit_TovarPrefiks = named(new QLineEdit, "Edit_TovarPrefiks");
    hiddenForm->addWidget(new QLabel(QStringLiteral("Колонка с ценой комплекта:")), 0, 0);
    hiddenForm->addWidget(ComboBox_PriceSet, 0, 1);
    hiddenForm->addWidget(Button_PriceSet, 0, 2);
    hiddenForm->addWidget(new QLabel(QStringLiteral("Префикс названия:")), 1, 0);
    hiddenForm->addWidget(Edit_TovarPrefiks, 1, 1, 1, 2);
    hidden->setVisible(false);
    sheetGrid->addWidget(hidden, row, 1, 1, 8);
    top->addWidget(sheetBox);
    top->addStretch(1);
    guardAgainstWheel();
}

// The tab scrolls in its page: a wheel turned over a column box or the
// markup on the way down would change a stored setting. They take the
// wheel only once clicked or tabbed into.
void PriceListSetupTab::guardAgainstWheel()
{
    const QList<QWidget*> boxes = findChildren<QWidget*>();
    for (QWidget* box : boxes) {
        if (!qobject_cast<QComboBox*>(box) && !qobject_cast<QSpinBox*>(box))
            continue;
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(this);
    }
}

void PriceListSetupTab::connectUi()
{
    connect(Edit_PriceList, &QLineEdit::editingFinished, this, &PriceListSetupTab::commitName);
    connect(Edit_Path, &QLineEdit::editingFinished, this, [this] {
        if (filling_ || currentName_.isEmpty())
            return;
        SetPriceListPath(priceDb_, currentName_, Edit_Path->text());
        changed();
    });
    connect(Edit_Path, &QLineEdit::returnPressed, this, &PriceListSetupTab::Edit_PathEnter);
    connect(Edit_PriceConversion, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!currentName_.isEmpty() && SetPriceConversion(priceDb_, currentName_, text))
            changed();
    });
    connect(SpeedButton_Path, &QToolButton::clicked, this, &PriceListSetupTab::SpeedButton_PathClick);
    connect(BitBtn2, &QPushButton::clicked, this, &PriceListSetupTab::BitBtn2Click);
    connect(Button3, &QPushButton::clicked, this, &PriceListSetupTab::Button3Click);
    connect(Button2, &QToolButton::clicked, this, &PriceListSetupTab::Button2Click);
    connect(BitBtn_SaveSheet, &QPushButton::clicked, this, &PriceListSetupTab::BitBtn_SaveSheetClick);
    connect(CheckBox_PostavDisable, &QCheckBox::clicked, this, &PriceListSetupTab::CheckBox_PostavDisableClick);
    connect(CheckBox_PriceHistory, &QCheckBox::clicked, this, &PriceListSetupTab::CheckBox_PriceHistoryClick);
    for (QLineEdit* field : {Edit_info, Edit_site, Edit_web, Edit_tel, Edit_mail})
        connect(field, &QLineEdit::editingFinished, this, &PriceListSetupTab::Edit_siteExit);
    connect(DBGrid_PostavPage, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_)
            return;
        currentSheet_ = row >= 0 ? DBGrid_PostavPage->item(row)->text() : QString();
        ShowSheetSettings();
    });
    connect(Button_SheetEdit, &QPushButton::clicked, this, &PriceListSetupTab::Button_SheetEditClick);
    connect(Button_SheetDelete, &QPushButton::clicked, this, &PriceListSetupTab::Button_SheetDeleteClick);
    for (const ColumnSelector& s : selectors_) {
        connect(s.combo, &QComboBox::activated, this, [this, s] { storeSelector(s); });
        connect(s.pick, &QToolButton::clicked, this, [this, s] { pickColumn(s); });
        if (s.join)
            connect(s.join, &QToolButton::clicked, this, [this, s] { joinColumn(s); });
    }
    connect(ComboBox_ValutaPostav, &QComboBox::activated, this, [this](int index) {
        if (ratesRefreshRunning_() || currentSheet_.isEmpty() || index >= kCurrencyColumnItem)
            return;
        const std::optional<SheetSettings> row = ReadSheet(priceDb_, currentName_, currentSheet_);
        if (row && row->Valuta != index && SetSheetValuta(priceDb_, currentName_, currentSheet_, index))
            changed();
    });
    connect(Button_SelValuta, &QToolButton::clicked, this, &PriceListSetupTab::Button_SelValutaClick);
    connect(SpinEdit_Nacen, &QSpinBox::valueChanged, this, [this](int value) {
        if (filling_ || currentSheet_.isEmpty())
            return;
        const std::optional<SheetSettings> row = ReadSheet(priceDb_, currentName_, currentSheet_);
        if (row && row->Nacen != value && SetSheetNacen(priceDb_, currentName_, currentSheet_, value))
            changed();
    });
    connect(ComboBox_PriceSet, &QComboBox::activated, this, [this](int index) {
        if (!currentSheet_.isEmpty() && SetSheetPriceSet(priceDb_, currentName_, currentSheet_, index))
            changed();
    });
    connect(Button_PriceSet, &QToolButton::clicked, this, &PriceListSetupTab::Button_PriceSetClick);
    connect(Edit_TovarPrefiks, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!currentSheet_.isEmpty() && SetSheetPrefix(priceDb_, currentName_, currentSheet_, text))
            changed();
    });
}

void PriceListSetupTab::say(const QString& text) const
{
    if (messages_)
        messages_(text);
}

bool PriceListSetupTab::ask(const QString& text) const { return ask_ ? ask_(text) : false; }

void PriceListSetupTab::changed() { emit priceListSettingsChanged(); }

bool PriceListSetupTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && watched->isWidgetType() && watched != picker_->view() &&
        !static_cast<QWidget*>(watched)->hasFocus() &&
        (qobject_cast<QComboBox*>(watched) || qobject_cast<QSpinBox*>(watched))) {
        // To the page instead, which scrolls.
        for (QWidget* w = static_cast<QWidget*>(watched)->parentWidget(); w; w = w->parentWidget())
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
                QCoreApplication::sendEvent(area->verticalScrollBar(), event);
                break;
            }
        return true;
    }
    if (watched == Edit_Sheet && event->type() == QEvent::MouseButtonDblClick)
        Edit_SheetDblClick();
    if (watched == Panel4 && event->type() == QEvent::MouseButtonRelease)
        Panel4Click();
    if (watched == picker_->view() && event->type() == QEvent::Hide && orderDb_.isOpen())
        storeSheetViewPlacement();
    return QWidget::eventFilter(watched, event);
}

void PriceListSetupTab::Button2Click() { showNamingPanel(false); }

void PriceListSetupTab::Panel4Click() { showNamingPanel(false); }

void PriceListSetupTab::TabSheet_PostavSetupShow()
{
    // The tab opens on the contact card, unless the list shown still waits
    // for its name.
    if (currentId_ != 0 && currentName_ != kNewPriceListName)
        showNamingPanel(false);
}

void PriceListSetupTab::setNameColor(bool known)
{
    QPalette pal = Edit_PriceList->palette();
    pal.setColor(QPalette::Text, known ? QColor(0, 0, 128) : QColor(255, 0, 0));
    Edit_PriceList->setPalette(pal);
}

void PriceListSetupTab::showNamingPanel(bool naming)
{
    // The order page hides both panels; the one chosen shows again.
    QWidget* shown = naming ? Panel4 : Panel_PostavInfo;
    qobject_cast<QStackedWidget*>(Panel4->parentWidget())->setCurrentWidget(shown);
    shown->show();
}

void PriceListSetupTab::clearPriceList()
{
    filling_ = true;
    currentName_.clear();
    currentId_ = 0;
    currentSheet_.clear();
    Edit_PriceList->clear();
    Edit_idPostav->clear();
    Edit_Path->clear();
    Edit_PriceConversion->setText(QStringLiteral("0"));
    Label_Dates->clear();
    Label_CountLoadTovar->clear();
    StaticText_InfoPrice->clear();
    for (QLineEdit* field : {Edit_info, Edit_site, Edit_web, Edit_tel, Edit_mail})
        field->clear();
    DBGrid_PostavPage->clear();
    Panel_SheetEdit->hide();
    filling_ = false;
    ShowSheetSettings();
}

// ---- Showing a price list ------------------------------------------------

void PriceListSetupTab::ShowSelectedPriceList(const QString& name, qint64 id)
{
    Panel_SheetEdit->hide();
    emit setupPageRequested();
    if (name.isEmpty()) {
        clearPriceList();
        showNamingPanel(false);
        return;
    }
    const std::optional<PriceListRow> row = FindPriceList(priceDb_, name);
    if (!row) {
        clearPriceList();
        Edit_PriceList->setText(name);
        setNameColor(false);
        showNamingPanel(true);
    } else {
        setNameColor(true);
        showNamingPanel(false);
        ShowPriceListSettings(name);
        if (row->Postavshik == kNewPriceListName) {
            setNameColor(false);
            showNamingPanel(true);
        }
    }
    Edit_idPostav->setText(id > 0 ? QString::number(id) : QString());
}

void PriceListSetupTab::ShowPriceListSettings(const QString& name)
{
    if (!priceDb_.isOpen())
        return;
    if (name != kNewPriceListName)
        setNameColor(true);
    const std::optional<PriceListRow> row = FindPriceList(priceDb_, name);
    if (!row) {
        clearPriceList();
        return;
    }
    filling_ = true;
    currentName_ = row->Postavshik;
    currentId_ = row->Id;
    Edit_PriceList->setText(row->Postavshik);
    Edit_idPostav->setText(QString::number(row->Id));
    Edit_Path->setText(row->Path);
    // As the user types it: a decimal comma.
    Edit_PriceConversion->setText(QString::number(row->PriceConversion, 'g', 15).replace(u'.', u','));
    const qint64 today = db::dayNumber(QDate::currentDate());
    Label_Dates->setText(db::dateFromDayNumber(double(row->Dates)).toString(QStringLiteral("dd.MM.yyyy")));
    QPalette pal = Label_Dates->palette();
    pal.setColor(QPalette::WindowText, DatesLabelColor(row->Dates, today));
    Label_Dates->setPalette(pal);

    const ContactCard card = ReadContactCard(priceDb_, currentName_);
    Edit_info->setText(card.Name_full);
    Edit_site->setText(card.Address);
    Edit_web->setText(card.Person);
    Edit_tel->setText(card.Phones);
    Edit_mail->setText(card.Mail);

    const bool history = SettingsStore(orderDb_).readBoolean(currentName_ + kHistorySuffix, QStringLiteral("0"));
    CheckBox_PriceHistory->setChecked(history);
    const bool disabled = IsPriceListDisabled(orderDb_, currentName_);
    CheckBox_PostavDisable->setChecked(disabled);
    filling_ = false;

    // Columns picked for this list come from its own workbook: another
    // list's file leaves the view.
    if (picker_->isOpen() && !viewHoldsOwnWorkbook())
        picker_->close();
    reloadSheets();
    refreshInfoText();
    emit priceHistorySwitched(currentName_, history);
    emit priceListDisabledChanged(currentName_, disabled);
}

void PriceListSetupTab::followRenumbering()
{
    if (currentName_.isEmpty())
        return;
    const std::optional<PriceListRow> row = FindPriceList(priceDb_, currentName_);
    if (!row) {
        clearPriceList();
        return;
    }
    currentId_ = row->Id;
    Edit_idPostav->setText(QString::number(row->Id));
}

void PriceListSetupTab::refreshInfoText()
{
    if (currentName_.isEmpty()) {
        StaticText_InfoPrice->clear();
        return;
    }
    StaticText_InfoPrice->setText(
        PriceListInfoText(currentName_, ReadGoodsSummary(priceDb_, currentName_), DBGrid_PostavPage->count()));
}

// ---- Name, save, card, flags ---------------------------------------------

void PriceListSetupTab::commitName()
{
    if (filling_ || currentId_ == 0)
        return;
    const QString wanted = Edit_PriceList->text().trimmed();
    if (wanted == currentName_)
        return;
    const RenameResult result = RenamePriceList(priceDb_, orderDb_, currentId_, wanted, currentName_);
    const QString refusal = RenameRefusalText(result, wanted);
    if (!refusal.isEmpty()) {
        filling_ = true;
        Edit_PriceList->setText(currentName_);
        filling_ = false;
        say(refusal);
        return;
    }
    if (result != RenameResult::Renamed)
        return;
    const QString oldName = currentName_;
    currentName_ = wanted;
    filling_ = true;
    Edit_PriceList->setText(wanted);
    filling_ = false;
    setNameColor(true);
    showNamingPanel(false);
    emit priceListRenamed(currentId_, oldName, wanted);
    changed();
    refreshInfoText();
}

namespace {
QString loadedOffersText(int offers)
{
    return QStringLiteral("загружено ") +
           RussianCount(offers, QStringLiteral("товар"), QStringLiteral("товара"), QStringLiteral("товаров"));
}
} // namespace

void PriceListSetupTab::showLoadProgress(int offers)
{
    // The number of rows is not known before the file is read: the bar
    // runs without an end.
    ProgressBar_LoadPrice->setRange(0, 0);
    ProgressBar_LoadPrice->show();
    Label_CountLoadTovar->setText(loadedOffersText(offers));
}

void PriceListSetupTab::endLoadProgress(int offers)
{
    ProgressBar_LoadPrice->hide();
    ProgressBar_LoadPrice->setRange(0, 1);
    if (offers >= 0)
        Label_CountLoadTovar->setText(loadedOffersText(offers));
}

void PriceListSetupTab::BitBtn_SaveSheetClick()
{
    if (currentId_ == 0)
        return;
    PriceListSettingsInput input;
    input.id = currentId_;
    input.shownName = currentName_;
    input.name = Edit_PriceList->text();
    input.path = Edit_Path->text();
    input.conversionText = Edit_PriceConversion->text();
    input.sheet = currentSheet_;
    for (size_t i = 0; i < selectors_.size(); ++i)
        input.columnTexts[i] = selectors_[i].combo->currentText();
    const QString oldName = currentName_;
    const SaveOutcome outcome = SavePriceListSettings(priceDb_, orderDb_, input);
    if (outcome.rename == RenameResult::Renamed) {
        currentName_ = input.name.trimmed();
        emit priceListRenamed(currentId_, oldName, currentName_);
    }
    if (!outcome.message.isEmpty())
        say(outcome.message);
    if (!outcome.saved) {
        filling_ = true;
        Edit_PriceList->setText(currentName_);
        filling_ = false;
        return;
    }
    changed();
    // The save's four steps: the list, its row, its sheet, done.
    ProgressBar_LoadPrice->setRange(0, 4);
    ProgressBar_LoadPrice->setValue(1);
    ProgressBar_LoadPrice->show();
    const QString sheet = currentSheet_;
    ProgressBar_LoadPrice->setValue(2);
    ShowPriceListSettings(currentName_);
    ProgressBar_LoadPrice->setValue(3);
    reloadSheets(sheet);
    ProgressBar_LoadPrice->setValue(4);
    ProgressBar_LoadPrice->hide();
    emit statusMessage(QStringLiteral("Настройки прайс-листа \"%1\" сохранены").arg(currentName_));
}

void PriceListSetupTab::Edit_siteExit()
{
    if (filling_ || currentName_.isEmpty())
        return;
    SaveContactCard(priceDb_, currentName_,
                    ContactCard{Edit_info->text(), Edit_site->text(), Edit_web->text(), Edit_tel->text(),
                                Edit_mail->text()});
}

void PriceListSetupTab::CheckBox_PostavDisableClick()
{
    if (!priceDb_.isOpen() || currentName_.isEmpty()) {
        CheckBox_PostavDisable->setChecked(false);
        return;
    }
    const bool disabled = SetPriceListDisabled(priceDb_, orderDb_, currentName_, CheckBox_PostavDisable->isChecked());
    CheckBox_PostavDisable->setChecked(disabled);
    refreshInfoText();
    emit priceListDisabledChanged(currentName_, disabled);
    changed();
}

void PriceListSetupTab::CheckBox_PriceHistoryClick()
{
    if (currentName_.isEmpty())
        return;
    const bool on = CheckBox_PriceHistory->isChecked();
    SettingsStore(orderDb_).write(currentName_ + kHistorySuffix, QStringLiteral("TypeBoolean"),
                                  on ? QStringLiteral("-1") : QStringLiteral("0"));
    emit priceHistorySwitched(currentName_, on);
}

void ConnectSupplierTreeAndSetupTab(SupplierTree* tree, PriceListSetupTab* tab)
{
    QObject::connect(tree, &SupplierTree::priceListChosen, tab, &PriceListSetupTab::ShowSelectedPriceList);
    QObject::connect(tree, &SupplierTree::priceListsRenumbered, tab, &PriceListSetupTab::followRenumbering);
    QObject::connect(tab, &PriceListSetupTab::priceListRenamed, tree, &SupplierTree::onPriceListRenamed);
    QObject::connect(tab, &PriceListSetupTab::priceListDisabledChanged, tree, &SupplierTree::onPriceListDisabledChanged);
}

} // namespace velmora
