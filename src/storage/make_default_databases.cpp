// Writes the default databases PRICE.vdb and BaseZakaz.vdb into the folder
// given as the only argument (the program folder of the build).

#include "platform/db/db_error.h"
#include "storage/schema.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <stdexcept>

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
        // The files are build products: the schema code makes them anew.
        const QString price = folder.filePath(QStringLiteral("PRICE.vdb"));
        const QString order = folder.filePath(QStringLiteral("BaseZakaz.vdb"));
        for (const QString& file : {price, order})
            if (QFile::exists(file) && !QFile::remove(file))
                throw std::runtime_error("cannot replace " + file.toStdString());
        velmora::createPriceDatabase(price);
        velmora::createOrderDatabase(order);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_default_databases: %s\n", e.what());
        return 1;
    }
    return 0;
}
