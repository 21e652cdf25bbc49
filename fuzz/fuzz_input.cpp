#include "fuzz_input.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace velmora::fuzz {

QString inputFolder()
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        broken("no temporary folder", folder.errorString());
    return folder.path();
}

QString writeInput(const QByteArray& bytes, const QString& name)
{
    const QString path = inputFolder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        broken("cannot write the input", path);
    return path;
}

QString writeInput(const std::uint8_t* data, std::size_t size, const QString& name)
{
    return writeInput(inputBytes(data, size), name);
}

void broken(const char* what, const QString& detail)
{
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

} // namespace velmora::fuzz
