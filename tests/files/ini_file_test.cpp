#include "platform/files/cp1251.h"
#include "platform/files/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Recorder {
    QStringList texts;
    MessageSink sink() { return [this](const QString& t) { texts << t; }; }
};

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("SetupUser.ini")); }
};

} // namespace

TEST_F(IniFileTest, WriteKeepsCommentsUnknownSectionsAndCp1251WithCrlf)
{
    writeBytes(path(), encodeCp1251(QStringLiteral("; настройки\r\n[SetupUsers]\r\nТальверон=1\r\n\r\n[Другое]\r\nX = y\r\n")));
    ASSERT_TRUE(WriteIniString(path(), QStringLiteral("SetupUsers"), QStringLiteral("Иван"), QStringLiteral("UserAdminName")));
    EXPECT_EQ(readBytes(path()),
              encodeCp1251(QStringLiteral("; настройки\r\n[SetupUsers]\r\nТальверон=1\r\nUserAdminName=Иван\r\n\r\n[Другое]\r\nX = y\r\n")));
}

TEST_F(IniFileTest, NewFileIsWindows1251)
{
    ASSERT_TRUE(WriteIniString(path(), QStringLiteral("SetupUsers"), QStringLiteral("Пётр"), QStringLiteral("UserAdminName")));
    EXPECT_EQ(readBytes(path()), encodeCp1251(QStringLiteral("[SetupUsers]\r\nUserAdminName=Пётр\r\n")));
}

