#pragma once

#include "catalogue_window_environment.h"

#include "catalogue/goods_selection.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;

namespace velmora::catalogue {

// "Отобранные товары": the goods meeting the ticked conditions (price,
// article, super price, goods link, picture link), each condition
// choosing one of its two answers; "Изменить" opens the current good's
// card.
class Form_ViewTovarSel : public QDialog {
    Q_OBJECT
public:
    // editGood: the goods card in mode "ed" for the good's Code.
    Form_ViewTovarSel(CatalogueWindowEnvironment environment, std::function<void(qint64 code)> editGood,
                      QWidget* parent = nullptr);
    ~Form_ViewTovarSel() override;

    // The conditions as the controls hold them.
    GoodsSelection selection() const;
    QTableView* list() const { return DBGrid_SelTovar; }

public slots:
    void FormShow();
    void Button_SelClick();
    void Button_EditClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Condition {
        QCheckBox* box = nullptr;
        QRadioButton* first = nullptr;  // the "no" answer, but for super price
        QRadioButton* second = nullptr;
    };
    void showList(const GoodsSelection& selection);
    void ADOQuery_SelTovarAfterScroll();
    qint64 currentCode() const;
    void enableConditions();

    CatalogueWindowEnvironment env_;
    std::function<void(qint64)> editGood_;
    std::array<Condition, 5> conditions_;
    QTableView* DBGrid_SelTovar = nullptr;
    class SelectedGoodsModel* model_ = nullptr;
    QLineEdit* DBEdit_Art = nullptr;
    QLineEdit* DBEdit_Tovar = nullptr;
    QLineEdit* Edit_Price = nullptr;
    QCheckBox* DBCheckBox_SuperPrice = nullptr;
    QLineEdit* DBEdit_Garant = nullptr;
    QLineEdit* DBEdit_Nacen = nullptr;
    QLabel* Label_Count = nullptr;
};

} // namespace velmora::catalogue
