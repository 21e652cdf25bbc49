#include "suppliers/brands/form_postav_setup.h"

#include "platform/db/db_error.h"
#include "platform/files/error_text.h"
#include "storage/settings_store.h"
#include "suppliers/brands/article_recalc.h"
#include "suppliers/brands/markup_scales.h"
#include "suppliers/brands/markup_scales_box.h"
#include "suppliers/tree/price_lists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::brands {
namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

Form_PostavSetup::Form_PostavSetup(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), orderDb_(orderDb)
{
    setObjectName(QStringLiteral("Form_PostavSetup"));
    setWindowTitle(QStringLiteral("Настройки поставщиков"));
    setModal(false);
    buildUi();
}

Form_PostavSetup::~Form_PostavSetup() = default;

void Form_PostavSetup::buildUi()
{
    auto* top = new QVBoxLayout(this);
    PageControl1 = named(new QTabWidget, "PageControl1");
    top->addWidget(PageControl1);

    // Maker texts and their standard names.
    auto* makers = named(new QWidget, "TabSheet1");
    auto* makersGrid = new QGridLayout(makers);
    ComboBox_BrandNamePostav = named(new QComboBox, "ComboBox_BrandNamePostav");
    CheckBox_NullEtalon = named(new QCheckBox(QStringLiteral("Показать только пустые")), "CheckBox_NullEtalon");
    DBGrid_BrandNamePostav = named(new QTableWidget(0, 2), "DBGrid_BrandNamePostav");
    DBGrid_BrandNamePostav->setHorizontalHeaderLabels(
        {QStringLiteral("Производитель у поставщика"), QStringLiteral("Производитель")});
    DBGrid_BrandNamePostav->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_BrandNamePostav->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_BrandNamePostav->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_BrandNamePostav->verticalHeader()->hide();
    DBGrid_BrandNamePostav->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Edit_BrandNamePostav = named(new QLineEdit, "Edit_BrandNamePostav");
    Edit_BrandNamePostav->setReadOnly(true);
    ComboBox_BrandNameEtalon = named(new QComboBox, "ComboBox_BrandNameEtalon");
    ComboBox_BrandNameEtalon->setEditable(true);
    ComboBox_BrandNameEtalon->setInsertPolicy(QComboBox::NoInsert);
    Button_EditBrand = named(new QPushButton(QStringLiteral("Сохранить")), "Button_EditBrand");
    makersGrid->addWidget(new QLabel(QStringLiteral("Поставщик:")), 0, 0);
    makersGrid->addWidget(ComboBox_BrandNamePostav, 0, 1);
    makersGrid->addWidget(CheckBox_NullEtalon, 0, 2);
    makersGrid->addWidget(DBGrid_BrandNamePostav, 1, 0, 1, 3);
    makersGrid->addWidget(new QLabel(QStringLiteral("Производитель у поставщика:")), 2, 0);
    makersGrid->addWidget(Edit_BrandNamePostav, 2, 1, 1, 2);
    makersGrid->addWidget(new QLabel(QStringLiteral("Производитель:")), 3, 0);
    makersGrid->addWidget(ComboBox_BrandNameEtalon, 3, 1);
    makersGrid->addWidget(Button_EditBrand, 3, 2);
    PageControl1->addTab(makers, QStringLiteral(" Производители "));

    // The article switches.
    auto* articles = named(new QWidget, "TabSheet2");
    auto* articlesLayout = new QVBoxLayout(articles);
    CheckBox_Art_All = named(new QCheckBox(QStringLiteral("Преобразовывать артикулы при загрузке")), "CheckBox_Art_All");
    GroupBox_Art_All = named(new QGroupBox, "GroupBox_Art_All");
    auto* stepsLayout = new QVBoxLayout(GroupBox_Art_All);
    const std::pair<const char*, QString> steps[] = {
        {"CheckBox_Art_06", QStringLiteral("Убирать все знаки после \"/\" и \"запятой\"")},
        {"CheckBox_Art_01", QStringLiteral("Убирать пробелы в начале и конце")},
        {"CheckBox_Art_02", QStringLiteral("Убирать все символы кроме букв и цифр")},
        {"CheckBox_Art_03", QStringLiteral("Заменять прописные буквы на заглавные")},
        {"CheckBox_Art_04", QStringLiteral("Заменять русские буквы на латинские")},
        {"CheckBox_Art_05", QStringLiteral("Поменять букву \"O\" на цифру \"0\"")},
    };
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        steps_[i] = named(new QCheckBox(steps[i].second), steps[i].first);
        stepsLayout->addWidget(steps_[i]);
    }
    Button1 = named(new QPushButton(QStringLiteral("Запомнить настройки")), "Button1");
    Button_ArticulUpdate = named(new QPushButton(QStringLiteral("Пересчитать Артикулы")), "Button_ArticulUpdate");
    auto* articleButtons = new QHBoxLayout;
    articleButtons->addWidget(Button1);
    articleButtons->addWidget(Button_ArticulUpdate);
    articleButtons->addStretch();
    articlesLayout->addWidget(CheckBox_Art_All);
    articlesLayout->addWidget(GroupBox_Art_All);
    articlesLayout->addLayout(articleButtons);
    articlesLayout->addStretch();
    PageControl1->addTab(articles, QStringLiteral(" Артикулы "));

    // The markup scales.
    auto* markups = named(new QWidget, "TabSheet3");
    auto* markupsLayout = new QVBoxLayout(markups);
    ComboBox_NacenNamePostav = named(new QComboBox, "ComboBox_NacenNamePostav");
    scales_ = new MarkupScalesBox;
    Button3 = named(new QPushButton(QStringLiteral("Запомнить настройки")), "Button3");
    markupsLayout->addWidget(ComboBox_NacenNamePostav);
    markupsLayout->addWidget(scales_);
    markupsLayout->addWidget(Button3, 0, Qt::AlignLeft);
    markupsLayout->addStretch();
    PageControl1->addTab(markups, QStringLiteral(" Наценки "));

    // Combo handlers run on the user's choice only.
    connect(ComboBox_BrandNamePostav, &QComboBox::activated, this, &Form_PostavSetup::ComboBox_BrandNamePostavChange);
    connect(CheckBox_NullEtalon, &QCheckBox::clicked, this, &Form_PostavSetup::CheckBox_NullEtalonClick);
    connect(DBGrid_BrandNamePostav, &QTableWidget::currentCellChanged, this,
            &Form_PostavSetup::ADOQuery_BrandNamePostavAfterScroll);
    connect(Button_EditBrand, &QPushButton::clicked, this, &Form_PostavSetup::Button_EditBrandClick);
    connect(CheckBox_Art_All, &QCheckBox::clicked, this, &Form_PostavSetup::CheckBox_Art_AllClick);
    connect(Button1, &QPushButton::clicked, this, &Form_PostavSetup::Button1Click);
    connect(Button_ArticulUpdate, &QPushButton::clicked, this, &Form_PostavSetup::Button_ArticulUpdateClick);
    connect(ComboBox_NacenNamePostav, &QComboBox::activated, this, &Form_PostavSetup::ComboBox_NacenNamePostavChange);
    connect(Button3, &QPushButton::clicked, this, &Form_PostavSetup::Button3Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 2)
            LoadPostavNacen(); // TabSheet3Show
    });
}

