// Typed settings: rows made on first read, one column written per type.

#include "storage_test_support.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "storage/schema.h"
#include "storage/settings_store.h"

#include <QDate>
#include <QLocale>

#include <clocale>

using namespace velmora;

namespace {

class SettingsTest : public StorageTest {
protected:
    void SetUp() override
    {
        createOrderDatabase(path(QStringLiteral("BaseZakaz.vdb")));
        createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
        order_.open(path(QStringLiteral("BaseZakaz.vdb")));
        price_.open(path(QStringLiteral("PRICE.vdb")));
    }

    // The whole row of a setting: text, integer, double, currency, date, boolean.
    QVariantList row(db::Connection& c, const QString& name)
    {
        db::Statement s = c.prepare(QStringLiteral("SELECT TypeText, TypeInteger, TypeDouble, TypeCurrency, TypeDate,"
                                                   " TypeBoolean FROM settings WHERE ParName = ?1"));
        s.bindText(1, name);
        QVariantList out;
        if (s.step())
            for (int i = 0; i < 6; ++i)
                out << s.value(i);
        return out;
    }

    int rowCount(db::Connection& c)
    {
        return c.scalar(QStringLiteral("SELECT count(*) FROM settings")).toInt();
    }

    db::Connection order_;
    db::Connection price_;
};

TEST_F(SettingsTest, FirstReadCreatesTheRowWithTheDefaultAndNeutralValues)
{
    const QVariant v = ReadSetting(order_, QStringLiteral("OldTovarDay"), QStringLiteral("TypeInteger"), QStringLiteral("90"));
    EXPECT_EQ(v, QVariant(qlonglong(90)));
    const double today = double(db::dayNumber(QDate::currentDate()));
    EXPECT_EQ(row(order_, QStringLiteral("OldTovarDay")),
              (QVariantList{QString(), qlonglong(90), 0.0, 0.0, today, qlonglong(0)}));

    // The second read finds the row and ignores the default.
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("OldTovarDay"), QStringLiteral("TypeInteger"), QStringLiteral("5")),
              QVariant(qlonglong(90)));
    EXPECT_EQ(rowCount(order_), 1);
}

TEST_F(SettingsTest, WritingOneTypeKeepsTheOtherColumns)
{
    WriteSetting(order_, QStringLiteral("Edit_Sale"), QStringLiteral("TypeText"), QStringLiteral("Поставщик"));
    WriteSetting(order_, QStringLiteral("Edit_Sale"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    const QVariantList r = row(order_, QStringLiteral("Edit_Sale"));
    ASSERT_EQ(r.size(), 6);
    EXPECT_EQ(r[0], QVariant(QStringLiteral("Поставщик")));
    EXPECT_EQ(r[5], QVariant(qlonglong(1)));
    EXPECT_EQ(rowCount(order_), 1);
}

TEST_F(SettingsTest, NamesMatchWithoutCase)
{
    WriteSetting(order_, QStringLiteral("Поставщик_DataLoad"), QStringLiteral("TypeInteger"), QStringLiteral("3"));
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("ПОСТАВЩИК_dataload"), QStringLiteral("TypeInteger"), QStringLiteral("0")),
              QVariant(qlonglong(3)));
    WriteSetting(order_, QStringLiteral("поставщик_DATALOAD"), QStringLiteral("TypeInteger"), QStringLiteral("4"));
    EXPECT_EQ(rowCount(order_), 1);
    EXPECT_EQ(row(order_, QStringLiteral("Поставщик_DataLoad")).value(1), QVariant(qlonglong(4)));
}

TEST_F(SettingsTest, PriceDatabaseSettingsStayInThePriceDatabase)
{
    WritePriceDbSetting(price_, QStringLiteral("ValutaKurs"), QStringLiteral("TypeBoolean"), QStringLiteral("True"));
    EXPECT_EQ(ReadPriceDbSetting(price_, QStringLiteral("ValutaKurs"), QStringLiteral("TypeBoolean"), QStringLiteral("0")),
              QVariant(true));
    EXPECT_EQ(rowCount(order_), 0);
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("ValutaKurs"), QStringLiteral("TypeBoolean"), QStringLiteral("0")),
              QVariant(false));
}

struct ConversionCase {
    const char* type;
    const char* text;
    QVariant expected; // the value read back
};

