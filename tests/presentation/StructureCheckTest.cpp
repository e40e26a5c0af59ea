// The structural checker must see each kind of damage, or its silence on
// our files would mean nothing.
#include "platform/presentation/PptStreams.h"
#include "platform/presentation/RecordTypes.h"

#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/PptStructureCheck.h"
#include "tests/presentation/TestPictures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace presentation;

namespace {

Presentation Sample()
{
    Presentation p;
    p.slides.push_back(std::make_unique<Slide>());
    std::string error;
    size_t picture = p.addPicture(*PictureFromBytes(MakePng(4, 4, [](uint32_t, uint32_t) { return Rgb{1, 2, 3}; }), error));
    p.slides[0]->shapes.push_back(std::make_unique<Shape>(PictureShape{{0, 0, 10, 10}, picture}));
    p.slides[0]->shapes.push_back(std::make_unique<Shape>(TextBoxShape{{0, 0, 50, 20}, {}}));
    std::get<TextBoxShape>(*p.slides[0]->shapes.back()).body.setText(u"two\r\nlines");
    return p;
}

// The body offset of the first record of a type, searching containers too.
size_t FindBody(const std::vector<uint8_t>& data, uint16_t type, size_t from = 0, size_t to = SIZE_MAX)
{
    to = std::min(to, data.size());
    for (size_t at = from; at + 8 <= to;) {
        uint16_t version = data[at] & 0xF, t = uint16_t(data[at + 2] | data[at + 3] << 8);
        uint32_t length = data[at + 4] | data[at + 5] << 8 | data[at + 6] << 16 | uint32_t(data[at + 7]) << 24;
        if (t == type) return at + 8;
        if (version == 0xF) {
            size_t inner = FindBody(data, type, at + 8, at + 8 + length);
            if (inner != SIZE_MAX) return inner;
        }
        at += 8 + length;
    }
    return SIZE_MAX;
}

void Add32(std::vector<uint8_t>& data, size_t at, int32_t delta)
{
    uint32_t v = data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24;
    v += uint32_t(delta);
    for (int i = 0; i < 4; ++i) data[at + i] = uint8_t(v >> (8 * i));
}

// The offset in a property set of its first 8-bit text value.
size_t StringValue(const std::vector<uint8_t>& set)
{
    for (size_t at = 56; at + 4 <= set.size(); at += 4)
        if (set[at] == 0x1E && set[at + 1] == 0 && set[at + 2] == 0 && set[at + 3] == 0) return at;
    return 0;
}

struct Damage {
    const char* what;
    std::function<void(PptStreams&)> apply;
    const char* reported;  // part of the problem line expected
};

} // namespace

TEST(StructureCheck, AcceptsTheWritersOutput)
{
    CheckedPresentation found;
    EXPECT_EQ(CheckPptStructure(WritePptStreams(Sample()), found), std::vector<std::string>{});
    EXPECT_EQ(found.slides, 1u);
    EXPECT_EQ(found.pictures, 1u);
    EXPECT_EQ(found.textBoxes, 1u);
    EXPECT_EQ(found.slideCount, 1);
    EXPECT_EQ(found.application, "vantrel");
    EXPECT_EQ(found.codePage, 1252);
}

