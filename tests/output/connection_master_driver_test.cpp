// The wizard where the driver list names no MariaDB driver (a program of
// its own: the driver manager reads ODBCSYSINI once per process).
#include "../common/program_databases.h"
#include "../odbc/odbc_test_support.h"

#include "output/shop_upload/frm_connection_master.h"

#include <QFile>
#include <QPushButton>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::test::ScopedEnvironment;

TEST(ConnectionMasterDriver, WithoutTheDriverTheUserPicksItsFile)
{
    ensureApplication();
    QTemporaryDir dir;
    ScopedEnvironment list("ODBCSYSINI", QFile::encodeName(dir.path()));
    ScopedEnvironment odbcIni("ODBCINI", QFile::encodeName(dir.filePath("odbc.ini")));
    frmConnectionMaster window;
    QStringList messages, filters;
    QString picked;
    ConnectionMasterDialogs dialogs;
    dialogs.message = [&](const QString& text) { messages << text; };
    dialogs.openFileName = [&](QWidget*, const QString& filter) {
        filters << filter;
        return picked;
    };
    dialogs.input = [](QWidget*, const QString& caption, const QString&) -> std::optional<QString> {
        return caption == QStringLiteral("Сервер MySQL") ? QStringLiteral("srv") : QStringLiteral("shop");
    };
    window.setDialogs(dialogs);
    window.show();

    // Cancelled: nothing registered.
    findControl<QPushButton>(&window, "btnNext")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(dir.filePath("odbcinst.ini"))) << messages[0].toStdString();
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].contains(QStringLiteral("libmaodbc.so")));
    EXPECT_FALSE(QFile::exists(dir.filePath("odbc.ini")));

    picked = QStringLiteral("/opt/odbc/libmaodbc.so");
    findControl<QPushButton>(&window, "btnNext")->click();
    QFile ini(dir.filePath("odbc.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(ini.readAll()).contains(QStringLiteral("Driver=/opt/odbc/libmaodbc.so")));
    EXPECT_TRUE(findControl<QWidget>(&window, "Panel_Result")->isVisibleTo(&window));
}
