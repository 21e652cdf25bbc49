#include "platform/files/file_helpers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

void touch(const QString& path, const QByteArray& content, const QDateTime& modified)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.flush();
    f.setFileTime(modified, QFileDevice::FileModificationTime);
}

} // namespace

TEST(FileHelpers, NewestFileInFolder)
{
    QTemporaryDir dir;
    const QDateTime t0 = QDateTime::currentDateTime().addSecs(-100);
    touch(dir.filePath("a.xls"), "a", t0);
    touch(dir.filePath("b.xls"), "b", t0.addSecs(50));
    touch(dir.filePath("c.xls"), "c", t0.addSecs(10));
    touch(dir.filePath("d.csv"), "d", t0.addSecs(90));
    touch(dir.filePath("e.XLS"), "e", t0.addSecs(50));
    EXPECT_EQ(NewestFileInFolder(dir.path(), QStringLiteral("*.xls")), dir.path() + QStringLiteral("/b.xls"))
        << "equal times are decided by name, and the mask ignores case";
    EXPECT_EQ(NewestFileInFolder(dir.path() + QStringLiteral("/"), QStringLiteral("*.XLS")), dir.path() + QStringLiteral("/b.xls"));
    EXPECT_EQ(NewestFileInFolder(dir.path(), QStringLiteral("*.zip")), dir.path() + QStringLiteral("/*.zip"));
}

TEST(FileHelpers, UpperFileExt)
{
    EXPECT_EQ(UpperFileExt(QStringLiteral("a.b.zip")), QStringLiteral("ZIP"));
    EXPECT_EQ(UpperFileExt(QStringLiteral("noext")), QString());
    EXPECT_EQ(UpperFileExt(QStringLiteral("прайс.xlsx")), QStringLiteral("XLSX"));
}

TEST(FileHelpers, CopyFileShellOverwritesWholeOrNotAtAll)
{
    QTemporaryDir dir;
    touch(dir.filePath("src"), "new content", QDateTime::currentDateTime());
    touch(dir.filePath("dst"), "old", QDateTime::currentDateTime());
    EXPECT_TRUE(CopyFileShell(dir.filePath("src"), dir.filePath("dst")));
    QFile dst(dir.filePath("dst"));
    ASSERT_TRUE(dst.open(QIODevice::ReadOnly));
    EXPECT_EQ(dst.readAll(), QByteArray("new content"));
    EXPECT_FALSE(CopyFileShell(dir.filePath("missing"), dir.filePath("dst2")));
    EXPECT_FALSE(QFile::exists(dir.filePath("dst2")));
}

TEST(FileHelpers, CopyFileShellRenamesACompleteCopyOverTheOldFile)
{
    QTemporaryDir dir;
    touch(dir.filePath("src"), QByteArray(3 << 20, 'n'), QDateTime::currentDateTime());
    QFile::setPermissions(dir.filePath("src"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                                   | QFileDevice::ReadOther);
    touch(dir.filePath("dst"), "old content", QDateTime::currentDateTime());
    QFile reader(dir.filePath("dst"));
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));

    ASSERT_TRUE(CopyFileShell(dir.filePath("src"), dir.filePath("dst")));

    EXPECT_EQ(reader.readAll(), QByteArray("old content")) << "the old file is replaced, not rewritten";
    QFile dst(dir.filePath("dst"));
    ASSERT_TRUE(dst.open(QIODevice::ReadOnly));
    EXPECT_EQ(dst.readAll(), QByteArray(3 << 20, 'n'));
    EXPECT_EQ(dst.permissions() & 0x0FFF, QFile(dir.filePath("src")).permissions() & 0x0FFF) << "the source's permissions";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"dst", "src"}));
}
