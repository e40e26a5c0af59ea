// Conversions read back by Apache POI: one slide per selected page, the
// slide size of the first page's picture, a picture on every page that is
// not white, and the page's text in a text box. Calligra converts every
// deck keeping the same runs of text.
#include "engine/Corvane.h"
#include "tests/engine/Occurrences.h"
#include "tests/engine/PdfMaker.h"
#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/StyledRuns.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

// Page 1: 300 x 200 points with text and a rectangle; page 2: white;
// page 3: 400 x 300 points with text and a line.
const char* const mixedPages = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (First) show
0 0 1 setrgbcolor 200 20 60 40 rectfill
showpage
showpage
<< /PageSize [400 300] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
0 0 0 setrgbcolor 20 200 moveto (Third) show
4 setlinewidth 20 40 moveto 380 40 lineto stroke
showpage
)";

// POI's description of a converted deck, which Calligra must convert too
// keeping every run of text.
CommandResult Describe(const std::string& deck)
{
    CommandResult poi = DescribeWithPoi(deck);
    for (const std::string& miss : CalligraMisses(deck, poi.output)) ADD_FAILURE() << miss;
    return poi;
}

TEST(ConversionReadBack, SlidesFollowThePagesAndThePageSet)
{
    ScratchFolder folder;
    std::string pdf = MakePdf(folder, "mixed", mixedPages);
    std::string out = folder.File("mixed.ppt");
    CorvaneSetup("");
    ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
    CommandResult poi = Describe(out);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("size 625.000 417.000\n"), std::string::npos) << poi.output;
    EXPECT_NE(poi.output.find("slides 3\n"), std::string::npos) << poi.output;

    std::string first = PoiSlide(poi.output, 1), white = PoiSlide(poi.output, 2), third = PoiSlide(poi.output, 3);
    EXPECT_NE(first.find(" picture 0.000 0.000 625.000 417.000 PNG"), std::string::npos) << first;
    EXPECT_NE(first.find("text \"First"), std::string::npos) << first;
    EXPECT_EQ(white.find("picture"), std::string::npos) << white;
    EXPECT_EQ(white.find("textbox"), std::string::npos) << white;
    EXPECT_NE(third.find(" picture 0.000 0.000 833.000 625.000 PNG"), std::string::npos) << third;
    EXPECT_NE(third.find("text \"Third"), std::string::npos) << third;

    CorvaneSetup("3, 1");
    std::string chosen = folder.File("chosen.ppt");
    ASSERT_EQ(Corvane(pdf.c_str(), chosen.c_str(), ""), kCorvaneOk);
    poi = Describe(chosen);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("slides 2\n"), std::string::npos) << poi.output;
    EXPECT_NE(PoiSlide(poi.output, 1).find("text \"First"), std::string::npos) << poi.output;
    EXPECT_NE(PoiSlide(poi.output, 2).find("text \"Third"), std::string::npos) << poi.output;
    CorvaneSetup("");
}

TEST(ConversionReadBack, ASelectionOfNoPageSavesAPresentationWithoutSlides)
{
    ScratchFolder folder;
    std::string pdf = MakePdf(folder, "mixed", mixedPages);
    std::string out = folder.File("none.ppt");
    CorvaneSetup("abc");
    EXPECT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneNoSlide);
    CorvaneSetup("");
    CommandResult poi = Describe(out);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("slides 0\n"), std::string::npos) << poi.output;
    EXPECT_EQ(Count(poi.output, "picture "), 0u);
}

} // namespace
