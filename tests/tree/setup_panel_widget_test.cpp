#include "tree_test_support.h"
#include "widget_test_support.h"

#include "storage/settings_store.h"
#include "suppliers/setup/setup_panel.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::SupplierDatabases;

namespace {

struct SetupPanelTest : ::testing::Test {
    SupplierDatabases d;
    QStringList messages;
    QStringList imported;
    QStringList exported;
    QString chosenIni;
    bool admin = false;
    std::unique_ptr<QWidget> panelSetup;
    PriceListSetupPanel* panel = nullptr;

    void SetUp() override
    {
        velmora::testing::ensureApplication();
        PriceListSetupPanel::Actions actions;
        actions.importSettings = [this](const QString& p) { imported << p; };
        actions.exportSettings = [this](const QString& p) { exported << p; return true; };
        actions.isLoadAdmin = [this] { return admin; };
        actions.chooseIniFile = [this] { return chosenIni; };
        actions.chooseFolder = [this] { return d.dir.path(); };
        panelSetup = std::make_unique<QWidget>();
        panelSetup->setObjectName(QStringLiteral("Panel_Setup"));
        panel = new PriceListSetupPanel(d.orderDb, actions, panelSetup.get());
        panel->setMessageSink([this](const QString& t) { messages << t; });
        panelSetup->show();
    }

    QString writeIni(const char* name, const QByteArray& text)
    {
        const QString path = d.dir.filePath(QLatin1String(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }
};

TEST_F(SetupPanelTest, LoadingTakesOnlyAPriceListSettingsFile)
{
    chosenIni = writeIni("other.ini", "[SetupUsers]\r\nQuorvel=1\r\n");
    panel->BitBtn3Click();
    EXPECT_EQ(messages, QStringList({"  Выбран неверный ini-файл"}));
    EXPECT_TRUE(imported.isEmpty());
    EXPECT_TRUE(panelSetup->isVisible());

    chosenIni = writeIni("SetupPriceList.ini", "[CountPriceList]\r\nCount=2\r\n");
    panel->BitBtn3Click();
    EXPECT_EQ(imported, QStringList({chosenIni}));
    EXPECT_EQ(SettingsStore(d.orderDb).readText(QStringLiteral("FileIni_Path")), chosenIni);
    EXPECT_FALSE(panelSetup->isVisible());
}

TEST_F(SetupPanelTest, OnlyTheAdministratorSavesTheSettingsFile)
{
    panel->BitBtn4Click();
    EXPECT_EQ(messages, QStringList({"Сохранять настройки может только Пользователь, загружающий прайс-листы!"}));
    EXPECT_TRUE(exported.isEmpty());
    admin = true;
    messages.clear();
    panel->BitBtn4Click();
    const QString path = d.dir.filePath(QStringLiteral("SetupPriceList.ini"));
    EXPECT_EQ(exported, QStringList({path}));
    EXPECT_EQ(messages, QStringList({"Настройки сохранены в:\r" + path}));
}

} // namespace
