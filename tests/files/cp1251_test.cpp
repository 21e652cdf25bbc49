#include "platform/files/cp1251.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(Cp1251, RoundTripsEveryCyrillicLetterAndSign)
{
    const QString text = QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя №«»—€");
    const QByteArray bytes = encodeCp1251(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(decodeCp1251(bytes), text);
    EXPECT_EQ(encodeCp1251(QStringLiteral("Ё")), QByteArray("\xA8"));
    EXPECT_EQ(encodeCp1251(QStringLiteral("я")), QByteArray("\xFF"));
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(encodeCp1251(QStringLiteral("a\u4e2dб")), QByteArray("a?\xE1"));
}

TEST(TextDecoding, DetectsEncoding)
{
    struct Case {
        QByteArray bytes;
        TextEncoding encoding;
        QString text;
    };
    const Case cases[] = {
        {QByteArray("\xEF\xBB\xBF") + QStringLiteral("привет").toUtf8(), TextEncoding::Utf8Bom, QStringLiteral("привет")},
        {QStringLiteral("привет").toUtf8(), TextEncoding::Utf8, QStringLiteral("привет")},
        {encodeCp1251(QStringLiteral("привет")), TextEncoding::Cp1251, QStringLiteral("привет")},
        {QByteArray("plain"), TextEncoding::Cp1251, QStringLiteral("plain")},
    };
    for (const Case& c : cases) {
        TextEncoding found{};
        EXPECT_EQ(decodeText(c.bytes, &found), c.text);
        EXPECT_EQ(found, c.encoding) << c.text.toStdString();
    }
}
