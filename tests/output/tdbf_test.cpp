#include "output/dbase/tdbf.h"
#include "output_test_support.h"
#include "platform/files/cp1251.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/file.h>

#include <optional>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::output::test;

namespace {

const QDate kToday(2024, 3, 5);

QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ED& error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

// The fields of the managers' catalogue, as its export defines them.
void addManagerFields(TDBF& dbf)
{
    dbf.AddFieldDefs(QStringLiteral("INO"), DbfFieldKind::Numeric, 0, 10);
    dbf.AddFieldDefs(QStringLiteral("ITEM"), DbfFieldKind::Character, 0, 100);
    dbf.AddFieldDefs(QStringLiteral("GRCODE"), DbfFieldKind::Numeric, 0, 10);
    dbf.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, 200);
    dbf.AddFieldDefs(QStringLiteral("CATAL"), DbfFieldKind::Float, 2, 16);
    dbf.AddFieldDefs(QStringLiteral("KPR"), DbfFieldKind::Float, 2, 10);
    dbf.AddFieldDefs(QStringLiteral("PRICE"), DbfFieldKind::Float, 2, 16);
    dbf.AddFieldDefs(QStringLiteral("GARAN"), DbfFieldKind::Character, 0, 50);
    dbf.AddFieldDefs(QStringLiteral("UPDATE"), DbfFieldKind::Date, 0, 8);
    dbf.AddFieldDefs(QStringLiteral("VENDOR"), DbfFieldKind::Character, 0, 50);
    dbf.AddFieldDefs(QStringLiteral("OPT"), DbfFieldKind::Float, 2, 16);
}

void fillManagerRow(TDBF& dbf, int code, const QString& name, const QString& priceBase, const QString& kpr)
{
    const QString values[] = {QString::number(code), QStringLiteral("ART-%1").arg(code), QStringLiteral("12"), name,
                              priceBase, kpr, QStringLiteral("115,5"), QStringLiteral("1 год"),
                              QStringLiteral("45356"), QString(), QStringLiteral("110")};
    dbf.Append();
    for (int field = 1; field <= 11; ++field)
        dbf.SetFieldData(field, values[field - 1]);
}

QJsonObject readWithDbfread(const QString& path)
{
    const ToolRun run = runTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VELMORA_TEST_DATA "/../output/dbf_dump.py"), path});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    return QJsonDocument::fromJson(run.output).object();
}

quint32 littleEndian(const QByteArray& bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value |= quint32(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

// A lock another program holds on a file (flock locks belong to one open
// file, so a second open of our own stands for the other program).
class HeldLock {
public:
    HeldLock(const QString& path, int operation) : file_(path)
    {
        EXPECT_TRUE(file_.open(QIODevice::ReadOnly));
        EXPECT_EQ(::flock(file_.handle(), operation | LOCK_NB), 0);
    }

private:
    QFile file_;
};

class DbfTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("table.DBF")) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    TDBF dbf_{[] { return kToday; }};
};

} // namespace

