#pragma once

#include "platform/db/connection.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;

namespace velmora::exports {

struct PriceSaveEnvironment {
    QString pricePath;     // the export opens its own connection
    QString programFolder; // PriceExcel.xlsx
    db::Connection* orderDb = nullptr; // settings and column titles
    std::function<QString()> displayCode;
    // Folder choice; the default shows the folder dialog.
    std::function<QString(const QString& start)> chooseFolder;
};

// The save panel (Panel_PriceSaveAll, "Выгрузить в Excel:"): one supplier's
// goods, or every supplier's into a folder (one workbook each or all in one),
// exported on a worker thread with its own connection.
class PriceSavePanel : public QWidget {
    Q_OBJECT
public:
    explicit PriceSavePanel(PriceSaveEnvironment environment, QWidget* parent = nullptr);
    ~PriceSavePanel() override;

    // The names behind ComboBox_SetPriceSave.
    void setSupplierNames(const QStringList& names);
    bool isExporting() const { return !worker_.isNull(); }

public slots:
    void BitBtn_ExcelSavePriceClick();
    void SpeedButton1Click();
    void RadioButton_OnePriceClick();

signals:
    // The files written, or the error text shown in Label_ErrorSave.
    void exportFinished(const QStringList& files, const QString& errorText);

private:
    void showError(const QString& text);
    // The folder dialog from `start`; "" when cancelled, else ending in "/".
    QString askFolder(const QString& start);
    // False for a list whose Path names no file ("" or "-").
    bool listHasFile(const QString& name) const;
    void finish(const QStringList& files, const QString& errorText, int omitted);

    PriceSaveEnvironment environment_;
    QRadioButton* onePrice_ = nullptr;
    QRadioButton* allPrice_ = nullptr;
    QCheckBox* allTovar_ = nullptr;
    QComboBox* names_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLabel* error_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* save_ = nullptr;
    QPointer<QThread> worker_;
};

} // namespace velmora::exports
