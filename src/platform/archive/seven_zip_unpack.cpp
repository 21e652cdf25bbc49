#include "seven_zip_unpack.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

namespace velmora::archive {

namespace {

struct ListedEntry {
    QString path;
    bool folder = false;
    bool encrypted = false;
    bool link = false;
    qint64 size = 0;
};

QString programPath(const QString& program)
{
    if (program.contains(u'/')) {
        const QFileInfo file(program);
        return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

// One run of the program: arguments as a list, no shell; standard input
// empty, so that a question (a password) gets no answer; names in UTF-8.
// `watch` runs every tenth of a second while it works and may fail.
QByteArray run(const QString& program, const QStringList& arguments, const QDeadlineTimer& deadline,
               const std::function<void()>& watch = {})
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start();
    if (!process.waitForStarted(10000))
        fail(QStringLiteral("cannot start ") + program);
    try {
        while (!process.waitForFinished(100)) {
            if (process.state() == QProcess::NotRunning)
                break;
            if (deadline.hasExpired())
                fail(QStringLiteral("%1 took longer than its time bound").arg(program));
            if (watch)
                watch();
        }
    } catch (...) {
        process.kill();
        process.waitForFinished(5000);
        throw;
    }
    const QByteArray output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromUtf8(process.readAllStandardError() + output).simplified();
        fail(QStringLiteral("%1 failed (%2): %3").arg(program).arg(process.exitCode()).arg(said.left(500)));
    }
    return output;
}

// Unix mode bits as 7-Zip shows them ("-rw-r--r--"), beginning with "l"
// for a link.
bool attributesSayLink(const QString& attributes)
{
    for (const QString& word : attributes.split(u' ', Qt::SkipEmptyParts))
        if (word.size() == 10 && word.startsWith(u'l'))
            return true;
    return false;
}

// The technical listing ("-slt"): one "Key = value" line per property, an
// entry beginning at each "Path".
QList<ListedEntry> parseListing(const QByteArray& output)
{
    QList<ListedEntry> entries;
    for (const QByteArray& rawLine : output.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).remove(u'\r');
        const qsizetype equals = line.indexOf(QLatin1String(" = "));
        if (equals < 0) {
            if (line.endsWith(QLatin1String(" =")) && line.startsWith(QLatin1String("Path")))
                entries.append(ListedEntry{}); // an entry without a name
            continue;
        }
        const QString key = line.left(equals);
        const QString value = line.mid(equals + 3);
        if (key == QLatin1String("Path")) {
            entries.append(ListedEntry{value});
            continue;
        }
        if (entries.isEmpty())
            continue;
        ListedEntry& entry = entries.last();
        if (key == QLatin1String("Folder"))
            entry.folder = value == QLatin1String("+");
        else if (key == QLatin1String("Size"))
            entry.size = value.toLongLong();
        else if (key == QLatin1String("Encrypted"))
            entry.encrypted = value == QLatin1String("+");
        else if (key == QLatin1String("Attributes"))
            entry.link = entry.link || attributesSayLink(value);
        else if (key == QLatin1String("Symbolic Link") || key == QLatin1String("Hard Link"))
            entry.link = entry.link || !value.isEmpty();
    }
    return entries;
}

// The bytes below the folder, and whether anything but folders and regular
// files is there.
qint64 bytesBelow(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

// What the program wrote: regular files named in the listing and their
// folders, nothing else.
void checkWritten(const QString& root, const QSet<QString>& listedFiles)
{
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            fail(QStringLiteral("cannot read ") + path);
        if (S_ISDIR(status.st_mode))
            continue;
        const QString relative = path.mid(root.size() + 1);
        if (!S_ISREG(status.st_mode) || !listedFiles.contains(relative))
            fail(QStringLiteral("unpacked something the listing did not show: ") + relative);
    }
}

} // namespace

bool sevenZipProgramFound(const QString& program) { return !programPath(program).isEmpty(); }

QStringList unpackWithSevenZip(const QString& archivePath, UnpackFolder& folder, const UnpackBounds& bounds,
                               const UnpackLimits& limits)
{
    const QString program = programPath(limits.sevenZipProgram);
    if (program.isEmpty())
        fail(QStringLiteral("no %1 on this machine").arg(limits.sevenZipProgram), UnpackFailure::ReaderMissing);
    // A full path: a name beginning with "-" or "@" is never read as a switch
    // or a list file.
    const QString archive = QFileInfo(archivePath).absoluteFilePath();
    const qint64 archiveSize = QFileInfo(archive).size();
    const QDeadlineTimer deadline(limits.programTimeoutMs);

    // The kind is the extension's, as for every other archive: a file named
    // .arj is read as ARJ or not at all.
    const QString type = QStringLiteral("-tarj");

    const QList<ListedEntry> listed = parseListing(
        run(program, {QStringLiteral("l"), type, QStringLiteral("-slt"), QStringLiteral("-ba"), QStringLiteral("-sccUTF-8"),
                      QStringLiteral("--"), archive},
            deadline));
    if (listed.size() > limits.maxEntries)
        fail(QStringLiteral("more than %1 entries").arg(limits.maxEntries));
    QStringList files;
    QSet<QString> listedFiles;
    qint64 declared = 0;
    for (const ListedEntry& entry : listed) {
        if (entry.encrypted)
            fail(QStringLiteral("encrypted entry"));
        const std::optional<QStringList> parts = pathInside(entry.path);
        if (!parts || parts->isEmpty())
            fail(QStringLiteral("entry outside the target folder: ") + entry.path);
        if (entry.link)
            fail(QStringLiteral("link: ") + entry.path); // the program would make it
        if (entry.folder)
            continue;
        bounds.checkDeclared(declared, entry.size);
        declared += entry.size;
        const QString relative = parts->join(u'/');
        files.removeAll(relative);
        files << relative;
        listedFiles.insert(relative);
    }
    // What the listing promises must not be a bomb either.
    bounds.check(declared, archiveSize);

    run(program,
        {QStringLiteral("x"), type, QStringLiteral("-y"), QStringLiteral("-bd"), QStringLiteral("-bso0"), QStringLiteral("-bsp0"),
         QStringLiteral("-sccUTF-8"), QStringLiteral("-o") + folder.root(), QStringLiteral("--"), archive},
        deadline,
        // Sizes the listing gave may be lies: what is written counts.
        [&] { bounds.check(bytesBelow(folder.root()), archiveSize); });
    bounds.check(bytesBelow(folder.root()), archiveSize);
    checkWritten(folder.root(), listedFiles);
    // The program gives files the archive's times; an unpack's files get
    // the time they were written, one after the other in the archive's
    // order, as the other kinds' do: the newest of them is the last packed.
    for (const QString& file : std::as_const(files)) {
        const QString path = folder.root() + u'/' + file;
        if (!QFileInfo(path).isFile())
            fail(QStringLiteral("not unpacked: ") + file);
        if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, AT_SYMLINK_NOFOLLOW) != 0)
            fail(QStringLiteral("cannot set the time of ") + path);
    }
    return files;
}

} // namespace velmora::archive