// Each value is put into a fresh record of a table with one field of each
// kind; the record buffer shows the stored bytes, or the error its message.
TEST_F(DbfTest, SetFieldDataConvertsByFieldType)
{
    struct Case {
        int field;
        QString input;
        QByteArray stored; // empty: `error` is expected
        QString error = {};
    };
    // Fields: 1 F16.2, 2 N10.0, 3 L, 4 D, 5 C10, 6 C3, 7 N5.0, 8 N10.2.
    const Case cases[] = {
        {1, QStringLiteral("12.5"), QByteArray(11, ' ') + "12.50"},
        {1, QStringLiteral("12,5"), QByteArray(11, ' ') + "12.50"},
        {1, QStringLiteral("2.675"), QByteArray(12, ' ') + "2.68"},
        {1, QStringLiteral("-0,001"), QByteArray(12, ' ') + "0.00"},
        // Longer than the field as given, but its formatted value fits.
        {1, QStringLiteral("0000000000115.500"), QByteArray(10, ' ') + "115.50"},
        {2, QStringLiteral("123"), QByteArray(7, ' ') + "123"},
        {2, QStringLiteral("12.7"), QByteArray(8, ' ') + "13"},
        {8, QStringLiteral("1234567.891"), "1234567.89"},
        {3, QStringLiteral("yes"), "T"},
        {3, QStringLiteral("TRUE"), "T"},
        {3, QStringLiteral("false"), "F"},
        {3, QStringLiteral("No"), "F"},
        {3, QStringLiteral("maybe"), " "},
        {4, QStringLiteral("09,12,26"), "20261209"},
        {4, QStringLiteral("01,01,75"), "19750101"},
        {4, QStringLiteral("31.12.2051"), "20511231"},
        {4, QStringLiteral("45356"), "20240305"}, // a day number
        {4, QStringLiteral("58441"), "20600101"}, // past 2050, no wrap
        {4, QStringLiteral("0"), QByteArray(8, ' ')},
        {5, QStringLiteral("abc   "), "abc" + QByteArray(7, ' ')},
        {5, QStringLiteral("Ёлка"), encodeCp1251(QStringLiteral("Ёлка")) + QByteArray(6, ' ')},
        {5, QStringLiteral("a") + QChar(0) + QStringLiteral("b"), "a b" + QByteArray(7, ' ')}, // no NUL in a file
        {5, QString(), QByteArray(10, ' ')},
        {6, QStringLiteral("abc   "), "abc"},
        {6, QStringLiteral("abcd"), {}, QStringLiteral("SetFieldData: Недопустимый размер данных\rРяд: 1, Поле: 6")},
        {7, QStringLiteral("123456"), {}, QStringLiteral("SetFieldData: Недопустимый размер данных\rРяд: 1, Поле: 7")},
        {7, QStringLiteral("abc"), {}, QStringLiteral("SetFieldData: Ошибка данных - Ряд: 1, Поле: 7")},
        {4, QStringLiteral("32,13,26"), {}, QStringLiteral("SetFieldData: Ошибка данных - Ряд: 1, Поле: 4")},
        {9, QStringLiteral("1"), {}, QStringLiteral("SetFieldData: Неверный номер поля: 9")},
        {0, QStringLiteral("1"), {}, QStringLiteral("SetFieldData: Неверный номер поля: 0")},
    };
    dbf_.SetTableName(path());
    dbf_.AddFieldDefs(QStringLiteral("f"), DbfFieldKind::Float, 2, 16);
    dbf_.AddFieldDefs(QStringLiteral("n"), DbfFieldKind::Numeric, 0, 10);
    dbf_.AddFieldDefs(QStringLiteral("l"), DbfFieldKind::Logical, 0, 1);
    dbf_.AddFieldDefs(QStringLiteral("d"), DbfFieldKind::Date, 0, 8);
    dbf_.AddFieldDefs(QStringLiteral("c"), DbfFieldKind::Character, 0, 10);
    dbf_.AddFieldDefs(QStringLiteral("c3"), DbfFieldKind::Character, 0, 3);
    dbf_.AddFieldDefs(QStringLiteral("n5"), DbfFieldKind::Numeric, 0, 5);
    dbf_.AddFieldDefs(QStringLiteral("n2"), DbfFieldKind::Numeric, 2, 10);
    dbf_.CreateTable();
    const int offsets[] = {0, 1, 17, 27, 28, 36, 46, 49, 54};
    const int lengths[] = {0, 16, 10, 1, 8, 10, 3, 5, 10};
    dbf_.Append();
    const QByteArray blank = dbf_.RecordBuffer();
    for (const Case& c : cases) {
        const QString what = QStringLiteral("field %1, \"%2\"").arg(c.field).arg(c.input);
        const QString error = messageOf([&] { dbf_.SetFieldData(c.field, c.input); });
        if (c.stored.isEmpty()) {
            EXPECT_EQ(error, c.error) << what.toStdString();
            EXPECT_EQ(dbf_.RecordBuffer(), blank) << what.toStdString() << ": a refused value changed the record";
        } else {
            EXPECT_EQ(error, QStringLiteral("<no error>")) << what.toStdString();
            EXPECT_EQ(dbf_.RecordBuffer().mid(offsets[c.field], lengths[c.field]), c.stored) << what.toStdString();
        }
        dbf_.SetFieldData(c.field >= 1 && c.field <= 8 ? c.field : 1, QString()); // back to blank
    }
}

