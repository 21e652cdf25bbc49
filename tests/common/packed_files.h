#pragma once

// Archives made in a test by outside packers, never by the program's
// readers: Python's zipfile for a .zip, Debian's arj for an .arj.

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace velmora::testing {

// Packs the files of `folder` named by their paths inside it, in this order.
inline void packFiles(const QString& archive, const QString& folder, const QStringList& names)
{
    const QString target = QFileInfo(archive).absoluteFilePath();
    QProcess packer;
    packer.setWorkingDirectory(folder);
    packer.setStandardInputFile(QProcess::nullDevice());
    if (target.endsWith(QLatin1String(".arj"), Qt::CaseInsensitive))
        packer.start(QStringLiteral("arj"), QStringList{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-i"), target} + names);
    else
        packer.start(QStringLiteral("/usr/bin/python3"),
                     QStringList{QStringLiteral("-c"),
                                 QStringLiteral("import sys, zipfile\n"
                                                "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                                                "    for name in sys.argv[2:]: z.write(name)\n"),
                                 target}
                         + names);
    ASSERT_TRUE(packer.waitForFinished(30000)) << target.toStdString();
    ASSERT_EQ(packer.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(packer.exitCode(), 0) << packer.readAllStandardError().toStdString();
}

} // namespace velmora::testing