class SettingConversion : public SettingsTest, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(SettingConversion, ValueTextReadsBackAsItsType)
{
    const ConversionCase& c = GetParam();
    WriteSetting(order_, QStringLiteral("X"), QString::fromUtf8(c.type), QString::fromUtf8(c.text));
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("X"), QString::fromUtf8(c.type), QString()), c.expected)
        << c.type << " " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingConversion,
    ::testing::Values(ConversionCase{"TypeText", "  текст с пробелами ", QString::fromUtf8("  текст с пробелами ")},
                      ConversionCase{"TypeText", "", QString()},
                      ConversionCase{"TypeInteger", "-12", qlonglong(-12)},
                      ConversionCase{"TypeInteger", " 7 ", qlonglong(7)},
                      ConversionCase{"TypeDouble", "27,0", 27.0},
                      ConversionCase{"TypeDouble", "27.5", 27.5},
                      ConversionCase{"TypeDouble", "-0,125", -0.125},
                      ConversionCase{"TypeCurrency", "12,345678", 12.3457},
                      ConversionCase{"TypeBoolean", "-1", true},
                      ConversionCase{"TypeBoolean", "0", false},
                      ConversionCase{"TypeBoolean", "True", true},
                      ConversionCase{"TypeBoolean", "False", false},
                      ConversionCase{"TypeBoolean", "true", true},
                      ConversionCase{"TypeDate", "10.12.2026", QDateTime(QDate(2026, 12, 10), QTime(0, 0))},
                      ConversionCase{"TypeDate", "01.02.2025 13:30:00",
                                     QDateTime(QDate(2025, 2, 1), QTime(13, 30))}));

struct BadValueCase {
    const char* type;
    const char* text;
};

class BadSettingValue : public SettingsTest, public ::testing::WithParamInterface<BadValueCase> {};

TEST_P(BadSettingValue, ThrowsAndWritesNothing)
{
    WriteSetting(order_, QStringLiteral("X"), QStringLiteral("TypeText"), QStringLiteral("старое"));
    const QVariantList before = row(order_, QStringLiteral("X"));
    EXPECT_THROW(WriteSetting(order_, QStringLiteral("X"), QString::fromUtf8(GetParam().type),
                              QString::fromUtf8(GetParam().text)),
                 SettingsError);
    EXPECT_EQ(row(order_, QStringLiteral("X")), before);
    EXPECT_THROW(WriteSetting(order_, QStringLiteral("New"), QString::fromUtf8(GetParam().type),
                              QString::fromUtf8(GetParam().text)),
                 SettingsError);
    EXPECT_EQ(rowCount(order_), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadSettingValue,
                         ::testing::Values(BadValueCase{"TypeInteger", "abc"}, BadValueCase{"TypeInteger", "27,0"},
                                           BadValueCase{"TypeInteger", ""}, BadValueCase{"TypeDouble", "12,5,0"},
                                           BadValueCase{"TypeCurrency", "рубль"}, BadValueCase{"TypeBoolean", "yes"},
                                           BadValueCase{"TypeDate", "32.13.2020"},
                                           BadValueCase{"typetext", "x"}));

// The decimal separator of the process's locale does not matter.
class DecimalUnderLocale : public SettingsTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        saved_ = QLocale();
        savedC_ = std::setlocale(LC_ALL, nullptr);
        QLocale::setDefault(QLocale(QString::fromUtf8(GetParam())));
        // The C library's locale too, where this machine has it.
        std::setlocale(LC_ALL, (std::string(GetParam()) + ".UTF-8").c_str());
    }
    void TearDown() override
    {
        QLocale::setDefault(saved_);
        std::setlocale(LC_ALL, savedC_.c_str());
    }

    QLocale saved_;
    std::string savedC_;
};

TEST_P(DecimalUnderLocale, ReadsCommaAndPointDefaults)
{
    EXPECT_DOUBLE_EQ(
        ReadSetting(order_, QStringLiteral("KursRUB"), QStringLiteral("TypeCurrency"), QStringLiteral("27,0")).toDouble(),
        27.0);
    EXPECT_DOUBLE_EQ(
        ReadSetting(order_, QStringLiteral("KursEUR"), QStringLiteral("TypeCurrency"), QStringLiteral("27.5")).toDouble(),
        27.5);
    EXPECT_DOUBLE_EQ(parseDecimal(QStringLiteral("1,25")), 1.25);
    EXPECT_DOUBLE_EQ(parseDecimal(QStringLiteral("1.25")), 1.25);
}

INSTANTIATE_TEST_SUITE_P(Locales, DecimalUnderLocale, ::testing::Values("C", "ru_RU", "en_US", "de_DE"));

TEST_F(SettingsTest, UnknownTypeNameReadsAsErrorAndWritesNothing)
{
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("X"), QStringLiteral("TypeString"), QStringLiteral("5")),
              QVariant(QStringLiteral("Error")));
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("X"), QStringLiteral("typeinteger"), QStringLiteral("5")),
              QVariant(QStringLiteral("Error")));
    EXPECT_EQ(rowCount(order_), 0);
}

