#include "seven_zip_unpack.h"

#include "seven_zip_listing.h"
#include "written_tree.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <utility>

namespace velmora::archive {

namespace {

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

// Where the program's files go: an entry named in the DOS code page is
// moved from the bytes it was written by to its name in UTF-8.
void renameToDecoded(UnpackFolder& folder, const ListedEntry& entry, const QString& relative)
{
    const QByteArray from = QFile::encodeName(folder.root()) + '/' + entry.rawPath;
    QStringList parts = relative.split(u'/');
    const QString name = parts.takeLast();
    if (from == QFile::encodeName(folder.root() + u'/' + relative))
        return;
    const QString to = folder.folder(parts) + u'/' + name;
    if (::rename(from.constData(), QFile::encodeName(to).constData()) != 0)
        fail(QStringLiteral("not unpacked: ") + relative);
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

    const QList<ListedEntry> listed = parseSevenZipListing(
        run(program, {QStringLiteral("l"), type, QStringLiteral("-slt"), QStringLiteral("-ba"), QStringLiteral("-sccUTF-8"),
                      QStringLiteral("--"), archive},
            deadline));
    if (listed.size() > limits.maxEntries)
        fail(QStringLiteral("more than %1 entries").arg(limits.maxEntries));
    QStringList files;
    QList<std::pair<const ListedEntry*, QString>> fileEntries; // with their paths inside
    QSet<QByteArray> listedFiles;
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
        // A name packed twice is written once, by its last entry.
        fileEntries.removeIf([&](const auto& earlier) { return earlier.first->rawPath == entry.rawPath; });
        fileEntries.append({&entry, relative});
        listedFiles.insert(entry.rawPath);
    }
    // What the listing promises must not be a bomb either.
    bounds.check(declared, archiveSize);

    run(program,
        {QStringLiteral("x"), type, QStringLiteral("-y"), QStringLiteral("-bd"), QStringLiteral("-bso0"),
         QStringLiteral("-bsp0"), QStringLiteral("-sccUTF-8"), QStringLiteral("-o") + folder.root(),
         QStringLiteral("--"), archive},
        deadline,
        // Sizes the listing gave may be lies: what is written counts.
        [&] { bounds.check(walkWritten(folder.root()).bytes, archiveSize); });
    // Regular files the listing named and their folders, nothing else.
    const WrittenTree written = walkWritten(folder.root());
    bounds.check(written.bytes, archiveSize);
    for (const QByteArray& file : written.files)
        if (!listedFiles.contains(file))
            fail(QStringLiteral("unpacked something the listing did not show: ") + QFile::decodeName(file));
    for (const auto& [entry, relative] : std::as_const(fileEntries))
        renameToDecoded(folder, *entry, relative);
    // The folders of DOS names are empty now; the others hold files.
    for (auto name = written.folders.crbegin(); name != written.folders.crend(); ++name)
        ::rmdir((QFile::encodeName(folder.root()) + '/' + *name).constData());
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