TEST_F(DbfTest, DefinitionsPropertiesAndStateAreChecked)
{
    EXPECT_EQ(messageOf([&] { dbf_.SetTableName(path("x.dbx")); }), QStringLiteral("TableName: Недопустимый тип файла"));
    EXPECT_EQ(messageOf([&] { dbf_.SetTableName(path("x.dbf")); }), QStringLiteral("<no error>"));
    EXPECT_EQ(messageOf([&] { dbf_.AddFieldDefs(QStringLiteral("L"), DbfFieldKind::Logical, 0, 0); }),
              QStringLiteral("AddFieldDefs: Недопустимый размер поля"));
    EXPECT_EQ(messageOf([&] { dbf_.AddFieldDefs(QStringLiteral("F"), DbfFieldKind::Float, 9, 10); }),
              QStringLiteral("AddFieldDefs: Недопустимое значение FldPrecision"));
    EXPECT_EQ(messageOf([&] { dbf_.CreateTable(); }), QStringLiteral("CreateTable: Не заданы описания полей"));
    EXPECT_EQ(messageOf([&] { dbf_.Close(); }), QStringLiteral("Close: Файл не открыт"));
    EXPECT_EQ(messageOf([&] { dbf_.Open(); }), QStringLiteral("Open: Не найден файл ") + path("x.dbf"));

    dbf_.AddFieldDefs(QStringLiteral("F"), DbfFieldKind::Float, 8, 10);
    dbf_.AddFieldDefs(QStringLiteral("abcdefghijkl"), DbfFieldKind::Character, 0, 5);
    dbf_.CreateTable();
    EXPECT_EQ(messageOf([&] { dbf_.Last(); }), QStringLiteral("Last: В файле нет записей"));
    EXPECT_EQ(messageOf([&] { dbf_.SetTableName(path("y.dbf")); }),
              QStringLiteral("TableName: Это свойство нельзя изменять, если файл открыт"));
    EXPECT_EQ(messageOf([&] { dbf_.SetExclusive(true); }),
              QStringLiteral("Exclusive: Это свойство нельзя изменять, если файл открыт"));
    EXPECT_EQ(messageOf([&] { dbf_.AddFieldDefs(QStringLiteral("X"), DbfFieldKind::Logical, 0, 1); }),
              QStringLiteral("AddFieldDefs: В открытом файле нельзя изменять описания полей"));
    EXPECT_EQ(messageOf([&] { dbf_.CreateTable(); }), QStringLiteral("CreateTable: Необходимо закрыть открытый файл"));
    EXPECT_EQ(messageOf([&] { dbf_.Open(); }), QStringLiteral("Open: Необходимо закрыть открытый файл"));
    dbf_.Close();

    const QByteArray bytes = readBytes(path("x.dbf"));
    EXPECT_EQ(bytes.mid(64, 11), QByteArray("ABCDEFGHIJ\0", 11)); // cut to 10, upper-cased
    EXPECT_EQ(bytes.at(32 + 17), 8);                              // decimals of F10.8

    TDBF unnamed;
    unnamed.AddFieldDefs(QStringLiteral("A"), DbfFieldKind::Logical, 0, 1);
    EXPECT_EQ(messageOf([&] { unnamed.CreateTable(); }), QStringLiteral("CreateTable: Необходимо указать имя файла"));
}

