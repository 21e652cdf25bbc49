#include "sheet_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <random>

namespace velmora::sheet {
namespace {

using test::fixture;

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

struct BadInput {
    const char* name;
    std::function<QString(const QTemporaryDir&)> make;
    std::function<void(const QString&)> act;
    const char* messagePart; // the message names the problem
};

void readAll(const QString& path)
{
    WorkbookReader reader(path);
    for (int i = 1; i <= reader.sheetCount(); ++i)
        reader.readSheet(i);
}

TEST(BadInput, ClearErrorsAndNoCrash)
{
    const QByteArray xlsx = readFile(fixture(QStringLiteral("sample.xlsx")));
    const QByteArray xls = readFile(fixture(QStringLiteral("sample_lo.xls")));
    const BadInput cases[] = {
        {"missing file", [](const QTemporaryDir& d) { return d.filePath(QStringLiteral("нет.xlsx")); }, readAll,
         "не найден"},
        {"empty file", [](const QTemporaryDir& d) { return writeFile(d, QStringLiteral("empty.xlsx"), {}); }, readAll,
         "пуст"},
        {"text named .xlsx",
         [](const QTemporaryDir& d) { return writeFile(d, QStringLiteral("text.xlsx"), "Артикул;Цена\n1;2\n"); },
         readAll, "не является"},
        {"truncated xlsx",
         [&](const QTemporaryDir& d) { return writeFile(d, QStringLiteral("cut.xlsx"), xlsx.left(xlsx.size() / 2)); },
         readAll, "повреждён"},
        {"truncated xls",
         [&](const QTemporaryDir& d) { return writeFile(d, QStringLiteral("cut.xls"), xls.left(1500)); }, readAll,
         "повреждён"},
        {"xls header only",
         [&](const QTemporaryDir& d) { return writeFile(d, QStringLiteral("head.xls"), xls.left(8)); }, readAll,
         "повреждён"},
        {"malformed sheet XML", [](const QTemporaryDir&) { return fixture(QStringLiteral("malformed_sheet.xlsx")); },
         readAll, "ошибка XML"},
        {"sheet index past the end", [](const QTemporaryDir&) { return fixture(QStringLiteral("sample.xlsx")); },
         [](const QString& path) { WorkbookReader(path).readSheet(3); }, "нет листа с номером 3"},
        {"sheet index zero", [](const QTemporaryDir&) { return fixture(QStringLiteral("sample_lo.xls")); },
         [](const QString& path) { WorkbookReader(path).streamSheet(0, [](const RowData&) { return true; }); },
         "нет листа с номером 0"},
        {"unknown sheet name", [](const QTemporaryDir&) { return fixture(QStringLiteral("sample_cp1251.csv")); },
         [](const QString& path) { WorkbookReader(path).readSheet(QStringLiteral("Прайс")); }, "нет листа \"Прайс\""},
        {"password-protected xls", [](const QTemporaryDir&) { return fixture(QStringLiteral("protected.xls")); },
         readAll, "защищена паролем"},
        {"password-protected xlsx", [](const QTemporaryDir&) { return fixture(QStringLiteral("protected.xlsx")); },
         readAll, "защищена паролем"},
        {"model of a damaged file",
         [&](const QTemporaryDir& d) { return writeFile(d, QStringLiteral("cut2.xlsx"), xlsx.left(200)); },
         [](const QString& path) { Workbook::open(path); }, "повреждён"},
        {"model sheet past the end", [](const QTemporaryDir&) { return fixture(QStringLiteral("template.xlsx")); },
         [](const QString& path) { Workbook::open(path).sheet(2); }, "Нет листа с номером 2"},
    };
    QTemporaryDir dir;
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.make(dir);
        try {
            c.act(path);
            ADD_FAILURE() << "no error";
        } catch (const SheetError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.messagePart), Qt::CaseInsensitive))
                << e.what();
        }
    }
}

// Every prefix of a valid file must fail cleanly or read, never crash.
TEST(BadInput, EveryTruncationFailsCleanly)
{
    QTemporaryDir dir;
    for (const char* name : {"sample.xlsx", "sample_lo.xls"}) {
        const QByteArray bytes = readFile(fixture(QString::fromLatin1(name)));
        for (qsizetype size = 1; size < bytes.size(); size += 97) {
            const QString path = writeFile(dir, QStringLiteral("cut.") + QFileInfo(QString::fromLatin1(name)).suffix(),
                                           bytes.left(size));
            try {
                readAll(path);
            } catch (const SheetError&) {
            }
        }
    }
}

// Damaged bytes anywhere (a fixed sequence of random changes) give an error
// or some values, never a crash or a read out of bounds.
TEST(BadInput, DamagedBytesFailCleanly)
{
    QTemporaryDir dir;
    std::mt19937 random(20240315);
    for (const char* name : {"sample_lo.xls", "sample_xlwt.xls", "template.xlsx", "sample_cp1251.csv"}) {
        const QByteArray bytes = readFile(fixture(QString::fromLatin1(name)));
        const QString path =
            dir.filePath(QStringLiteral("damaged.") + QFileInfo(QString::fromLatin1(name)).suffix());
        for (int round = 0; round < 150; ++round) {
            QByteArray damaged = bytes;
            for (unsigned k = 0, flips = 1 + random() % 8; k < flips; ++k)
                damaged[qsizetype(random() % unsigned(damaged.size()))] = char(random());
            writeFile(dir, QFileInfo(path).fileName(), damaged);
            try {
                readAll(path);
                Workbook::open(path);
            } catch (const SheetError&) {
            }
        }
    }
}

} // namespace
} // namespace velmora::sheet
