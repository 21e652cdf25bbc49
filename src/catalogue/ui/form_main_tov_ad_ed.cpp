#include "form_main_tov_ad_ed.h"

#include "ui_form_main_tov_ad_ed.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

#include <QScreen>

namespace velmora::catalogue {

namespace {

constexpr int kShortHeight = 200;
constexpr int kTallHeight = 340;
const QString kMore = QStringLiteral("Еще >>");
const QString kLess = QStringLiteral("Еще <<");

} // namespace

Form_MainTovAdEd::Form_MainTovAdEd(db::Connection& priceDb, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), ui(std::make_unique<Ui::Form_MainTovAdEd>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    today_ = [] { return db::dayNumber(QDate::currentDate()); };
    connect(ui->Button_AdEdOk, &QPushButton::clicked, this, &Form_MainTovAdEd::Button_AdEdOkClick);
    connect(ui->Button_AdEdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->Button_AdEdMore, &QPushButton::clicked, this, &Form_MainTovAdEd::Button_AdEdMoreClick);
    connect(ui->CheckBox_SuperPrice, &QCheckBox::clicked, this, &Form_MainTovAdEd::CheckBox_SuperPriceClick);
    setDetailsShown(false);
}

Form_MainTovAdEd::~Form_MainTovAdEd() = default;

void Form_MainTovAdEd::setDetailsShown(bool shown)
{
    ui->Button_AdEdMore->setText(shown ? kLess : kMore);
    ui->GroupBox_AdEdMore->setVisible(shown);
    resize(width(), shown ? kTallHeight : kShortHeight);
}

void Form_MainTovAdEd::Button_AdEdMoreClick() { setDetailsShown(ui->Button_AdEdMore->text() == kMore); }

void Form_MainTovAdEd::CheckBox_SuperPriceClick()
{
    const bool fixed = ui->CheckBox_SuperPrice->isChecked();
    ui->Edit_AdEdNacen->setValue(fixed ? 0 : opening_.groupNacen);
    ui->Edit_AdEdNacen->setEnabled(!fixed);
}

void Form_MainTovAdEd::showCard(const CardOpening& opening)
{
    opening_ = opening;
    const CardFields& f = opening.fields;
    ui->Edit_AdEdKategor->setText(opening.groupName);
    ui->Edit_AdEdArt->setText(f.art);
    ui->Edit_AdEdName->setText(f.tovar);
    ui->Edit_AdEdPrice->setText(RoundedDecimalText(f.price, 4, u','));
    ui->Edit_AdEdNacen->setValue(f.nacen);
    ui->Edit_AdEdNacen->setEnabled(!f.superPrice);
    ui->Edit_AdEdGarant->setText(f.garant);
    ui->CheckBox_SuperPrice->setChecked(f.superPrice);
    ui->Edit_URL->setText(f.url);
    ui->Edit_Pictures->setText(f.pictures);
    ui->Edit_Comment->setText(f.comment);
    setDetailsShown(ui->Button_AdEdMore->text() == kLess);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    ui->Edit_AdEdName->setFocus();
}

bool Form_MainTovAdEd::readFields(CardFields& fields) const
{
    fields.art = ui->Edit_AdEdArt->text();
    fields.tovar = ui->Edit_AdEdName->text();
    fields.nacen = ui->Edit_AdEdNacen->value();
    fields.garant = ui->Edit_AdEdGarant->text();
    fields.superPrice = ui->CheckBox_SuperPrice->isChecked();
    fields.url = ui->Edit_URL->text();
    fields.pictures = ui->Edit_Pictures->text();
    fields.comment = ui->Edit_Comment->text();
    try {
        const QString price = ui->Edit_AdEdPrice->text();
        fields.price = price.trimmed().isEmpty() ? 0 : parseDecimal(price);
    } catch (const SettingsError& e) {
        if (messages_)
            messages_(e.message());
        return false;
    }
    return true;
}

void Form_MainTovAdEd::Button_AdEdOkClick()
{
    CardFields fields;
    if (!readFields(fields))
        return;
    CardSaving saved;
    try {
        saved = saveCard(priceDb_, opening_, fields, today_());
    } catch (const db::DbError& e) {
        saved.message = e.message();
    }
    if (!saved.saved) {
        if (messages_)
            messages_(saved.message);
        return;
    }
    emit goodSaved(saved.code);
    close();
}

} // namespace velmora::catalogue
