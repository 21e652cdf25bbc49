#pragma once

#include "orders/order_exports.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QTabWidget;
class QTreeView;
class QWidget;

namespace velmora::orders {

// What the comparison sheet's window takes from the program around it.
struct SetupSvodEnvironment {
    db::Connection* priceDb = nullptr;
    QString programFolder; // SvodPriceZakaz.ini, the template, the default folder
    std::function<int()> roundDigits;
    std::function<double()> kursRub; // KursRUBRate
    std::function<QString(QWidget* parent, const QString& filter)> openFileName;
    std::function<void(const QString& path)> handOver;
    ExportProgress progress;
    MessageSink message;
    MessageSink error;
};

// "Настройка Сводного прайс-листа": the settings of the order's comparison
// sheet (template "Zakaz" of SvodPriceZakaz.ini) and the button that writes
// it. The supplier list shows the choices stored last time.
class Form_SetupSvod : public QDialog {
    Q_OBJECT
public:
    explicit Form_SetupSvod(SetupSvodEnvironment environment, QWidget* parent = nullptr);
    ~Form_SetupSvod() override;

    QString iniPath() const;

public slots:
    void FormShow();
    void LoadTemplate();
    // Stores the controls as the template; false when the file could not be written.
    bool SaveTemplate();
    void CheckBox_FileDateClick();
    void SpeedButton_PathSvodClick();
    void Button_FolderRememberClick();
    void SpeedButton_ExcelTemplateClick();
    void BitBtn_ExportExcelSvodPriceClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void showFileNameBoxes(bool withDate);
    void refreshFileName();

    SetupSvodEnvironment env_;
    QString templateName_;

    QStackedWidget* stack_ = nullptr;
    QTabWidget* PageControl_Svod = nullptr;
    QLineEdit* Edit_PathSvod = nullptr;
    QCheckBox* CheckBox_SvodKurs = nullptr;
    QCheckBox* CheckBox_FileDate = nullptr;
    QLineEdit* Edit_FilePrefics = nullptr;
    QLineEdit* Edit_FileSuffics = nullptr;
    QLineEdit* Edit_FileNameSvod = nullptr;
    QLineEdit* Edit_ExcelTemplate = nullptr;
    QListWidget* CheckListBox_Postav = nullptr;
    QWidget* Panel_Folder = nullptr;
    QTreeView* TreeView_Folder = nullptr;
    QFileSystemModel* folders_ = nullptr;
};

} // namespace velmora::orders
