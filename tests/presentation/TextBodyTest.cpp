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

namespace {

// One step on a body: a replace (Characters(start, length).Text = text) or
// a format change (Characters(start, length).Font.Size = size).
struct Step {
    long start, length;
    std::u16string text;
    int size = 0;  // a change when not 0
};

// The formats of a body, one digit per character and one for the end
// format after '|': the point size, '-' for the default 18.
std::string SizesOf(const TextBody& body)
{
    auto digit = [](const presentation::CharFormat& f) { return f.size == 18 ? '-' : char('0' + f.size); };
    std::string out;
    for (size_t i = 0; i < body.length(); ++i) out += digit(body.formatAt(i));
    return out + '|' + digit(body.endFormat());
}

} // namespace

TEST(TextBody, ReplacesAndChangesGiveEachCharacterItsFormat)
{
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char16_t* text;
        const char* sizes;
        size_t runs;
    } cases[] = {
        {"a change inside splits a run", {{1, 0, u"abcdef"}, {2, 3, u"", 3}}, u"abcdef", "-333--|-", 3},
        {"a change through the end changes the end", {{1, 0, u"abcdef"}, {4, 3, u"", 5}}, u"abcdef", "---555|5", 2},
        {"an empty change at the end changes only the end", {{1, 0, u"abc"}, {4, 0, u"", 7}}, u"abc", "---|7", 1},
        {"an empty change inside changes nothing", {{1, 0, u"abc"}, {2, 0, u"", 7}}, u"abc", "---|-", 1},
        {"a change before any text changes the end", {{1, 0, u"", 4}, {1, 0, u"ab"}}, u"ab", "44|4", 1},
        {"an insertion takes the format before it",
         {{1, 0, u"abcdef"}, {3, 2, u"", 4}, {5, 0, u"XY"}}, u"abcdXYef", "--4444--|-", 3},
        {"an insertion at the start takes the first format",
         {{1, 0, u"abc"}, {1, 1, u"", 2}, {1, 0, u"Z"}}, u"Zabc", "22--|-", 2},
        {"an insertion at the end takes the last format, not the end's, and gives it to the end",
         {{1, 0, u"abc"}, {3, 1, u"", 6}, {4, 0, u"", 2}, {4, 0, u"d"}}, u"abcd", "--66|6", 2},
        {"a replacement takes the first replaced format",
         {{1, 0, u"abcdef"}, {2, 1, u"", 6}, {2, 3, u"Q"}}, u"aQef", "-6--|-", 3},
        {"a replacement through the end sets the end",
         {{1, 0, u"abcdef"}, {3, 1, u"", 8}, {3, 4, u"xyz"}}, u"abxyz", "--888|8", 2},
        {"a deletion joins the runs around it",
         {{1, 0, u"abcdef"}, {2, 1, u"", 3}, {4, 1, u"", 3}, {3, 1, u""}}, u"abdef", "-33--|-", 3},
        {"emptied text keeps the first format for new text",
         {{1, 0, u"abc"}, {1, 2, u"", 3}, {1, 3, u""}, {1, 0, u"new"}}, u"new", "333|3", 1},
        {"text set whole takes the format of its first character",
         {{1, 0, u"abc"}, {2, 2, u"", 5}, {1, 3, u"abcd"}}, u"abcd", "----|-", 1},
        {"a line end is one character",
         {{1, 0, u"ab"}, {2, 1, u"", 9}, {3, 0, u"\r\nc\nd"}}, u"ab\rc\rd", "-99999|9", 2},
        {"equal neighbours join", {{1, 0, u"abcdef"}, {2, 2, u"", 3}, {4, 2, u"", 3}}, u"abcdef", "-3333-|-", 3},
        {"a change back joins all", {{1, 0, u"abcdef"}, {2, 2, u"", 3}, {2, 4, u"", 18}}, u"abcdef", "------|-", 1},
        {"spans are clipped", {{1, 0, u"abc"}, {2, 99, u"", 4}, {-3, 2, u"", 5}}, u"abc", "554|4", 2},
    };
    for (const Case& c : cases) {
        TextBody body;
        for (const Step& step : c.steps) {
            auto span = body.clip(step.start, step.length);
            if (step.size) body.change(span, [&](presentation::CharFormat& f) { f.size = step.size; });
            else body.replace(span, step.text);
        }
        EXPECT_EQ(body.text(), c.text) << c.what;
        EXPECT_EQ(SizesOf(body), c.sizes) << c.what;
        EXPECT_EQ(body.runs().size(), c.runs) << c.what;
    }
}

TEST(TextBody, CharactersAreHeldInOneByteWhileTheyFit)
{
    TextBody body;
    body.setText(u"caf\u00E9 \u00FF");
    EXPECT_TRUE(body.isNarrow());
    EXPECT_EQ(body.text(), u"caf\u00E9 \u00FF");  // bytes above 127 are the characters U+0080 to U+00FF
    EXPECT_EQ(body.textOf(body.clip(4, 3)), u"\u00E9 \u00FF");
    body.replace(body.clip(5, 1), u"\u20AC");
    EXPECT_FALSE(body.isNarrow());
    EXPECT_EQ(body.text(), u"caf\u00E9\u20AC\u00FF");
    body.replace(body.clip(5, 1), u"e");
    EXPECT_TRUE(body.isNarrow());
    EXPECT_EQ(body.narrowText(), "caf\xE9" "e\xFF");
}

