#pragma once

// What an outside program wrote below a folder, taken by the bytes of the
// names: a name in no code page of this system is compared with the
// listing's as it is on the disk, where a QString would lose it.

#include <QByteArray>
#include <QList>
#include <QString>

namespace velmora::archive {

struct WrittenTree {
    QList<QByteArray> files;   // regular files, paths below the folder
    QList<QByteArray> folders; // each after the folder holding it
    qint64 bytes = 0;          // of all the files
};

// Fails (UnpackError) on anything but folders and regular files.
WrittenTree walkWritten(const QString& root);

} // namespace velmora::archive
