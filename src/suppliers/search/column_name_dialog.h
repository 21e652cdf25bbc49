#pragma once

#include <QDialog>

class QLineEdit;

namespace velmora {
class SettingsStore;
}

namespace velmora::search {

// The setting that a title label renames: "Column_" + the label's name
// without "Label_" + "_Name", for the eight base labels only (Label_art ...
// Label_Description); empty for any other label.
QString columnTitleSettingOf(const QString& labelName);

// Form_Column_Name ("Переименовать"): a new title for one grid column.
class Form_Column_Name : public QDialog {
    Q_OBJECT
public:
    explicit Form_Column_Name(SettingsStore& orderSettings, QWidget* parent = nullptr);

    // Fills the window for a label: its caption and the setting it names.
    void prepare(const QString& caption, const QString& settingName);

public slots:
    // Stores the new title (TypeText) and closes; the caller then runs
    // LoadColumnTitles.
    void Button_Column_NameClick();

private:
    SettingsStore& settings_;
    QLineEdit* Edit_Column_Name;
    QLineEdit* Edit_Name_Param;
};

} // namespace velmora::search