TEST(TextBody, BodiesOfAPresentationShareOneFormatTable)
{
    auto formats = std::make_shared<presentation::CharFormatTable>();
    TextBody first(formats), second(formats);
    first.setText(u"one");
    second.setText(u"two");
    auto boldItalic = [](presentation::CharFormat& f) { f.bold = true, f.italic = true; };
    first.change(first.clip(1, 1), boldItalic);
    second.change(second.clip(2, 9), boldItalic);
    EXPECT_EQ(formats->size(), 2u);  // the default and the bold italic one
    EXPECT_TRUE(first.formatAt(0).bold);
    EXPECT_FALSE(first.formatAt(1).bold);
    EXPECT_FALSE(first.endFormat().bold);
    EXPECT_FALSE(second.formatAt(0).italic);
    EXPECT_TRUE(second.endFormat().italic);
}

// "Text = Text & more", as the generated program fills a box: the body
// ends as if its whole text had been replaced, an LF right after a stored
// break joining it.
TEST(TextBody, AppendingToTheWholeTextIsReplacingIt)
{
    struct Case {
        std::u16string first, more, text;
        bool narrow;
    } cases[] = {
        {u"A\n", u"\nB", u"A\rB", true},        {u"A\r", u"\r\nB", u"A\r\rB", true},
        {u"A", u"\n\nB", u"A\r\rB", true},      {u"ab", u"\u20AC", u"ab\u20AC", false},
        {u"\u20AC", u"c", u"\u20ACc", false},  {u"", u"\nx", u"\rx", true},
        {u"\u00E9", u"\u00FF", u"\u00E9\u00FF", true},
    };
    for (const Case& c : cases) {
        TextBody body;
        body.setText(c.first);
        body.change(body.clip(1, 1), [](auto& f) { f.size = 30; });
        body.change(body.clip(2, 99), [](auto& f) { f.bold = true; });
        body.setText(body.text() + c.more);
        EXPECT_EQ(body.text(), c.text);
        EXPECT_EQ(body.isNarrow(), c.narrow);
        // One run in the format of the first character, as any replacement of the whole text gives.
        ASSERT_EQ(body.runs().size(), 1u);
        EXPECT_EQ(body.runs()[0].length, c.text.size());
        EXPECT_EQ(body.endFormatIndex(), body.runs()[0].format);
        EXPECT_EQ(body.formatAt(0).size, 30);
        EXPECT_EQ(body.formatAt(0).bold, c.first.empty());  // both changes went to the end format
    }
}

// Format changes and replacements in an order that goes back and forth
// give every character the format a plain per-character model gives.
TEST(TextBody, ChangesBackAndForthMatchAModelOfEveryCharacter)
{
    TextBody body;
    body.setText(u"abcdefghijklmnopqrstuvwxyz");
    std::vector<int> sizes(27, 18);  // the characters', then the end format's
    struct Step {
        long start, length;
        int size;           // a format change to this size, or
        const char16_t* text;  // a replacement by this text
    } steps[] = {
        {5, 3, 20, nullptr},  {1, 2, 21, nullptr},  {20, 10, 22, nullptr}, {3, 9, 23, nullptr},
        {6, 1, 24, nullptr},  {2, 0, 0, u"XY"},     {26, 3, 25, nullptr},  {1, 28, 26, nullptr},
        {10, 4, 27, nullptr}, {12, 2, 0, u"Q"},     {9, 6, 28, nullptr},   {4, 1, 29, nullptr},
        {1, 0, 0, u"zz"},     {15, 99, 30, nullptr}, {3, 3, 0, u""},        {2, 5, 31, nullptr},
    };
    for (const Step& step : steps) {
        auto span = body.clip(step.start, step.length);
        if (step.text) {
            std::u16string text(step.text);
            size_t from = span.length > 0 || span.start == 0 ? span.start : span.start - 1;
            int size = sizes[from];
            bool throughEnd = span.start + span.length == body.length();
            sizes.erase(sizes.begin() + long(span.start), sizes.begin() + long(span.start + span.length));
            sizes.insert(sizes.begin() + long(span.start), text.size(), size);
            if (throughEnd) sizes.back() = size;
            body.replace(span, text);
        } else {
            for (size_t i = span.start; i < span.start + span.length; ++i) sizes[i] = step.size;
            if (span.start + span.length == body.length()) sizes.back() = step.size;
            body.change(span, [&](auto& f) { f.size = step.size; });
        }
        ASSERT_EQ(body.length() + 1, sizes.size());
        for (size_t i = 0; i < body.length(); ++i) EXPECT_EQ(body.formatAt(i).size, sizes[i]) << i;
        EXPECT_EQ(body.endFormat().size, sizes.back());
        for (size_t i = 1; i < body.runs().size(); ++i) EXPECT_NE(body.runs()[i - 1].format, body.runs()[i].format);
    }
}
