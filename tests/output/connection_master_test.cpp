// The ODBC data-source wizard, offscreen, writing a temporary odbc.ini.
#include "../common/program_databases.h"
#include "../odbc/odbc_test_support.h"

#include "output/shop_upload/frm_connection_master.h"
#include "output/shop_upload/shop_data_source.h"

#include "platform/odbc/data_source.h"

#include <QFile>
#include <QPushButton>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::test::ScopedEnvironment;

namespace {

class ConnectionMasterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        window = std::make_unique<frmConnectionMaster>();
        ConnectionMasterDialogs dialogs;
        dialogs.message = [this](const QString& text) { messages << text; };
        dialogs.openFileName = [this](QWidget*, const QString& filter) {
            filters << filter;
            return pickedDriver;
        };
        dialogs.input = [this](QWidget*, const QString& caption, const QString&) -> std::optional<QString> {
            captions << caption;
            if (answers.isEmpty())
                return std::nullopt;
            return answers.takeFirst();
        };
        window->setDialogs(dialogs);
    }
    QString ini() const
    {
        QFile file(dir.filePath("odbc.ini"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void click(const char* name) { findControl<QPushButton>(window.get(), name)->click(); }
    bool resultShown() const { return findControl<QWidget>(window.get(), "Panel_Result")->isVisibleTo(window.get()); }

    QTemporaryDir dir;
    ScopedEnvironment odbcIni{"ODBCINI", QFile::encodeName(dir.filePath("odbc.ini"))};
    std::unique_ptr<frmConnectionMaster> window;
    QStringList messages, filters, captions;
    QStringList answers{QStringLiteral(" srv "), QStringLiteral("shop")};
    QString pickedDriver;
};

TEST_F(ConnectionMasterTest, NextRegistersTheSourceAndCloseGivesItsConnectionString)
{
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Мастер настройки системы"));
    EXPECT_FALSE(resultShown());
    click("btnNext");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Сервер MySQL"), QStringLiteral("База данных MySQL")}));
    EXPECT_TRUE(resultShown());
    const QString text = ini();
    for (const QString& line :
         {QStringLiteral("VelmoraShopODBCDataAdmin=MySQL ODBC 3.51 Driver"), QStringLiteral("Server=srv"),
          QStringLiteral("Database=shop"), QStringLiteral("Port=3306"), QStringLiteral("Option=3"),
          QStringLiteral("Driver=") + odbc::MariaDbDriverPath()})
        EXPECT_TRUE(text.contains(line)) << line.toStdString() << "\n" << text.toStdString();
    click("btnClose");
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(window->connectionString(),
              QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=VelmoraShopODBCDataAdmin"));

    // Shown again, it starts over.
    window->show();
    EXPECT_FALSE(resultShown());
    EXPECT_TRUE(window->connectionString().isEmpty());
}

TEST_F(ConnectionMasterTest, AFailedRegistrationIsReportedNotOk)
{
    ScopedEnvironment nowhere("ODBCINI", QFile::encodeName(dir.filePath("missing/odbc.ini")));
    window->show();
    click("btnNext");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(dir.filePath("missing/odbc.ini"))) << messages[0].toStdString();
    EXPECT_FALSE(resultShown());
    click("btnClose");
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_TRUE(window->connectionString().isEmpty());

    // A cancelled question registers nothing.
    messages.clear();
    answers = {QStringLiteral("srv")};
    window->show();
    click("btnNext");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(resultShown());
}

} // namespace
