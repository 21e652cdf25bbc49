#pragma once

#include "platform/db/connection.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QFileSystemModel;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeView;

namespace velmora::brands {
class MarkupScalesBox;
}

namespace velmora::orders {

class UserExportRunner;

// What the combined export's window takes from the program around it.
struct UserExportEnvironment {
    db::Connection* priceDb = nullptr; // AllPostavSetup
    db::Connection* orderDb = nullptr; // the window's settings
    QString programFolder;             // the template, the default folder
    QString userIniPath;               // SetupUser.ini: the key Brevik-Moto
    bool ormita = false;               // ClientModeOrmita
    UserExportRunner* runner = nullptr;
};

// "Экспорт сводного прайс-листа": the suppliers whose stock goes into the
// combined export (ListBox_export, in column order) and the others
// (ListBox_base), the output folder, and Button_Export, which starts and
// stops the export. The page "Наценки" only keeps its values.
class Form_UserExport : public QDialog {
    Q_OBJECT
public:
    explicit Form_UserExport(UserExportEnvironment environment, QWidget* parent = nullptr);

    // The lists as the window holds them (SupplierNames, OtherSupplierNames).
    const QStringList& supplierNames() const { return SupplierNames; }
    const QStringList& otherSupplierNames() const { return OtherSupplierNames; }
    const QString& ownStockName() const { return OwnStockName; }

public slots:
    void FormShow();
    void Button_DelOneClick();
    void Button_AddOneClick();
    void SpeedButton_PathClick();
    void Button_PathClick();
    void Button1Click();
    void CheckBox_NacenPostavClick();
    void Button_ExportClick();
    // The export's status: the caption goes on Button_Export.
    void SyncExportStatus(const QString& status, const QString& caption);

signals:
    // The window was closed: panel 1 of the main status bar is emptied.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void buildControls();
    void rebuildLists();
    void loadSettings();
    void saveSettings();
    void showPages();

    UserExportEnvironment env_;
    QString OwnStockName;
    QStringList SupplierNames;
    QStringList OtherSupplierNames;

    QTabWidget* PageControl_UserExport = nullptr;
    QWidget* TabSheet_Nacen = nullptr;
    QListWidget* ListBox_base = nullptr;
    QListWidget* ListBox_export = nullptr;
    QCheckBox* CheckBox_MyStock = nullptr;
    QCheckBox* CheckBox_NacenPostav = nullptr;
    brands::MarkupScalesBox* markups_ = nullptr;
    QLineEdit* Edit_PathTemplate = nullptr;
    QGroupBox* GroupBox_Path = nullptr;
    QTreeView* ShellTreeView_Path = nullptr;
    QFileSystemModel* folders_ = nullptr;
    QPushButton* Button_Export = nullptr;
};

} // namespace velmora::orders
