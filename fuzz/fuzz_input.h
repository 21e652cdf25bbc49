#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace velmora::fuzz {

// The readers under test take files: each input is written to a file in a
// folder of the process's own below the temporary folder ($TMPDIR), which
// goes when the process ends normally.
QString inputFolder();

// Writes the input as `name` in that folder, replacing the previous one,
// and returns its path.
QString writeInput(const QByteArray& bytes, const QString& name);
QString writeInput(const std::uint8_t* data, std::size_t size, const QString& name);

// The input as bytes, without a copy (valid during the call).
inline QByteArray inputBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A failed check of what a reader promises: reported and aborted, so the
// fuzzer keeps the input like a crash.
[[noreturn]] void broken(const char* what, const QString& detail = {});

} // namespace velmora::fuzz
