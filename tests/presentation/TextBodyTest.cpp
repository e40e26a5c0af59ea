#include "platform/presentation/TextBody.h"

#include <gtest/gtest.h>

using presentation::TextBody;

TEST(TextBody, LineEndsBecomeOneParagraphBreakEach)
{
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {u"a\r\nb", u"a\rb"},      {u"a\rb", u"a\rb"},       {u"a\nb", u"a\rb"},
        {u"a\n\rb", u"a\r\rb"},    {u"\r\n\r\n", u"\r\r"},   {u"end\r", u"end\r"},
        {u"", u""},                {u"x\r\n\ny", u"x\r\ry"},
    };
    for (const Case& c : cases) {
        TextBody body;
        body.setText(c.in);
        EXPECT_EQ(body.text(), c.out);
        EXPECT_EQ(body.length(), c.out.size());
    }
}

TEST(TextBody, RangesAreOneBasedAndClipped)
{
    TextBody body;
    body.setText(u"Hello");
    struct Case {
        long start, length;
        size_t first, count;
    } cases[] = {
        {1, 5, 0, 5}, {2, 3, 1, 3}, {4, 10, 3, 2}, {0, 2, 0, 2}, {-5, 1, 0, 1},
        {6, 1, 5, 0}, {99, 3, 5, 0}, {3, 0, 2, 0}, {3, -1, 2, 0},
    };
    for (const Case& c : cases) {
        auto span = body.clip(c.start, c.length);
        EXPECT_EQ(span.start, c.first) << c.start << "," << c.length;
        EXPECT_EQ(span.length, c.count) << c.start << "," << c.length;
    }
}

TEST(TextBody, FormatChangesExactlyTheRange)
{
    TextBody body;
    body.setText(u"abcdef");
    body.change(body.clip(2, 3), [](auto& f) { f.bold = true; });
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(body.formatAt(i).bold, i >= 1 && i <= 3) << i;
    EXPECT_FALSE(body.endFormat().bold);
    body.change(body.clip(5, 9), [](auto& f) { f.size = 40; });
    EXPECT_EQ(body.formatAt(3).size, 18);
    EXPECT_EQ(body.formatAt(4).size, 40);
    EXPECT_EQ(body.endFormat().size, 40);  // the range reached the end of the text
}

TEST(TextBody, NewTextTakesTheFormatOfTheTextItReplaces)
{
    TextBody body;
    body.setText(u"old");
    body.change(body.clip(1, 3), [](auto& f) { f.italic = true; });
    body.setText(u"new text");
    for (size_t i = 0; i <= body.length(); ++i) EXPECT_TRUE(body.formatAt(i).italic);
}
