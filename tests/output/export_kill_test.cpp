// The export run killed with SIGKILL at staggered moments: the price
// database stays whole with the old output table or the new one, price.dbf,
// the managers' database and the catalogue workbook are each the old file
// or the new one, whole, and the next run succeeds and leaves no temporary
// file beside its outputs.
#include "../common/kill_runs.h"

#include "platform/db/connection.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int kGoods = 40000;
constexpr int kOldGoods = 500;

const QString kHelper = QStringLiteral(EXPORT_KILL_HELPER);
const QStringList kOutputs = {QStringLiteral("База DBF/price.dbf"), QStringLiteral("База Access/managers.sqlite"),
                              QStringLiteral("Каталог Excel/catalogue.xlsx")};

// What Python's own readers find in the three outputs of a folder: the
// records price.dbf's header counts when the file is as long as they need
// (else -1), the managers' goods and its integrity check (read in place,
// writing nothing beside it), the catalogue's rows when the zip is whole.
const char* kReadOutputs = R"(
import json, pathlib, sqlite3, struct, sys, zipfile
folder = pathlib.Path(sys.argv[1])
dbf = (folder / 'База DBF' / 'price.dbf').read_bytes()
records = struct.unpack_from('<I', dbf, 4)[0]
header, length = struct.unpack_from('<HH', dbf, 8)
whole = len(dbf) in (header + records * length, header + records * length + 1)
managers = sqlite3.connect((folder / 'База Access' / 'managers.sqlite').as_uri() + '?mode=ro&immutable=1', uri=True)
book = zipfile.ZipFile(folder / 'Каталог Excel' / 'catalogue.xlsx')
rows = book.read('xl/worksheets/sheet1.xml').count(b'<row ') if book.testzip() is None else -1
print(json.dumps({'dbf': records if whole else -1,
                  'managers': managers.execute('SELECT count(*) FROM Price_main').fetchone()[0],
                  'managersCheck': managers.execute('PRAGMA integrity_check').fetchone()[0],
                  'catalogue': rows}))
)";

QJsonObject readOutputs(const QString& folder)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReadOutputs), folder});
    python.waitForFinished(60000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// The catalogue the cases export, and the outputs of an earlier run over a
// smaller one that every case starts with; made once per test program.
struct Templates {
    QTemporaryDir folder;
    QString price = folder.filePath(QStringLiteral("PRICE.vdb"));
    QString old = folder.filePath(QStringLiteral("old"));
    QJsonObject oldOutputs;
    Templates()
    {
        for (const auto& [path, goods] : {std::pair{price, kGoods}, std::pair{old + QStringLiteral("/PRICE.vdb"), kOldGoods}}) {
            QDir().mkpath(QFileInfo(path).path());
            const HelperRun made = runHelper(kHelper, {QStringLiteral("make"), path, QString::number(goods)});
            EXPECT_EQ(made.exitCode, 0) << made.errors.toStdString();
        }
        const HelperRun run = runHelper(kHelper, {QStringLiteral("run"), old, old + QStringLiteral("/PRICE.vdb")});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        oldOutputs = readOutputs(old);
    }
};

const Templates& templates()
{
    static const std::unique_ptr<Templates> made = std::make_unique<Templates>();
    return *made;
}

TEST(ExportKill, RunWithEveryFile)
{
    KillCase c;
    c.program = kHelper;
    c.kills = 8;
    c.prepare = [](const QString& folder) {
        copyTestFile(templates().price, folder + QStringLiteral("/PRICE.vdb"));
        for (const QString& output : kOutputs)
            copyTestFile(templates().old + u'/' + output, folder + u'/' + output);
    };
    c.arguments = [](const QString& folder) {
        return QStringList{QStringLiteral("run"), folder, folder + QStringLiteral("/PRICE.vdb")};
    };
    c.check = [](const QString& folder, bool done) {
        {
            const db::Connection priceDb(folder + QStringLiteral("/PRICE.vdb"));
            EXPECT_EQ(priceDb.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
            const qint64 rebuilt = priceDb.scalar(QStringLiteral("SELECT count(*) FROM Price_Out")).toLongLong();
            EXPECT_TRUE(rebuilt == kGoods || (!done && rebuilt == 0)) << rebuilt;
        }
        const QJsonObject outputs = readOutputs(folder);
        const QJsonObject& old = templates().oldOutputs;
        EXPECT_EQ(outputs[QStringLiteral("managersCheck")].toString(), QStringLiteral("ok"));
        for (const char* key : {"dbf", "managers"}) {
            const int found = outputs[QLatin1String(key)].toInt();
            EXPECT_TRUE(found == kGoods || (!done && found == old[QLatin1String(key)].toInt())) << key << ": " << found;
        }
        // The title and header rows above the goods.
        const int extraRows = old[QStringLiteral("catalogue")].toInt() - kOldGoods;
        const int rows = outputs[QStringLiteral("catalogue")].toInt();
        EXPECT_TRUE(rows == kGoods + extraRows || (!done && rows == kOldGoods + extraRows)) << "catalogue: " << rows;
    };
    c.files = QStringList{QStringLiteral("PRICE.vdb"), QStringLiteral("База DBF"), QStringLiteral("База Access"),
                          QStringLiteral("Каталог Excel")}
        + kOutputs;
    runKillCase(c);
}

} // namespace