void Form_PostavSetup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_PostavSetup::fail(const std::exception& error)
{
    if (messages_)
        messages_(ErrorText(error));
}

void Form_PostavSetup::FormShow()
{
    try {
        PageControl1->setCurrentIndex(0);
        CheckBox_NullEtalon->setChecked(true);
        CollectMakerTexts(priceDb_);
        QStringList names;
        for (const PriceListRow& row : ReadPriceLists(priceDb_))
            names << row.Postavshik;
        for (QComboBox* combo : {ComboBox_BrandNamePostav, ComboBox_NacenNamePostav}) {
            combo->clear();
            combo->addItems(names);
            combo->setCurrentIndex(names.isEmpty() ? -1 : 0);
        }
        reloadStandardNames();
        SettingsStore settings(orderDb_);
        showSwitches(ArticleSwitches::read(settings));
        openBrandList();
    } catch (const std::exception& error) {
        fail(error);
    }
}

void Form_PostavSetup::reloadStandardNames()
{
    standardNames_ = ReadStandardBrandNames(priceDb_);
    ComboBox_BrandNameEtalon->clear();
    ComboBox_BrandNameEtalon->addItems(standardNames_);
    ComboBox_BrandNameEtalon->setCurrentIndex(standardNames_.isEmpty() ? -1 : 0);
}

void Form_PostavSetup::openBrandList(int current)
{
    const QString supplier = ComboBox_BrandNamePostav->currentText();
    brandRows_ = supplier.isEmpty() ? QVector<MakerText>()
                                    : ReadMakerTexts(priceDb_, supplier, CheckBox_NullEtalon->isChecked());
    const QSignalBlocker quiet(DBGrid_BrandNamePostav);
    DBGrid_BrandNamePostav->setRowCount(int(brandRows_.size()));
    for (int r = 0; r < brandRows_.size(); ++r) {
        DBGrid_BrandNamePostav->setItem(r, 0, new QTableWidgetItem(brandRows_[r].maker));
        DBGrid_BrandNamePostav->setItem(r, 1, new QTableWidgetItem(brandRows_[r].etalon));
    }
    if (!brandRows_.isEmpty())
        DBGrid_BrandNamePostav->setCurrentCell(std::clamp(current, 0, int(brandRows_.size()) - 1), 0);
    ADOQuery_BrandNamePostavAfterScroll();
}

