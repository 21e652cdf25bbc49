#pragma once

#include "platform/db/background_checkpoint.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "suppliers/brands/article_normaliser.h"
#include "suppliers/brands/supplier_brands.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace velmora::brands {

class MarkupScalesBox;

// Form_PostavSetup ("Настройки поставщиков"), shown modeless: tab
// " Производители " maps each supplier's maker texts to standard brand
// names, " Артикулы " keeps the article switches and recalculates the
// offers' article keys, " Наценки " keeps two markup scales per supplier.
// The data work is the plain calls of supplier_brands.h, article_recalc.h
// and markup_scales.h; controls carry their names as objectName.
class Form_PostavSetup : public QDialog {
    Q_OBJECT
public:
    Form_PostavSetup(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent = nullptr);
    ~Form_PostavSetup() override;

    // A failed statement is shown here (none: nothing is shown).
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }

public slots:
    void FormShow();
    void ComboBox_BrandNamePostavChange();
    void CheckBox_NullEtalonClick();
    void ADOQuery_BrandNamePostavAfterScroll();
    void Button_EditBrandClick();
    void Button1Click();
    void CheckBox_Art_AllClick();
    void Button_ArticulUpdateClick();
    void ComboBox_NacenNamePostavChange() { LoadPostavNacen(); }
    void Button3Click() { SavePostavNacen(); }
    void SavePostavNacen();
    void LoadPostavNacen();

signals:
    // Panel 1 of the main status bar, to be shown at once.
    void statusTextChanged(const QString& text);
    // The offers' Description changed: the goods grid reads them again.
    void goodsChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    // The brand list of the chosen supplier; the row of `current` (or the
    // first) is made current.
    void openBrandList(int current = 0);
    void reloadStandardNames();
    ArticleSwitches switchesShown() const;
    void showSwitches(const ArticleSwitches& switches);
    void storeSwitches();
    void fail(const std::exception& error);

    db::Connection& priceDb_;
    // The recalculation's log copied into the file after it, off this thread.
    db::BackgroundCheckpoint recalcCheckpoint_;
    db::Connection& orderDb_;
    MessageSink messages_;
    QVector<MakerText> brandRows_;
    QStringList standardNames_;

    QTabWidget* PageControl1 = nullptr;
    QComboBox* ComboBox_BrandNamePostav = nullptr;
    QCheckBox* CheckBox_NullEtalon = nullptr;
    QTableWidget* DBGrid_BrandNamePostav = nullptr;
    QLineEdit* Edit_BrandNamePostav = nullptr;
    QComboBox* ComboBox_BrandNameEtalon = nullptr;
    QPushButton* Button_EditBrand = nullptr;
    QCheckBox* CheckBox_Art_All = nullptr;
    QGroupBox* GroupBox_Art_All = nullptr;
    // _06, _01, _02, _03, _04, _05: the six steps in their order.
    std::array<QCheckBox*, 6> steps_{};
    QPushButton* Button1 = nullptr;
    QPushButton* Button_ArticulUpdate = nullptr;
    QComboBox* ComboBox_NacenNamePostav = nullptr;
    MarkupScalesBox* scales_ = nullptr;
    QPushButton* Button3 = nullptr;
};

} // namespace velmora::brands