TEST(StructureCheck, ReportsEachKindOfDamage)
{
    const Damage damages[] = {
        {"document container too long", [](PptStreams& s) { Add32(s.document, 4, 1); }, "runs past"},
        {"slide persist offset", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::PersistDirectoryAtom) + 12, 8); }, "points inside a record"},
        {"persist directory offset", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::UserEditAtom) + 12, 8); }, "persist directory offset"},
        {"current edit offset", [](PptStreams& s) { Add32(s.currentUser, 16, 8); }, "no user edit atom"},
        {"paragraph run count", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::StyleTextPropAtom), -1); }, "paragraph run"},
        {"character run count", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::StyleTextPropAtom) + 10, 1); }, "character runs cover"},
        {"font index", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::StyleTextPropAtom) + 20, 7); }, "font index"},
        {"symbol font index", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::StyleTextPropAtom) + 26, 7); }, "font index"},
        {"special info count", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::TextSpecialInfoAtom), 1); }, "special info"},
        {"picture offset", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::FBSE) + 28, 1); }, "offset names no record"},
        {"picture size", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::FBSE) + 20, 1); }, "size differs"},
        {"picture references", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::FBSE) + 24, 1); }, "reference count"},
        {"picture id", [](PptStreams& s) { s.pictures[8] ^= 0xFF; }, "id differs"},
        {"picture stream cut", [](PptStreams& s) { s.pictures.resize(s.pictures.size() - 3); }, "runs past"},
        {"drawing shape count", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::FDG, FindBody(s.document, rt::Slide)), 1); }, "shape count"},
        {"drawing group clusters", [](PptStreams& s) { Add32(s.document, FindBody(s.document, rt::FDGG) + 4, 1); }, "cluster count"},
        {"summary cut short", [](PptStreams& s) { s.properties.summary.resize(s.properties.summary.size() - 4); }, "cut short"},
        {"summary header only", [](PptStreams& s) { s.properties.summary.resize(48); }, "cut short"},
        {"document summary cut short", [](PptStreams& s) { s.properties.documentSummary.resize(40); }, "cut short"},
        {"summary format id", [](PptStreams& s) { s.properties.summary[28] ^= 1; }, "wrong format id"},
        {"document summary as summary", [](PptStreams& s) { s.properties.documentSummary = s.properties.summary; }, "wrong format id"},
        {"property off its boundary", [](PptStreams& s) { Add32(s.properties.summary, 48 + 12, 2); }, "four-byte boundary"},
        {"text past its section", [](PptStreams& s) { Add32(s.properties.summary, StringValue(s.properties.summary) + 4, 64); }, "runs past the section"},
    };
    const PptStreams good = WritePptStreams(Sample());
    for (const Damage& d : damages) {
        PptStreams bad = good;
        d.apply(bad);
        CheckedPresentation found;
        std::vector<std::string> problems = CheckPptStructure(bad, found);
        bool seen = false;
        for (const std::string& p : problems) seen = seen || p.find(d.reported) != std::string::npos;
        EXPECT_TRUE(seen) << d.what << ": " << ::testing::PrintToString(problems);
    }
}

// The compound file around the streams: the root's class id and the names
// readers look the streams up by.
TEST(StructureCheck, ReportsTheFileAroundTheStreams)
{
    const uint8_t noId[16] = {};
    PptStreams s = WritePptStreams(Sample());
    struct Case {
        const char* what;
        const char* summaryName;
        const uint8_t (&classId)[16];
        const char* reported;  // empty for a sound file
    } cases[] = {
        {"as written", "\005SummaryInformation", PresentationClassId, ""},
        {"summary without its leading 5", "SummaryInformation", PresentationClassId, "no stream named \"\\005SummaryInformation\""},
        {"summary misspelt", "\005SummaryInfo", PresentationClassId, "no stream named"},
        {"no class id", "\005SummaryInformation", noId, "class id"},
    };
    std::string folder = FreshFolder("file-damage");
    for (const Case& c : cases) {
        std::string path = folder + "/" + c.what + ".ppt";
        ASSERT_TRUE(WriteCompoundFile(path, {{"Current User", s.currentUser}, {c.summaryName, s.properties.summary},
                                             {"PowerPoint Document", s.document},
                                             {"\005DocumentSummaryInformation", s.properties.documentSummary},
                                             {"Pictures", s.pictures}},
                                      c.classId));
        CheckedPresentation found;
        std::vector<std::string> problems = CheckPptFile(path, found);
        if (!*c.reported) {
            EXPECT_EQ(problems, std::vector<std::string>{}) << c.what;
            continue;
        }
        bool seen = false;
        for (const std::string& p : problems) seen = seen || p.find(c.reported) != std::string::npos;
        EXPECT_TRUE(seen) << c.what << ": " << ::testing::PrintToString(problems);
    }
}
