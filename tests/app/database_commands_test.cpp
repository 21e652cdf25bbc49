// The database commands in the running program: save from ToolButton_Base,
// restore from ToolButton_BaseLoad (a chosen zip or ARJ archive, cancel,
// files that are no price database), compaction from the menu, refusal
// while a load runs.
#include "app/database_commands.h"
#include "app/form_progress.h"
#include "app/program.h"
#include "app/velmora_application.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../common/empty_search_path.h"
#include "../common/packed_files.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QToolButton>

#include <optional>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);


// The administrator's program on a fresh installation, recording what it
// says and whether it starts itself again.
struct AdminProgram : WiredInstallation {
    QStringList statuses;
    QStringList errors;
    QString chosenFile;
    QString dialogFilter;
    int restarts = 0;
    bool connectionsClosedAtRestart = false;
    std::unique_ptr<Program> program;

    Form_main& form() { return *program->Form_main(); }
    QString working() const { return data + QStringLiteral("PRICE.vdb"); }
    QString programFolder() const { return Installation::program; }

    void start()
    {
        ApplicationEnvironment::instance->setErrorSink([this](const QString& text) { errors << text; });
        ProgramOptions o = options();
        o.dialogs.openFileName = [this](QWidget*, const QString& filter) {
            dialogFilter = filter;
            return chosenFile;
        };
        o.mainWindow.startProgramAgain = [this] {
            ++restarts;
            connectionsClosedAtRestart = !form().ADOConnection.isOpen() && !form().ADOConnection_Zakaz.isOpen();
        };
        program = std::make_unique<Program>(std::move(o));
        ASSERT_TRUE(program->start());
        processEventsFor(100);
        QObject::connect(form().findChild<DatabaseCommands*>(QStringLiteral("DatabaseCommands")),
                         &DatabaseCommands::statusShown, [this](const QString& text) { statuses << text; });
        messages.clear();
    }
    ~AdminProgram()
    {
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        ApplicationEnvironment::instance->setErrorSink({});
    }

    void click(const char* button) { form().findChild<QToolButton*>(QLatin1String(button))->click(); }
};

TEST(DatabaseCommands, SaveShowsItsTextsInOrderAndReconnects)
{
    AdminProgram p;
    p.start();
    const QString target = p.programFolder() + QStringLiteral("PRICE.vdb");

    p.click("ToolButton_Base");

    EXPECT_EQ(p.statuses,
              QStringList({"Сжатие базы данных...", "Обновление Индексов в базе данных",
                           "Обновление Индексов ЗАВЕРШЕНО!     Обновлено: 12  Добавлено: 0  ОШИБОК: 0",
                           "Копирование базы данных...", "База данных успешно сохраненена!  " + target}));
    EXPECT_EQ(p.messages, QStringList{"База данных успешно сохраненена!\r" + target});
    EXPECT_TRUE(p.form().ADOConnection.isOpen());
    EXPECT_EQ(p.form().ADOConnection.path(), p.working());
    EXPECT_EQ(p.program->globals().PathDatFile, p.data + QStringLiteral("Path.dat"));
    EXPECT_TRUE(p.form().findChild<Form_Progress*>()->isHidden());
    EXPECT_EQ(p.restarts, 0);
    p.form().close();
}

// The database packed in a zip or an ARJ archive: restored, and the next
// run works on it.
class DatabaseCommandsRestore : public ::testing::TestWithParam<const char*> {};

TEST_P(DatabaseCommandsRestore, OfAChosenArchiveRestartsWithBothConnectionsClosedOnTheDatabaseInIt)
{
    AdminProgram p;
    p.start();
    p.makePriceDatabase(p.root.filePath(QStringLiteral("PRICE.vdb")), QStringLiteral("from the archive"));
    p.chosenFile = p.root.filePath(QLatin1String(GetParam()));
    packFiles(p.chosenFile, p.root.path(), {QStringLiteral("PRICE.vdb")});

    p.click("ToolButton_BaseLoad");

    EXPECT_EQ(p.dialogFilter, QStringLiteral("Базы данных VDB (*.vdb *.zip *.rar *.arj);;Все файлы (*)"));
    EXPECT_EQ(p.messages, QStringList{"База данных обновлена!\r\rТребуется перезапуск программы"});
    EXPECT_EQ(p.restarts, 1);
    EXPECT_TRUE(p.connectionsClosedAtRestart);
    EXPECT_TRUE(p.form().endRequested());
    EXPECT_EQ(priceMarker(p.working()), QStringLiteral("from the archive"));
    EXPECT_TRUE(QFileInfo::exists(p.working() + QStringLiteral(".bak")));

    p.form().close();
    p.program.reset();
    p.start();
    EXPECT_EQ(p.form().ADOConnection.path(), p.working());
    EXPECT_EQ(p.form().ADOConnection.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = 'Marker'")),
              QStringLiteral("from the archive"));
    p.form().close();
}

