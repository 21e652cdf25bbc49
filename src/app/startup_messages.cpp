#include "startup_messages.h"

namespace velmora::startup_messages {

namespace {
const QString CR = QStringLiteral("\r");
const QString Quote = QStringLiteral("\"");
const QString DefaultCopy = Quote + QStringLiteral("по-умолчанию") + Quote;
} // namespace

QString orderDatabaseError()
{
    return QStringLiteral("Произошла ошибка при подключении к базе данных ") + Quote + QStringLiteral("BaseZakaz.vdb")
        + Quote + CR + QStringLiteral("обратитесь к разработчику!");
}

QString orderDatabaseMissing(const QString& path)
{
    return QStringLiteral("Отсутствует файл базы данных:") + CR + path + CR + QStringLiteral("запуск программы невозможен!");
}

QString sharedDatabaseMissing(const QString& path)
{
    return QStringLiteral("Отсутствует база с прайс-листами:") + CR + path;
}

QString defaultDatabaseConnected(const QString& programFolder)
{
    return QStringLiteral("Подключена база ") + DefaultCopy + QStringLiteral("!:") + CR + programFolder
        + QStringLiteral("PRICE.vdb");
}

QString defaultDatabaseCopyFailed(const QString& programFolder)
{
    return QStringLiteral("Не удалось скопировать базу ") + DefaultCopy + CR + programFolder + QStringLiteral("PRICE.vdb")
        + CR + CR + QStringLiteral("запуск программы невозможен!");
}

QString defaultDatabaseCopied()
{
    return QStringLiteral("Скопирована база ") + DefaultCopy + QStringLiteral("!");
}

QString priceDatabaseError(const QString& path)
{
    return QStringLiteral("Произошла ошибка при подключении к базе данных ") + CR + path + CR + CR
        + QStringLiteral("обратитесь к разработчику!");
}

QString priceDatabaseMissing(const QString& path)
{
    return QStringLiteral("Отсутствует файл базы данных:") + CR + path + CR + CR
        + QStringLiteral("запуск программы невозможен!");
}

QString chosenDatabaseNotFound()
{
    return QStringLiteral("  Путь к базе данных не найден");
}

QString chosenDatabaseRestart()
{
    return QStringLiteral("База с товарами найдена") + CR + CR + QStringLiteral("Перезапустить программу для её подключения?");
}

QString chosenDatabaseError()
{
    return QStringLiteral("  Произошла ошибка при подключении к базе данных") + CR
        + QStringLiteral("  закройте программу и перезапустите её заново.");
}

} // namespace velmora::startup_messages