TEST_F(DbfTest, ManagersCatalogueHasTheExpectedHeaderAndRecords)
{
    dbf_.SetTableName(path());
    addManagerFields(dbf_);
    dbf_.CreateTable();
    dbf_.SetCodePage(0);
    for (int i = 1; i <= 5; ++i)
        fillManagerRow(dbf_, i, QStringLiteral("Чайник «Витязь» %1").arg(i), QStringLiteral("80"),
                       QStringLiteral("1,44"));
    dbf_.Close();

    const QByteArray bytes = readBytes(path());
    ASSERT_EQ(bytes.size(), 385 + 5 * 487 + 1);
    EXPECT_EQ(bytes.at(0), 3);
    EXPECT_EQ(bytes.mid(1, 3), QByteArray("\x7C\x03\x05", 3)); // 2024-03-05
    EXPECT_EQ(littleEndian(bytes, 4, 4), 5u);
    EXPECT_EQ(littleEndian(bytes, 8, 2), 385u);
    EXPECT_EQ(littleEndian(bytes, 10, 2), 487u);
    EXPECT_EQ(static_cast<unsigned char>(bytes.at(29)), 201);
    EXPECT_EQ(bytes.mid(32, 32), QByteArray("INO\0\0\0\0\0\0\0\0N\0\0\0\0\x0A\0", 18) + QByteArray(14, '\0'));
    EXPECT_EQ(bytes.mid(32 * 5, 18), QByteArray("CATAL\0\0\0\0\0\0F\0\0\0\0\x10\x02", 18));
    EXPECT_EQ(bytes.at(384), 0x0D);
    for (int record = 0; record < 5; ++record)
        EXPECT_EQ(bytes.at(385 + record * 487), ' ') << record;
    EXPECT_EQ(bytes.back(), 0x1A);

    const QJsonObject table = readWithDbfread(path());
    EXPECT_EQ(table[QStringLiteral("encoding")].toString(), QStringLiteral("cp1251"));
    const QJsonArray records = table[QStringLiteral("records")].toArray();
    ASSERT_EQ(records.size(), 5);
    const QJsonObject first = records[0].toObject();
    EXPECT_EQ(first[QStringLiteral("INO")].toInt(), 1);
    EXPECT_EQ(first[QStringLiteral("ITEM")].toString(), QStringLiteral("ART-1"));
    EXPECT_EQ(first[QStringLiteral("NAME")].toString(), QStringLiteral("Чайник «Витязь» 1"));
    EXPECT_DOUBLE_EQ(first[QStringLiteral("CATAL")].toDouble(), 80);
    EXPECT_DOUBLE_EQ(first[QStringLiteral("KPR")].toDouble(), 1.44);
    EXPECT_DOUBLE_EQ(first[QStringLiteral("PRICE")].toDouble(), 115.5);
    EXPECT_DOUBLE_EQ(first[QStringLiteral("OPT")].toDouble(), 110);
    EXPECT_EQ(first[QStringLiteral("GARAN")].toString(), QStringLiteral("1 год"));
    EXPECT_EQ(first[QStringLiteral("UPDATE")].toString(), QStringLiteral("2024-03-05"));
    EXPECT_EQ(first[QStringLiteral("VENDOR")].toString(), QString());
}

TEST_F(DbfTest, AppendAfterReopenKeepsRecordsAndUpdatesTheHeader)
{
    dbf_.SetTableName(path());
    addManagerFields(dbf_);
    dbf_.CreateTable();
    for (int i = 1; i <= 2; ++i)
        fillManagerRow(dbf_, i, QStringLiteral("Товар %1").arg(i), QStringLiteral("80"), QStringLiteral("1,44"));
    dbf_.Close();

    // A later day: the header takes the date of the change.
    TDBF later([] { return QDate(2024, 4, 1); });
    later.SetTableName(path());
    later.Open();
    EXPECT_EQ(later.FieldCount(), 11);
    EXPECT_EQ(later.RecordCount(), 2);
    EXPECT_EQ(later.RecNo(), 1);
    EXPECT_EQ(later.CodePage(), 0);
    later.Last();
    EXPECT_EQ(later.RecNo(), 2);
    EXPECT_TRUE(later.RecordBuffer().contains(encodeCp1251(QStringLiteral("Товар 2"))));
    fillManagerRow(later, 3, QStringLiteral("Ёлка"), QStringLiteral("0"), QString());
    later.Close();

    const QByteArray bytes = readBytes(path());
    EXPECT_EQ(bytes.size(), 385 + 3 * 487 + 1);
    EXPECT_EQ(bytes.mid(1, 3), QByteArray("\x7C\x04\x01", 3));
    EXPECT_EQ(bytes.back(), 0x1A);
    const QJsonArray records = readWithDbfread(path())[QStringLiteral("records")].toArray();
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[1].toObject()[QStringLiteral("NAME")].toString(), QStringLiteral("Товар 2"));
    const QJsonObject added = records[2].toObject();
    EXPECT_EQ(added[QStringLiteral("NAME")].toString(), QStringLiteral("Ёлка"));
    EXPECT_DOUBLE_EQ(added[QStringLiteral("CATAL")].toDouble(), 0);
    EXPECT_TRUE(added[QStringLiteral("KPR")].isNull()); // blank when there is no base price
}

