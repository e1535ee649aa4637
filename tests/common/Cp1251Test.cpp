#include "common/Cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251, RoundTripsEveryAssignedByte)
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98)
            all += static_cast<char>(b);
    EXPECT_EQ(Cp1251::encode(Cp1251::decode(all)), all);
    EXPECT_EQ(Cp1251::decode(QByteArray("\xC0\xFF\xA8\xB8")), u"АяЁё");
    EXPECT_EQ(Cp1251::encode(u"№ €"), QByteArray("\xB9 \x88"));
    EXPECT_EQ(Cp1251::encode(u"漢字"), QByteArray("??"));
    EXPECT_FALSE(Cp1251::canEncode(u"漢"));
}

TEST(Cp1251, TextFilesAreUtf8OrCp1251)
{
    EXPECT_EQ(DecodeTextFile(QByteArray("\xEF\xBB\xBF\xD0\x90")), u"А");
    EXPECT_EQ(DecodeTextFile(QByteArray("\xD0\x90")), u"А");
    EXPECT_EQ(DecodeTextFile(QByteArray("\xC0\xC1")), u"АБ");
    EXPECT_EQ(EncodeTextFileCp1251(u"а\nб\r\nв"), QByteArray("\xE0\r\n\xE1\r\n\xE2"));
}
