#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace velmora::archive {

// One entry of 7-Zip's technical listing ("l -slt").
struct ListedEntry {
    // The name's bytes as the program prints and writes it: a DOS archive's
    // names are stored in the DOS code page, which it leaves as they are.
    QByteArray rawPath;
    // The name as the user knows it: UTF-8 from a Unix archiver, the DOS
    // Cyrillic code page (866) from any other.
    QString path;
    bool folder = false;
    bool encrypted = false;
    bool link = false;
    qint64 size = 0;
};

// One "Key = value" line per property, an entry beginning at each "Path".
QList<ListedEntry> parseSevenZipListing(const QByteArray& output);

} // namespace velmora::archive
