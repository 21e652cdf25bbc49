#include "written_tree.h"

#include "unpack_rules.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace velmora::archive {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The names in one folder, without "." and "..".
QList<QByteArray> namesIn(const QByteArray& folder)
{
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.constData()));
    if (!dir)
        fail(QStringLiteral("cannot read ") + QFile::decodeName(folder));
    QList<QByteArray> names;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    return names;
}

void walk(const QByteArray& root, const QByteArray& below, WrittenTree& tree)
{
    for (const QByteArray& name : namesIn(below.isEmpty() ? root : root + '/' + below)) {
        const QByteArray relative = below.isEmpty() ? name : below + '/' + name;
        struct stat status;
        if (::lstat((root + '/' + relative).constData(), &status) != 0)
            fail(QStringLiteral("cannot read ") + QFile::decodeName(relative));
        if (S_ISDIR(status.st_mode)) {
            tree.folders << relative;
            walk(root, relative, tree);
        } else if (S_ISREG(status.st_mode)) {
            tree.files << relative;
            tree.bytes += status.st_size;
        } else {
            fail(QStringLiteral("unpacked something that is no file: ") + QFile::decodeName(relative));
        }
    }
}

} // namespace

WrittenTree walkWritten(const QString& root)
{
    WrittenTree tree;
    walk(QFile::encodeName(root), QByteArray(), tree);
    return tree;
}

} // namespace velmora::archive
