#include "form_artikul.h"

#include "ui_form_artikul.h"

#include "storage/settings_store.h"

namespace velmora::catalogue {

Form_Artikul::Form_Artikul(SettingsStore& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), ui(std::make_unique<Ui::Form_Artikul>())
{
    ui->setupUi(this);
    connect(ui->Button_OK, &QPushButton::clicked, this, &Form_Artikul::Button_OKClick);
    connect(ui->Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->CheckBox_Auto, &QCheckBox::clicked, this, &Form_Artikul::CheckBox_AutoClick);
    connect(ui->CheckBox_Razd, &QCheckBox::clicked, this, &Form_Artikul::CheckBox_RazdClick);
    connect(ui->CheckBox_PrefKat, &QCheckBox::clicked, this, &Form_Artikul::CheckBox_PrefKatClick);
}

Form_Artikul::~Form_Artikul() = default;

void Form_Artikul::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void Form_Artikul::FormShow()
{
    const ArticleSettings a = readArticleSettings(settings_);
    ui->CheckBox_Auto->setChecked(a.CheckBox_Auto);
    ui->ComboBox_MaxArt->setCurrentIndex(a.ComboBox_MaxArt);
    ui->CheckBox_Razd->setChecked(a.CheckBox_Razd);
    ui->ComboBox_RazdPos->setCurrentIndex(a.ComboBox_RazdPos);
    ui->Edit_Razd->setText(a.Edit_Razd);
    ui->CheckBox_PrefKat->setChecked(a.CheckBox_PrefKat);
    ui->ComboBox_PrefMax->setCurrentIndex(a.ComboBox_PrefMax);
    ui->Edit_PrefRazd->setText(a.Edit_PrefRazd);
    CheckBox_AutoClick();
}

void Form_Artikul::CheckBox_AutoClick()
{
    const bool on = ui->CheckBox_Auto->isChecked();
    ui->Panel_Auto->setEnabled(on);
    if (!on) {
        ui->CheckBox_Razd->setChecked(false);
        ui->CheckBox_PrefKat->setChecked(false);
    }
    CheckBox_RazdClick();
    CheckBox_PrefKatClick();
}

void Form_Artikul::CheckBox_RazdClick() { ui->Panel_Razd->setEnabled(ui->CheckBox_Razd->isChecked()); }

void Form_Artikul::CheckBox_PrefKatClick() { ui->Panel_PrefKat->setEnabled(ui->CheckBox_PrefKat->isChecked()); }

ArticleSettings Form_Artikul::shownSettings() const
{
    ArticleSettings a;
    a.CheckBox_Auto = ui->CheckBox_Auto->isChecked();
    a.ComboBox_MaxArt = ui->ComboBox_MaxArt->currentIndex();
    a.CheckBox_Razd = ui->CheckBox_Razd->isChecked();
    a.ComboBox_RazdPos = ui->ComboBox_RazdPos->currentIndex();
    a.Edit_Razd = ui->Edit_Razd->text();
    a.CheckBox_PrefKat = ui->CheckBox_PrefKat->isChecked();
    a.ComboBox_PrefMax = ui->ComboBox_PrefMax->currentIndex();
    a.Edit_PrefRazd = ui->Edit_PrefRazd->text();
    return a;
}

void Form_Artikul::Button_OKClick()
{
    const ArticleSettings shown = shownSettings();
    // A longer article would be cut by the goods card, and the next good's
    // cut article would then clash with it.
    if (const QString refusal = articleTooLongMessage(shown); !refusal.isEmpty()) {
        if (messages_)
            messages_(refusal);
        return;
    }
    writeArticleSettings(settings_, shown);
    accept();
}

} // namespace velmora::catalogue
