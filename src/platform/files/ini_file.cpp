#include "ini_file.h"

#include "cp1251.h"
#include "ini_document.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <stdexcept>

namespace velmora {
namespace {

const QString kAllParameters = QStringLiteral("AllParametrs");
const QChar kCr = u'\r';

// Checks the three names; on an empty one tells the user which are missing.
bool namesPresent(const QString& firstLine, const QString& file, const QString& section, const QString& key,
                  const MessageSink& messages)
{
    QStringList missing;
    if (file.isEmpty())
        missing << QStringLiteral("Имя файла");
    if (section.isEmpty())
        missing << QStringLiteral("Название секции");
    if (key.isEmpty())
        missing << QStringLiteral("Название Параметра");
    if (missing.isEmpty())
        return true;
    if (messages)
        messages(firstLine + file + kCr + QStringLiteral("Отсутствует необходимый параметр:") + kCr
                 + missing.join(kCr));
    return false;
}

void reportFailure(const QString& firstLine, const QString& file, const QString& keyLead, const QString& section,
                   const QString& key, const MessageSink& messages)
{
    if (messages)
        messages(firstLine + file + kCr + keyLead + key + QStringLiteral(", секции ") + section);
}

} // namespace

bool WriteIniString(const QString& file, const QString& section, const QString& value, const QString& key,
                    const MessageSink& messages)
{
    const QString firstLine = QStringLiteral("Ошибка при сохранении в ini-файл ");
    if (!namesPresent(firstLine, file, section, key, messages))
        return false;
    try {
        IniDocument document = IniDocument::load(file);
        document.setValue(section, key, value);
        document.save(file);
        return true;
    } catch (const std::exception&) {
        reportFailure(firstLine, file, QStringLiteral(" параметра "), section, key, messages);
        return false;
    }
}

QString ReadIniString(const QString& file, const QString& section, const QString& defaultValue, const QString& key,
                      const MessageSink& messages)
{
    const QString firstLine = QStringLiteral("Ошибка при считывании в ini-файла ");
    if (!namesPresent(firstLine, file, section, key, messages))
        return QStringLiteral("Error");
    try {
        return IniDocument::load(file).value(section, key).value_or(defaultValue);
    } catch (const std::exception&) {
        reportFailure(firstLine, file, QStringLiteral("     параметра "), section, key, messages);
        return QStringLiteral("Error");
    }
}

bool DeleteIniKey(const QString& file, const QString& section, const QString& key, const MessageSink& messages)
{
    if (!namesPresent(QStringLiteral("Ошибка при изменении ini-файла "), file, section, key, messages))
        return false;
    try {
        IniDocument document = IniDocument::load(file);
        if (key == kAllParameters)
            document.removeSection(section);
        else
            document.removeKey(section, key);
        document.save(file);
        return true;
    } catch (const std::exception&) {
        reportFailure(QStringLiteral("Ошибка при удалении из ini-файла "), file, QStringLiteral(" параметра "),
                      section, key, messages);
        return false;
    }
}

QString ReadPathDat(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(file, in.errorString()).toStdString());
    QString text = decodeText(in.readAll());
    const int lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0)
        text.truncate(lineEnd);
    return text.trimmed();
}

void WritePathDat(const QString& file, const QString& path)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw std::runtime_error(QStringLiteral("Не удалось записать файл %1: %2").arg(file, out.errorString()).toStdString());
    out.write(encodeCp1251(path));
    if (!out.commit())
        throw std::runtime_error(QStringLiteral("Не удалось записать файл %1: %2").arg(file, out.errorString()).toStdString());
}

} // namespace velmora
