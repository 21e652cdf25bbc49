#include "column_name_dialog.h"

#include "goods_columns.h"

#include "storage/settings_store.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::search {

QString columnTitleSettingOf(const QString& labelName)
{
    const QString prefix = QStringLiteral("Label_");
    if (!labelName.startsWith(prefix))
        return QString();
    const QString setting = QStringLiteral("Column_") + labelName.mid(prefix.size()) + QStringLiteral("_Name");
    for (const ColumnTitleSetting& s : columnTitleSettings()) {
        if (s.name == setting)
            return setting;
    }
    return QString();
}

Form_Column_Name::Form_Column_Name(SettingsStore& orderSettings, QWidget* parent)
    : QDialog(parent), settings_(orderSettings)
{
    setObjectName(QStringLiteral("Form_Column_Name"));
    setWindowTitle(QStringLiteral("Переименовать"));
    Edit_Column_Name = new QLineEdit(this);
    Edit_Column_Name->setObjectName(QStringLiteral("Edit_Column_Name"));
    Edit_Name_Param = new QLineEdit(this);
    Edit_Name_Param->setObjectName(QStringLiteral("Edit_Name_Param"));
    Edit_Name_Param->hide();
    auto* button = new QPushButton(QStringLiteral("Переименовать"), this);
    button->setObjectName(QStringLiteral("Button_Column_Name"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit_Column_Name);
    layout->addWidget(Edit_Name_Param);
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, &Form_Column_Name::Button_Column_NameClick);
}

void Form_Column_Name::prepare(const QString& caption, const QString& settingName)
{
    Edit_Column_Name->setText(caption);
    Edit_Name_Param->setText(settingName);
}

void Form_Column_Name::Button_Column_NameClick()
{
    if (!Edit_Name_Param->text().isEmpty())
        settings_.write(Edit_Name_Param->text(), QStringLiteral("TypeText"), Edit_Column_Name->text());
    accept();
}

} // namespace velmora::search
