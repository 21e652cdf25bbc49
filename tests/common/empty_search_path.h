#pragma once

// A search path on which no program is found, for the commands that run an
// outside program when the machine has it.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace velmora::testing {

// PATH names an empty folder while this lives, and is restored after.
class EmptySearchPath {
public:
    EmptySearchPath() : saved_(qgetenv("PATH")) { qputenv("PATH", QFile::encodeName(empty_.path())); }
    ~EmptySearchPath() { qputenv("PATH", saved_); }
    EmptySearchPath(const EmptySearchPath&) = delete;
    EmptySearchPath& operator=(const EmptySearchPath&) = delete;

private:
    QByteArray saved_;
    QTemporaryDir empty_;
};

} // namespace velmora::testing
