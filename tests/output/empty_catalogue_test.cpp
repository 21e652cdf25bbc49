// The catalogue's outputs with nothing to write: each refuses with its
// message and leaves the program folder exactly as it was.
#include "output_test_support.h"
#include "pricing_fixture.h"

#include "output/combined_price/combined_price_list.h"
#include "output/dbase/managers_dbf.h"
#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "output/shop_script/shop_script_export.h"
#include "output/yml/yml_export.h"

#include "storage/settings_store.h"

#include <QDirIterator>
#include <QFile>

#include <functional>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;

namespace {

// What a command came to: written, or refused with its message.
struct Outcome {
    bool written = false;
    QString message;
};

template <typename Write>
Outcome refusalOf(Write write)
{
    try {
        write();
        return {true, QString()};
    } catch (const OutputError& e) {
        return {false, e.message()};
    }
}

class EmptyCatalogueTest : public PricingTest {
protected:
    void SetUp() override
    {
        PricingTest::SetUp();
        ASSERT_TRUE(program.isValid());
        for (const char* name : {"Svod_Price_Kat.xlsx", "shops.dtd"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/") + QLatin1String(name),
                                    program.filePath(QLatin1String(name))));
    }
    // Every folder and file under the program folder.
    QStringList everything() const
    {
        QStringList entries;
        QDirIterator it(program.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            entries << it.next();
        entries.sort();
        return entries;
    }

    struct Command {
        const char* what;
        std::function<Outcome()> run;
        const char* notMade;
        bool ofGoods; // made of the goods alone, without the groups
    };
    std::vector<Command> commands()
    {
        return {
            {"Сводный прайс-лист по категориям",
             [this] {
                 CombinedPriceInput input{program.path(), kToday, 2};
                 const CombinedPriceResult result = ExportCombinedPriceList(priceDb, orderDb, input);
                 return Outcome{result.saved, result.message};
             },
             "сводный прайс-лист не создан", false},
            {"Каталог для Shop-Script",
             [this] { return refusalOf([this] { WriteShopScriptCatalog(priceDb, program.path(), 2); }); },
             "каталог для Shop-Script не создан", false},
            {"База DBF для менеджеров",
             [this] { return refusalOf([this] { WriteManagersDbf(priceDb, program.path(), kToday); }); },
             "база \"DBF_for_manager\" не создана", true},
            {"Каталог в XML",
             [this] {
                 YmlExportInput input;
                 input.programFolder = program.path();
                 input.dataFolder = dataFolder();
                 const YmlExportResult result = ExportYmlCatalogFile(priceDb, settings, input);
                 return Outcome{result.written, result.message};
             },
             "файл XML не создан", true},
        };
    }

    QTemporaryDir program;
    SettingsStore settings{orderDb};
};

TEST_F(EmptyCatalogueTest, EveryOutputRefusesAnEmptyCatalogueAndLeavesNothingBehind)
{
    const QStringList before = everything();
    for (const Command& c : commands()) {
        const Outcome outcome = c.run();
        EXPECT_FALSE(outcome.written) << c.what;
        EXPECT_EQ(outcome.message, noGroupsMessage(QString::fromUtf8(c.notMade))) << c.what;
        EXPECT_EQ(everything(), before) << c.what;
    }
    EXPECT_EQ(noGroupsMessage(QStringLiteral("файл XML не создан")),
              QStringLiteral("В каталоге нет ни одной группы товаров: файл XML не создан."));
}

// Groups whose goods have no details yet: the lists of groups are still
// written, the outputs made of goods alone refuse.
TEST_F(EmptyCatalogueTest, OutputsOfGoodsRefuseGroupsWithoutGoods)
{
    addGroup(1, 0, 1, QStringLiteral("Чайники"));
    addGood(11, 1, QStringLiteral("Чайник без сведений"), 100);
    for (const Command& c : commands()) {
        const QStringList before = everything();
        const Outcome outcome = c.run();
        if (!c.ofGoods) {
            EXPECT_TRUE(outcome.written) << c.what << ": " << outcome.message.toStdString();
            continue;
        }
        EXPECT_FALSE(outcome.written) << c.what;
        EXPECT_EQ(outcome.message, noGoodsMessage(QString::fromUtf8(c.notMade))) << c.what;
        EXPECT_EQ(everything(), before) << c.what;
    }
}

} // namespace
