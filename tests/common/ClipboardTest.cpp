#include "common/widgets/Clipboard.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Clipboard, UnicodeTextRoundTripAndEmptyTextKeepsContents)
{
    SetClipboardUnicodeText(u"Тираж 4100: 5;12 — ✓"_s);
    EXPECT_EQ(GetClipboardUnicodeText(), u"Тираж 4100: 5;12 — ✓");
    SetClipboardUnicodeText({});
    EXPECT_EQ(GetClipboardUnicodeText(), u"Тираж 4100: 5;12 — ✓");
}