TEST_F(SettingsTest, DefaultThatDoesNotConvertFailsTheFirstRead)
{
    EXPECT_THROW(ReadSetting(order_, QStringLiteral("RoundingDegree"), QStringLiteral("TypeInteger"), QStringLiteral("два")),
                 SettingsError);
    EXPECT_EQ(rowCount(order_), 0);
    // Once the row exists, the default is not needed.
    WriteSetting(order_, QStringLiteral("RoundingDegree"), QStringLiteral("TypeInteger"), QStringLiteral("2"));
    EXPECT_EQ(ReadSetting(order_, QStringLiteral("RoundingDegree"), QStringLiteral("TypeInteger"), QStringLiteral("два")),
              QVariant(qlonglong(2)));
}

TEST_F(SettingsTest, EngineErrorGivesTheDefaultOfTheType)
{
    db::Connection bare(path(QStringLiteral("bare.vdb")), db::OpenMode::Create); // no settings table
    EXPECT_EQ(ReadSetting(bare, QStringLiteral("OldTovarDay"), QStringLiteral("TypeInteger"), QStringLiteral("90")),
              QVariant(qlonglong(90)));
    EXPECT_EQ(ReadSetting(bare, QStringLiteral("KursRUB"), QStringLiteral("TypeCurrency"), QStringLiteral("27,0")),
              QVariant(27.0));
    EXPECT_EQ(ReadSetting(bare, QStringLiteral("X"), QStringLiteral("TypeBoolean"), QStringLiteral("-1")), QVariant(true));
    EXPECT_THROW(ReadSetting(bare, QStringLiteral("X"), QStringLiteral("TypeDouble"), QStringLiteral("abc")), SettingsError);
    EXPECT_THROW(WriteSetting(bare, QStringLiteral("X"), QStringLiteral("TypeDouble"), QStringLiteral("1")), db::DbError);
}

TEST_F(SettingsTest, StoredJetTrueReadsAsTrue)
{
    order_.exec(QStringLiteral("INSERT INTO settings (ParName, TypeBoolean) VALUES ('CheckBox_FindUp', -1)"));
    SettingsStore store(order_);
    EXPECT_TRUE(store.readBoolean(QStringLiteral("CheckBox_FindUp")));
}

TEST_F(SettingsTest, ColumnsAreNamedSoAnOldColumnOrderStillWorks)
{
    db::Connection old(path(QStringLiteral("old.vdb")), db::OpenMode::Create);
    old.exec(QStringLiteral("CREATE TABLE settings (TypeBoolean INTEGER, TypeDate REAL, TypeText TEXT, ParName TEXT,"
                            " TypeCurrency REAL, TypeDouble REAL, TypeInteger INTEGER)"));
    SettingsStore store(old);
    EXPECT_EQ(store.readInteger(QStringLiteral("OldTovarDay"), QStringLiteral("90")), 90);
    EXPECT_EQ(store.readText(QStringLiteral("OldTovarDay"), QStringLiteral("x")), QString());
    EXPECT_EQ(old.scalar(QStringLiteral("SELECT ParName FROM settings")).toString(), QStringLiteral("OldTovarDay"));
}

TEST_F(SettingsTest, ConveniencesReadTheirTypes)
{
    SettingsStore store(order_);
    EXPECT_EQ(store.readText(QStringLiteral("OldTovarColor"), QStringLiteral("$0000FF")), QStringLiteral("$0000FF"));
    EXPECT_EQ(store.readInteger(QStringLiteral("RoundingDegree"), QStringLiteral("2")), 2);
    EXPECT_DOUBLE_EQ(store.readDouble(QStringLiteral("Kurs"), QStringLiteral("1,5")), 1.5);
    EXPECT_DOUBLE_EQ(store.readCurrency(QStringLiteral("KursRUB"), QStringLiteral("27,0")), 27.0);
    EXPECT_TRUE(store.readBoolean(QStringLiteral("CheckBox_AutoSaveIniFile"), QStringLiteral("-1")));
    EXPECT_FALSE(store.readBoolean(QStringLiteral("CheckBox_FindUp"), QStringLiteral("0")));
}

TEST(SettingParsers, DecimalsAndBooleans)
{
    EXPECT_DOUBLE_EQ(parseDecimal(QStringLiteral(" 27,0 ")), 27.0);
    EXPECT_DOUBLE_EQ(parseDecimal(QStringLiteral(".5")), 0.5);
    EXPECT_DOUBLE_EQ(parseDecimal(QStringLiteral("1e3")), 1000);
    EXPECT_THROW(parseDecimal(QStringLiteral("")), SettingsError);
    EXPECT_THROW(parseDecimal(QStringLiteral("1 000,5")), SettingsError);
    EXPECT_TRUE(parseBoolean(QStringLiteral("TRUE")));
    EXPECT_TRUE(parseBoolean(QStringLiteral("1")));
    EXPECT_FALSE(parseBoolean(QStringLiteral("false")));
    EXPECT_THROW(parseBoolean(QStringLiteral("да")), SettingsError);
}

} // namespace
