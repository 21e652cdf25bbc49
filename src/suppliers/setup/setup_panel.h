#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QWidget>

#include <functional>

class QPushButton;

namespace velmora {

// True when the file is a price-list settings file: its [CountPriceList]
// section has a Count.
bool IsPriceListSettingsFile(const QString& path);

// The price-list buttons of the settings panel Panel_Setup: load and save
// all price-list settings as an INI file, choose the shared price database,
// close the panel. The work itself belongs to other parts of the program
// and comes in as callbacks; the panel checks the inputs, keeps the setting
// "FileIni_Path" and shows the results.
class PriceListSetupPanel : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        // Imports every price-list setting from the file (and rebuilds the tree).
        std::function<void(const QString& iniPath)> importSettings;
        // Writes every price-list setting to the file; false on failure.
        std::function<bool(const QString& iniPath)> exportSettings;
        // ChooseDatabaseFile: lets the user pick the shared price database.
        std::function<void()> chooseDatabase;
        // IsLoadAdmin.
        std::function<bool()> isLoadAdmin;
        // Dialogs (replaced by tests): a chosen INI file / folder, "" on cancel.
        std::function<QString()> chooseIniFile;
        std::function<QString()> chooseFolder;
    };

    PriceListSetupPanel(db::Connection& orderDb, Actions actions, QWidget* parent = nullptr);

    // Where messages go (none: nothing is shown).
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }

public slots:
    void BitBtn3Click(); // "Загрузить настройки из ini-файла"
    void BitBtn4Click(); // "Сохранить настройки в ini-файле"
    void BitBtn1Click(); // "Путь к базе с прайс-листами"
    void Button4Click(); // closes the panel

signals:
    // After an import: rates are refreshed and the goods search reruns.
    void settingsImported();
    // Hide Panel_Setup (the panel hides its Panel_Setup ancestor itself).
    void hideRequested();

private:
    void hidePanel();
    void say(const QString& text) const;

    db::Connection& orderDb_;
    Actions actions_;
    MessageSink messages_;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* Button4 = nullptr;
};

} // namespace velmora