void Form_PostavSetup::ComboBox_BrandNamePostavChange()
{
    try {
        openBrandList();
    } catch (const std::exception& error) {
        fail(error);
    }
}

void Form_PostavSetup::CheckBox_NullEtalonClick() { ComboBox_BrandNamePostavChange(); }

void Form_PostavSetup::ADOQuery_BrandNamePostavAfterScroll()
{
    const int row = DBGrid_BrandNamePostav->currentRow();
    if (row < 0 || row >= brandRows_.size()) {
        Edit_BrandNamePostav->clear();
        return;
    }
    Edit_BrandNamePostav->setText(brandRows_[row].maker);
    ComboBox_BrandNameEtalon->setCurrentIndex(ProposedStandardName(brandRows_[row], standardNames_));
}

void Form_PostavSetup::Button_EditBrandClick()
{
    try {
        const int row = DBGrid_BrandNamePostav->currentRow();
        SaveStandardName(priceDb_, ComboBox_BrandNamePostav->currentText(), Edit_BrandNamePostav->text(),
                         ComboBox_BrandNameEtalon->currentText());
        reloadStandardNames();
        // The row after the saved one; with only the empty ones shown, the
        // saved row has left the list and the next one took its place.
        openBrandList(CheckBox_NullEtalon->isChecked() ? row : row + 1);
    } catch (const std::exception& error) {
        fail(error);
    }
}

ArticleSwitches Form_PostavSetup::switchesShown() const
{
    ArticleSwitches s;
    s.convertOnLoad = CheckBox_Art_All->isChecked();
    s.cutAtSlashComma = steps_[0]->isChecked();
    s.trimEnds = steps_[1]->isChecked();
    s.lettersAndDigits = steps_[2]->isChecked();
    s.upperCase = steps_[3]->isChecked();
    s.cyrillicToLatin = steps_[4]->isChecked();
    s.letterOToZero = steps_[5]->isChecked();
    return s;
}

void Form_PostavSetup::showSwitches(const ArticleSwitches& s)
{
    CheckBox_Art_All->setChecked(s.convertOnLoad);
    steps_[0]->setChecked(s.cutAtSlashComma);
    steps_[1]->setChecked(s.trimEnds);
    steps_[2]->setChecked(s.lettersAndDigits);
    steps_[3]->setChecked(s.upperCase);
    steps_[4]->setChecked(s.cyrillicToLatin);
    steps_[5]->setChecked(s.letterOToZero);
    CheckBox_Art_AllClick();
}

void Form_PostavSetup::storeSwitches()
{
    SettingsStore settings(orderDb_);
    switchesShown().write(settings);
}

void Form_PostavSetup::CheckBox_Art_AllClick() { GroupBox_Art_All->setVisible(CheckBox_Art_All->isChecked()); }

void Form_PostavSetup::Button1Click()
{
    try {
        storeSwitches();
        ApplyArticleConversions(priceDb_, CheckBox_Art_All->isChecked());
        emit goodsChanged();
    } catch (const std::exception& error) {
        fail(error);
    }
}

void Form_PostavSetup::Button_ArticulUpdateClick()
{
    try {
        storeSwitches();
        RecalculateArticles(priceDb_, switchesShown(),
                            [this](int percent) { emit statusTextChanged(ArticleRecalcStatusText(percent)); },
                            &recalcCheckpoint_);
        emit goodsChanged();
    } catch (const std::exception& error) {
        fail(error);
    }
}

void Form_PostavSetup::SavePostavNacen()
{
    const QString supplier = ComboBox_NacenNamePostav->currentText();
    if (supplier.isEmpty())
        return;
    try {
        WriteMarkupScales(orderDb_, supplier, scales_->scales());
    } catch (const std::exception& error) {
        fail(error);
    }
}

void Form_PostavSetup::LoadPostavNacen()
{
    const QString supplier = ComboBox_NacenNamePostav->currentText();
    if (supplier.isEmpty())
        return;
    try {
        scales_->setScales(ReadMarkupScales(orderDb_, supplier));
    } catch (const std::exception& error) {
        fail(error);
    }
}

} // namespace velmora::brands
