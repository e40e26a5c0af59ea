// The records of a text box: its characters in the atom the file wants and
// its character runs, the paragraph end after the text counted in.
#include "platform/presentation/PptRecords.h"
#include "platform/presentation/RecordTypes.h"

#include <gtest/gtest.h>

#include <functional>

using namespace presentation;

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

// A character run as "count:style:size", style the bold (1), italic (2)
// and underline (4) bits.
std::vector<std::string> CharacterRuns(const std::vector<uint8_t>& records)
{
    std::vector<std::string> runs;
    for (size_t at = 0; at + 8 <= records.size(); at += 8 + U32(records, at + 4)) {
        if (U16(records, at + 2) != rt::StyleTextPropAtom) continue;
        size_t end = at + 8 + U32(records, at + 4);
        for (size_t run = at + 8 + 10; run + 24 <= end; run += 24)  // after the paragraph run
            runs.push_back(std::to_string(U32(records, run)) + ":" + std::to_string(U16(records, run + 8)) + ":" +
                           std::to_string(U16(records, run + 18)));
    }
    return runs;
}

uint16_t CharactersAtom(const std::vector<uint8_t>& records)
{
    return U16(records, 8 + 4 + 2);  // after the text header atom
}

} // namespace

TEST(TextRecords, RunsCoverTheTextAndTheParagraphEndAfterIt)
{
    using Build = std::function<void(TextBody&)>;
    auto bold = [](CharFormat& f) { f.bold = true; };
    struct Case {
        const char* what;
        Build build;
        uint16_t atom;
        std::vector<std::string> runs;
    } cases[] = {
        {"one format", [](TextBody& b) { b.setText(u"abc"); }, rt::TextBytesAtom, {"4:0:18"}},
        {"the end joins the last run",
         [&](TextBody& b) { b.setText(u"abc"); b.change(b.clip(3, 1), bold); }, rt::TextBytesAtom,
         {"2:0:18", "2:1:18"}},
        {"the end joins the last run, not the first",
         [&](TextBody& b) { b.setText(u"abc"); b.change(b.clip(1, 1), bold); }, rt::TextBytesAtom,
         {"1:1:18", "3:0:18"}},
        {"an end of its own",
         [](TextBody& b) { b.setText(u"ab"); b.change(b.clip(3, 0), [](CharFormat& f) { f.size = 30; }); },
         rt::TextBytesAtom, {"2:0:18", "1:0:30"}},
        {"an empty text has its end",
         [&](TextBody& b) { b.change(b.clip(1, 0), bold); }, rt::TextBytesAtom, {"1:1:18"}},
        {"equal formats apart stay apart",
         [&](TextBody& b) { b.setText(u"a\u20ACc"); b.change(b.clip(2, 1), bold); }, rt::TextCharsAtom,
         {"1:0:18", "1:1:18", "2:0:18"}},
    };
    for (const Case& c : cases) {
        Presentation p;
        p.slides.push_back(std::make_unique<Slide>());
        p.slides[0]->shapes.push_back(std::make_unique<Shape>(TextBoxShape{{}, TextBody(p.formats)}));
        TextBody& body = std::get<TextBoxShape>(*p.slides[0]->shapes[0]).body;
        c.build(body);
        std::vector<uint8_t> records;
        RecordWriter w(records);
        WriteTextBox(w, body, FontTable(p));
        EXPECT_EQ(CharactersAtom(records), c.atom) << c.what;
        EXPECT_EQ(CharacterRuns(records), c.runs) << c.what;
    }
}