TEST_F(DbfTest, CodePagesGiveTheirMarksAndTexts)
{
    struct Case {
        int codePage;
        unsigned char mark;
        QString encoding; // as dbfread reads the mark
    };
    const Case cases[] = {{0, 201, QStringLiteral("cp1251")}, {1, 38, QStringLiteral("cp866")}};
    for (const Case& c : cases) {
        const QString file = path(QStringLiteral("page%1.dbf").arg(c.codePage));
        TDBF dbf([] { return kToday; });
        dbf.SetTableName(file);
        dbf.SetCodePage(c.codePage);
        dbf.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, 20);
        dbf.CreateTable();
        dbf.Append();
        dbf.SetFieldData(1, QStringLiteral("Ёлка №5 ёж"));
        dbf.Close();
        EXPECT_EQ(static_cast<unsigned char>(readBytes(file).at(29)), c.mark);
        const QJsonObject table = readWithDbfread(file);
        EXPECT_EQ(table[QStringLiteral("encoding")].toString(), c.encoding);
        EXPECT_EQ(table[QStringLiteral("records")].toArray()[0].toObject()[QStringLiteral("NAME")].toString(),
                  QStringLiteral("Ёлка №5 ёж"));
    }

    // Reading maps the marks back; 87 is the older mark of the same code page.
    const QString file = path(QStringLiteral("page0.dbf"));
    const std::pair<unsigned char, int> marks[] = {{201, 0}, {87, 0}, {38, 1}, {0, 2}, {3, 2}};
    for (const auto& [mark, codePage] : marks) {
        QByteArray bytes = readBytes(file);
        bytes[29] = char(mark);
        writeBytes(file, bytes);
        TDBF dbf;
        dbf.SetTableName(file);
        dbf.Open();
        EXPECT_EQ(dbf.CodePage(), codePage) << int(mark);
        dbf.Close();
    }
    TDBF dbf;
    dbf.SetTableName(file);
    dbf.Open();
    dbf.SetCodePage(2);
    dbf.Close();
    EXPECT_EQ(readBytes(file).at(29), 0);
}

TEST_F(DbfTest, ANewTableReplacesTheOldFileOnlyWhenClosed)
{
    writeBytes(path(), "old table");
    dbf_.SetTableName(path());
    dbf_.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, 20);
    dbf_.CreateTable();
    dbf_.Append();
    dbf_.SetFieldData(1, QStringLiteral("новое"));
    EXPECT_EQ(readBytes(path()), QByteArray("old table"));
    dbf_.Close();
    EXPECT_EQ(readBytes(path()).size(), 32 + 32 + 1 + 21 + 1);

    {
        // Abandoned half-way, as when the export fails: the last whole
        // table stays, and no temporary file is left behind.
        TDBF failing([] { return kToday; });
        failing.SetTableName(path());
        failing.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, 20);
        failing.CreateTable();
        failing.Append();
        EXPECT_THROW(failing.SetFieldData(1, QString(21, u'x')), ED);
    }
    EXPECT_EQ(readBytes(path()).size(), 32 + 32 + 1 + 21 + 1);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("table.DBF")});
}

TEST_F(DbfTest, AFileAnotherProgramHoldsIsNeitherOpenedNorReplaced)
{
    dbf_.SetTableName(path());
    dbf_.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, 20);
    dbf_.CreateTable();
    dbf_.Close();
    const QByteArray before = readBytes(path());
    const QString busy = QStringLiteral("Файл table.DBF невозможно открыть в монопольном\r"
                                        "режиме, т.к. он уже используется другой программой");

    {
        HeldLock shared(path(), LOCK_SH);
        dbf_.SetExclusive(true);
        EXPECT_EQ(messageOf([&] { dbf_.Open(); }), busy);
        dbf_.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, 20);
        EXPECT_EQ(messageOf([&] { dbf_.CreateTable(); }), busy);
        EXPECT_FALSE(dbf_.IsOpen());
        // Shared opens live side by side.
        dbf_.SetExclusive(false);
        EXPECT_EQ(messageOf([&] { dbf_.Open(); }), QStringLiteral("<no error>"));
        dbf_.Close();
    }
    {
        HeldLock exclusive(path(), LOCK_EX);
        EXPECT_EQ(messageOf([&] { dbf_.Open(); }), busy);
    }
    EXPECT_EQ(readBytes(path()), before);
    dbf_.SetExclusive(true);
    dbf_.Open();
    EXPECT_TRUE(dbf_.IsOpen());
}
