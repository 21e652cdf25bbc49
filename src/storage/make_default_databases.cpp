// Writes the default databases PRICE.vdb and BaseZakaz.vdb into the folder
// given as the only argument (the program folder of the build).

#include "platform/db/db_error.h"
#include "storage/schema.h"

#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_default_databases <program folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_default_databases: cannot create %s\n", argv[1]);
        return 1;
    }
    try {
        velmora::createPriceDatabase(folder.filePath(QStringLiteral("PRICE.vdb")));
        velmora::createOrderDatabase(folder.filePath(QStringLiteral("BaseZakaz.vdb")));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_default_databases: %s\n", e.what());
        return 1;
    }
    return 0;
}
