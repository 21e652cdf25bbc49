#include "database_commands.h"

#include "choose_database.h"
#include "form_main.h"
#include "form_progress.h"
#include "main_status_bar.h"
#include "startup_messages.h"
#include "storage/database_restore.h"
#include "storage/database_save.h"
#include "wait_window_run.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

const QString kBusy =
    QStringLiteral("Идёт загрузка или выгрузка прайс-листов.\rДождитесь её окончания и повторите команду.");
const QString kRestoreCancelled = QStringLiteral("База данных не выбрана, загрузка отменена.");
const QString kRestored = QStringLiteral("База данных обновлена!\r\rТребуется перезапуск программы");
const QString kSaveFailed = QStringLiteral("Произошла ошибка при сохранение базы данных\rпопробуйте ещё раз!");

} // namespace

DatabaseCommands::DatabaseCommands(Form_main& form, std::function<bool()> busy)
    : QObject(&form), form_(form), busy_(std::move(busy))
{
    setObjectName(QStringLiteral("DatabaseCommands"));
}

QString DatabaseCommands::workingPath() const
{
    return QDir(form_.folders().dataFolder).filePath(QStringLiteral("PRICE.vdb"));
}

void DatabaseCommands::showStatus(const QString& text)
{
    setMainStatusText(form_, 1, text);
    emit statusShown(text);
}

void DatabaseCommands::say(const QString& text)
{
    if (form_.dialogs().message)
        form_.dialogs().message(text);
}

bool DatabaseCommands::refusedWhileBusy()
{
    if (!busy_ || !busy_())
        return false;
    say(kBusy);
    return true;
}

bool DatabaseCommands::reconnect()
{
    try {
        form_.ADOConnection.open(workingPath());
        return true;
    } catch (const std::exception&) {
        say(startup_messages::priceDatabaseError(workingPath()));
        return false;
    }
}

void DatabaseCommands::SaveDatabase()
{
    if (refusedWhileBusy())
        return;
    const StartupFolders& folders = form_.folders();
    QDir().mkpath(folders.dataFolder);
    form_.globals().PathDatFile = QDir(folders.dataFolder).filePath(QStringLiteral("Path.dat"));
    form_.ADOConnection.close();

    MaintenanceReport report;
    report.status = [this](const QString& text) { showStatus(text); };
    report.message = [this](const QString& text) { say(text); };
    try {
        const DatabaseSaveFiles files{workingPath(), databaseSavePath(folders.dataFolder, folders.programFolder)};
        runBehindWaitWindow(&form_, form_.findChild<Form_Progress*>(), report,
                            [files](const MaintenanceReport& onWorker) { return SaveDatabaseFiles(files, onWorker); });
    } catch (const std::exception&) {
        showStatus(QString(kSaveFailed).replace(u'\r', u' '));
        say(kSaveFailed);
    }
    reconnect();
}

void DatabaseCommands::CompactDatabaseClick()
{
    if (refusedWhileBusy())
        return;
    form_.ADOConnection.close();
    MaintenanceReport report;
    report.status = [this](const QString& text) { showStatus(text); };
    report.message = [this](const QString& text) { say(text); };
    const QString working = workingPath();
    runBehindWaitWindow(&form_, form_.findChild<Form_Progress*>(), report,
                        [working](const MaintenanceReport& onWorker) { return CompactWorkingDatabase(working, onWorker); });
    reconnect();
}

void DatabaseCommands::ToolButton_BaseLoadClick()
{
    if (refusedWhileBusy())
        return;
    const QString chosen = form_.dialogs().openFileName
        ? form_.dialogs().openFileName(&form_, databaseFileFilter())
        : QString();
    if (chosen.isEmpty()) {
        say(kRestoreCancelled);
        return;
    }
    QDir().mkpath(form_.folders().dataFolder);
    form_.ADOConnection.close();

    MaintenanceReport report;
    report.status = [this](const QString& text) { showStatus(text); };
    report.message = [this](const QString& text) { say(text); };
    const QString working = workingPath();
    const bool restored = runBehindWaitWindow(
        &form_, form_.findChild<Form_Progress*>(), report, [chosen, working](const MaintenanceReport& onWorker) {
            onWorker.showStatus(QStringLiteral("Загрузка базы данных..."));
            return RestoreDatabase(chosen, working, onWorker);
        });
    showStatus(QString());
    if (!restored) {
        reconnect();
        return;
    }
    say(kRestored);
    form_.restartProgram();
}

} // namespace velmora
