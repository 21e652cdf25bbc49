#include "suppliers/setup/setup_panel.h"

#include "platform/files/ini_file.h"
#include "storage/settings_store.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

bool IsPriceListSettingsFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString count = ReadIniString(path, QStringLiteral("CountPriceList"), QString(), QStringLiteral("Count"));
    return !count.isEmpty() && count != u"Error";
}

PriceListSetupPanel::PriceListSetupPanel(db::Connection& orderDb, Actions actions, QWidget* parent)
    : QWidget(parent), orderDb_(orderDb), actions_(std::move(actions))
{
    setObjectName(QStringLiteral("PriceListSetupPanel"));
    auto* layout = new QVBoxLayout(this);
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        layout->addWidget(b);
        return b;
    };
    BitBtn3 = button("BitBtn3", QStringLiteral("Загрузить настройки из ini-файла"));
    BitBtn4 = button("BitBtn4", QStringLiteral("Сохранить настройки в ini-файле"));
    BitBtn1 = button("BitBtn1", QStringLiteral("Путь к базе с прайс-листами"));
    Button4 = button("Button4", QStringLiteral("Закрыть"));
    layout->addStretch();
    connect(BitBtn3, &QPushButton::clicked, this, &PriceListSetupPanel::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &PriceListSetupPanel::BitBtn4Click);
    connect(BitBtn1, &QPushButton::clicked, this, &PriceListSetupPanel::BitBtn1Click);
    connect(Button4, &QPushButton::clicked, this, &PriceListSetupPanel::Button4Click);

    if (!actions_.chooseIniFile)
        actions_.chooseIniFile = [this] {
            return QFileDialog::getOpenFileName(this, QString(), QString(),
                                                QStringLiteral("Файлы с настройками (*.ini);;Все файлы (*)"));
        };
    if (!actions_.chooseFolder)
        actions_.chooseFolder = [this] {
            return QFileDialog::getExistingDirectory(this, QStringLiteral("Укажите папку для выгрузки файлов"));
        };
    try {
        const QString remembered = SettingsStore(orderDb_).readText(QStringLiteral("FileIni_Path"));
        BitBtn3->setToolTip(remembered);
        BitBtn4->setToolTip(remembered);
    } catch (const std::exception&) {
        // No settings table yet: the hints stay empty.
    }
}

void PriceListSetupPanel::say(const QString& text) const
{
    if (messages_)
        messages_(text);
}

void PriceListSetupPanel::hidePanel()
{
    emit hideRequested();
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (w->objectName() == u"Panel_Setup") {
            w->hide();
            return;
        }
    }
}

void PriceListSetupPanel::BitBtn3Click()
{
    const QString path = actions_.chooseIniFile();
    if (path.isEmpty())
        return;
    if (!IsPriceListSettingsFile(path)) {
        say(QStringLiteral("  Выбран неверный ini-файл"));
        return;
    }
    SettingsStore(orderDb_).write(QStringLiteral("FileIni_Path"), QStringLiteral("TypeText"), path);
    BitBtn3->setToolTip(path);
    BitBtn4->setToolTip(path);
    if (actions_.importSettings)
        actions_.importSettings(path);
    hidePanel();
    emit settingsImported();
}

void PriceListSetupPanel::BitBtn4Click()
{
    if (!actions_.isLoadAdmin || !actions_.isLoadAdmin()) {
        say(QStringLiteral("Сохранять настройки может только Пользователь, загружающий прайс-листы!"));
        return;
    }
    const QString folder = actions_.chooseFolder();
    if (folder.isEmpty())
        return;
    const QString path = QDir(folder).filePath(QStringLiteral("SetupPriceList.ini"));
    if (actions_.exportSettings && actions_.exportSettings(path))
        say(QStringLiteral("Настройки сохранены в:\r") + path);
}

void PriceListSetupPanel::BitBtn1Click()
{
    if (actions_.chooseDatabase)
        actions_.chooseDatabase();
    hidePanel();
}

void PriceListSetupPanel::Button4Click() { hidePanel(); }

} // namespace velmora
