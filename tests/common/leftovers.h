#pragma once

// What the program's temporary files look like, for tests that kill a run
// and then expect the next run to have left none of them behind.

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace velmora::testing {

// Every file and folder below `root`, relative to it, sorted.
inline QStringList everythingBelow(const QString& root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(root).relativeFilePath(it.next());
    found.sort();
    return found;
}

// The names the program gives its temporaries: a file's copy in the making
// beside it ("x.XXXXXX.part"), the compaction's "mdbXXXXXX", the save's
// "BaseTemp.vdb", an unpack's folder ("x.XXXXXX.unpack"), the probe of a
// folder's write access, and the engine's journals and logs of any of
// them or of a database nobody has open any more.
inline bool isProgramTemporary(const QString& name)
{
    static const QRegularExpression names(QStringLiteral(
        "(\\.[A-Za-z0-9]{6}\\.part|^mdb[A-Za-z0-9]{6}|^BaseTemp\\.vdb|\\.[A-Za-z0-9]{6}\\.unpack|^\\.velmora-write-"
        "|-journal$|-wal$|-shm$)"));
    return names.match(name).hasMatch();
}

// The program's temporaries below `root`, relative paths.
inline QStringList temporariesBelow(const QString& root)
{
    QStringList found;
    for (const QString& entry : everythingBelow(root))
        if (isProgramTemporary(entry.section(u'/', -1)))
            found << entry;
    return found;
}

inline void expectNoTemporariesBelow(const QString& root)
{
    const QStringList left = temporariesBelow(root);
    EXPECT_TRUE(left.isEmpty()) << "left behind in " << root.toStdString() << ": "
                                << left.join(QStringLiteral(", ")).toStdString();
}

} // namespace velmora::testing
