// Runs one database command to its end, for a test that kills it on the
// way:
//   database_kill_helper save WORKING SAVE_PATH
//   database_kill_helper compact WORKING
//   database_kill_helper restore CHOSEN WORKING   (a database or an archive)
// Exits 0 when the command succeeded; its messages go to standard error.
#include "storage/database_restore.h"
#include "storage/database_save.h"

#include <QCoreApplication>

#include <cstdio>

using namespace velmora;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    MaintenanceReport report;
    report.message = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    if (args.size() == 4 && args[1] == QLatin1String("save"))
        return SaveDatabaseFiles({args[2], args[3]}, report) ? 0 : 1;
    if (args.size() == 3 && args[1] == QLatin1String("compact"))
        return CompactWorkingDatabase(args[2], report) ? 0 : 1;
    if (args.size() == 4 && args[1] == QLatin1String("restore"))
        return RestoreDatabase(args[2], args[3], report) ? 0 : 1;
    return 2;
}
