// The built program itself, run offscreen from a copy of its program folder
// with a fresh data folder.
#include "app_test_support.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace velmora::testing;

namespace {

struct RunResult {
    int exitCode = -1;
    bool finished = false;
    QString errors;
};

RunResult runProgram(const Installation& inst)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", inst.root.filePath("appdata"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELMORA_TEST_CLOSE_AFTER_MS", "1200");
    // The rate refresh of start-up goes to a closed local port, not the web.
    env.insert("VELMORA_RATES_BASE_URL", "http://127.0.0.1:9");
    process.setProcessEnvironment(env);
    process.start(inst.program + "velmora", {});
    RunResult result;
    result.finished = process.waitForFinished(60000);
    if (!result.finished)
        process.kill();
    result.exitCode = process.exitCode();
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

TEST(ProgramRun, StartsShowsAndClosesTwiceFromAFreshDataFolder)
{
    Installation inst;
    ASSERT_TRUE(QFile::copy(VELMORA_PROGRAM_DIR "/velmora", inst.program + "velmora"));
    QFile::setPermissions(inst.program + "velmora", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QString copied = "Скопирована база \"по-умолчанию\"!";
    const RunResult first = runProgram(inst);
    ASSERT_TRUE(first.finished);
    EXPECT_EQ(first.exitCode, 0) << first.errors.toStdString();
    EXPECT_TRUE(first.errors.contains(copied)) << first.errors.toStdString();
    EXPECT_TRUE(QFileInfo(inst.data + "PRICE.vdb").isFile());
    EXPECT_TRUE(QFileInfo(inst.data + "BaseZakaz.vdb").isFile());

    const RunResult second = runProgram(inst);
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_FALSE(second.errors.contains(copied));
}

TEST(ProgramRun, EndsWithAFailureCodeWhenTheOrderDatabaseIsMissing)
{
    Installation inst;
    ASSERT_TRUE(QFile::copy(VELMORA_PROGRAM_DIR "/velmora", inst.program + "velmora"));
    QFile::setPermissions(inst.program + "velmora", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::remove(inst.program + "BaseZakaz.vdb");
    const RunResult run = runProgram(inst);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("Отсутствует файл базы данных:\n" + inst.program + "BaseZakaz.vdb\nзапуск программы невозможен!"))
        << run.errors.toStdString();
}

} // namespace