INSTANTIATE_TEST_SUITE_P(ZipAndArj, DatabaseCommandsRestore, ::testing::Values("base.zip", "base.arj"));

TEST(DatabaseCommands, RestoreOfNoPriceDatabaseKeepsTheWorkingFileAndTheRun)
{
    AdminProgram p;
    p.start();
    p.makePriceDatabase(p.working(), QStringLiteral("working"));
    const QString readme = p.root.filePath(QStringLiteral("readme.txt"));
    {
        QFile text(readme);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("no database here\r\n");
    }
    const QString readmeZip = p.root.filePath(QStringLiteral("readme.zip"));
    packFiles(readmeZip, p.root.path(), {QStringLiteral("readme.txt")});
    const QString readmeArj = p.root.filePath(QStringLiteral("readme.arj"));
    packFiles(readmeArj, p.root.path(), {QStringLiteral("readme.txt")});
    const QString garbage = p.root.filePath(QStringLiteral("garbage.vdb"));
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'g'));
    }
    const QString notFound = QStringLiteral("Файл не является базой данных с прайс-листами:\r");
    const struct {
        QString chosen;
        QString message;
        bool without7zz = false;
    } cases[] = {
        {QString(), QStringLiteral("База данных не выбрана, загрузка отменена.")},
        {readmeZip, notFound + readmeZip + QStringLiteral("/readme.txt")},
        {readmeArj, notFound + readmeArj + QStringLiteral("/readme.txt")},
        {readmeArj,
         QStringLiteral("Архив ARJ не распакован: для него нужна программа 7zz из пакета 7zip, "
                        "а её на этом компьютере нет.\r")
             + readmeArj,
         true},
        {garbage, notFound + garbage},
    };
    for (const auto& c : cases) {
        p.messages.clear();
        p.chosenFile = c.chosen;
        std::optional<EmptySearchPath> searchPath;
        if (c.without7zz)
            searchPath.emplace();
        p.click("ToolButton_BaseLoad");
        EXPECT_EQ(p.messages, QStringList{c.message});
        EXPECT_TRUE(p.form().ADOConnection.isOpen());
    }
    EXPECT_EQ(p.restarts, 0);
    EXPECT_FALSE(p.form().endRequested());
    EXPECT_EQ(priceMarker(p.working()), QStringLiteral("working"));
    EXPECT_FALSE(QFileInfo::exists(p.root.filePath(QStringLiteral("readme")))) << "nothing unpacked beside the zip";
    EXPECT_EQ(QDir(p.data).entryList({QStringLiteral("*.unpack"), QStringLiteral("*.part")}, QDir::AllEntries),
              QStringList());
    p.form().close();
}

TEST(DatabaseCommands, CompactionFromTheMenuAndRefusalWhileBusy)
{
    AdminProgram p;
    p.start();
    auto* compact = p.form().findChild<QAction*>(QStringLiteral("CompactDatabase"));
    ASSERT_NE(compact, nullptr);
    EXPECT_EQ(compact->text(), QStringLiteral("Сжать базу данных"));
    compact->trigger();
    EXPECT_TRUE(p.messages.isEmpty()) << p.messages.join(u'|').toStdString();
    EXPECT_EQ(p.statuses.value(0), QStringLiteral("Сжатие базы данных..."));
    EXPECT_TRUE(p.form().ADOConnection.isOpen());

    DatabaseCommands busy(p.form(), [] { return true; });
    busy.SaveDatabase();
    busy.CompactDatabaseClick();
    busy.ToolButton_BaseLoadClick();
    const QString refused = QStringLiteral("Идёт загрузка или выгрузка прайс-листов.\rДождитесь её окончания и повторите команду.");
    EXPECT_EQ(p.messages, QStringList({refused, refused, refused}));
    EXPECT_TRUE(p.form().ADOConnection.isOpen());
    p.form().close();
}

} // namespace