TEST_F(IniFileTest, ReadsNamesWithoutCaseAndTrimsValues)
{
    writeBytes(path(), encodeCp1251(QStringLiteral("[SetupUsers]\r\nТальверон =  1 \r\nQuoted=\"a b\"\r\nDup=first\r\nDup=second\r\n")));
    struct Case {
        QString section, key, expected;
    };
    const Case cases[] = {
        {QStringLiteral("setupusers"), QStringLiteral("тальверон"), QStringLiteral("1")},
        {QStringLiteral("SETUPUSERS"), QStringLiteral("ТАЛЬВЕРОН"), QStringLiteral("1")},
        {QStringLiteral("SetupUsers"), QStringLiteral("quoted"), QStringLiteral("a b")},
        {QStringLiteral("SetupUsers"), QStringLiteral("Dup"), QStringLiteral("first")},
        {QStringLiteral("SetupUsers"), QStringLiteral("Missing"), QStringLiteral("def")},
        {QStringLiteral("NoSection"), QStringLiteral("Тальверон"), QStringLiteral("def")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadIniString(path(), c.section, QStringLiteral("def"), c.key), c.expected) << c.key.toStdString();
    EXPECT_EQ(ReadIniString(dir.filePath("absent.ini"), QStringLiteral("S"), QStringLiteral("d"), QStringLiteral("K")),
              QStringLiteral("d"));
}

TEST_F(IniFileTest, Utf8FileKeepsItsEncoding)
{
    writeBytes(path(), QByteArray("\xEF\xBB\xBF") + QStringLiteral("[S]\r\nКлюч=значение\r\n").toUtf8());
    EXPECT_EQ(ReadIniString(path(), QStringLiteral("s"), QString(), QStringLiteral("ключ")), QStringLiteral("значение"));
    ASSERT_TRUE(WriteIniString(path(), QStringLiteral("S"), QStringLiteral("новое"), QStringLiteral("Ключ")));
    EXPECT_EQ(readBytes(path()), QByteArray("\xEF\xBB\xBF") + QStringLiteral("[S]\r\nКлюч=новое\r\n").toUtf8());
}

TEST_F(IniFileTest, DeleteKeyAndWholeSection)
{
    writeBytes(path(), QByteArray("[A]\r\nk1=1\r\nk2=2\r\n[B]\r\nk1=3\r\n[C]\r\nz=4\r\n"));
    ASSERT_TRUE(DeleteIniKey(path(), QStringLiteral("A"), QStringLiteral("K1")));
    EXPECT_EQ(readBytes(path()), QByteArray("[A]\r\nk2=2\r\n[B]\r\nk1=3\r\n[C]\r\nz=4\r\n"));
    ASSERT_TRUE(DeleteIniKey(path(), QStringLiteral("b"), QStringLiteral("AllParametrs")));
    EXPECT_EQ(readBytes(path()), QByteArray("[A]\r\nk2=2\r\n[C]\r\nz=4\r\n"));
}

TEST_F(IniFileTest, EmptyNamesAreRefusedWithTheMessage)
{
    const QString cr = QStringLiteral("\r");
    struct Case {
        QString file, section, key;
        QString expectedMessage;
    };
    const QString f = path();
    const Case cases[] = {
        {f, QString(), QStringLiteral("K"),
         QStringLiteral("Ошибка при считывании в ini-файла ") + f + cr + QStringLiteral("Отсутствует необходимый параметр:") + cr
             + QStringLiteral("Название секции")},
        {QString(), QString(), QString(),
         QStringLiteral("Ошибка при считывании в ini-файла ") + cr + QStringLiteral("Отсутствует необходимый параметр:") + cr
             + QStringLiteral("Имя файла") + cr + QStringLiteral("Название секции") + cr + QStringLiteral("Название Параметра")},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        EXPECT_EQ(ReadIniString(c.file, c.section, QStringLiteral("default"), c.key, recorder.sink()), QStringLiteral("Error"));
        ASSERT_EQ(recorder.texts.size(), 1);
        EXPECT_EQ(recorder.texts.first(), c.expectedMessage);
    }
    Recorder recorder;
    EXPECT_FALSE(WriteIniString(f, QStringLiteral("S"), QStringLiteral("v"), QString(), recorder.sink()));
    EXPECT_FALSE(DeleteIniKey(f, QString(), QStringLiteral("K"), recorder.sink()));
    ASSERT_EQ(recorder.texts.size(), 2);
    EXPECT_TRUE(recorder.texts[0].startsWith(QStringLiteral("Ошибка при сохранении в ini-файл ")));
    EXPECT_TRUE(recorder.texts[0].endsWith(QStringLiteral("Название Параметра")));
    EXPECT_TRUE(recorder.texts[1].startsWith(QStringLiteral("Ошибка при изменении ini-файла ")));
    EXPECT_FALSE(QFile::exists(f));
}

TEST_F(IniFileTest, FileThatIsNotTextIsReportedAndLeftAlone)
{
    const QByteArray binary("[S]\r\nK=\0\x01\x02", 10);
    writeBytes(path(), binary);
    Recorder recorder;
    EXPECT_EQ(ReadIniString(path(), QStringLiteral("S"), QStringLiteral("d"), QStringLiteral("K"), recorder.sink()),
              QStringLiteral("Error"));
    EXPECT_FALSE(WriteIniString(path(), QStringLiteral("S"), QStringLiteral("v"), QStringLiteral("K"), recorder.sink()));
    ASSERT_EQ(recorder.texts.size(), 2);
    EXPECT_EQ(recorder.texts[0], QStringLiteral("Ошибка при считывании в ini-файла ") + path() + QStringLiteral("\r")
                                     + QStringLiteral("     параметра K, секции S"));
    EXPECT_EQ(recorder.texts[1], QStringLiteral("Ошибка при сохранении в ini-файл ") + path() + QStringLiteral("\r")
                                     + QStringLiteral(" параметра K, секции S"));
    EXPECT_EQ(readBytes(path()), binary);
}

TEST_F(IniFileTest, WriteIntoReadOnlyFolderFailsAndKeepsTheFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    writeBytes(path(), QByteArray("[S]\r\nK=old\r\n"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    Recorder recorder;
    EXPECT_FALSE(WriteIniString(path(), QStringLiteral("S"), QStringLiteral("new"), QStringLiteral("K"), recorder.sink()));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(recorder.texts.size(), 1);
    EXPECT_EQ(readBytes(path()), QByteArray("[S]\r\nK=old\r\n"));
}

TEST_F(IniFileTest, WriteIntoMissingFolderFails)
{
    Recorder recorder;
    const QString file = dir.filePath(QStringLiteral("no/such/folder/a.ini"));
    EXPECT_FALSE(WriteIniString(file, QStringLiteral("S"), QStringLiteral("v"), QStringLiteral("K"), recorder.sink()));
    EXPECT_EQ(recorder.texts.size(), 1);
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(IniFileTest, PathDatHoldsOneLineWithoutLineEnd)
{
    const QString dat = dir.filePath(QStringLiteral("Path.dat"));
    WritePathDat(dat, QStringLiteral("/srv/общие/PRICE.vdb"));
    EXPECT_EQ(readBytes(dat), encodeCp1251(QStringLiteral("/srv/общие/PRICE.vdb")));
    writeBytes(dat, QByteArray("/srv/a/PRICE.vdb\r\nrest"));
    EXPECT_EQ(ReadPathDat(dat), QStringLiteral("/srv/a/PRICE.vdb"));
    EXPECT_THROW(ReadPathDat(dir.filePath("missing.dat")), std::runtime_error);
}
