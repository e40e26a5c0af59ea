// The comparison of POI's runs with Calligra's must see every kind of
// difference, or its silence on our decks would mean nothing.
#include "tests/presentation/StyledRuns.h"

#include <gtest/gtest.h>

namespace {

// content.xml as Calligra writes it: automatic text styles, spans in
// paragraphs, blanks as text:s.
const char* const Content = R"(<office:automatic-styles>
  <style:style style:name="T1" style:family="text">
   <style:text-properties fo:color="#000000" fo:font-family="Times New Roman" fo:font-size="24pt" fo:font-style="normal" fo:font-weight="bold"/>
  </style:style>
  <style:style style:name="T2" style:family="text">
   <style:text-properties fo:color="#FF0000" fo:font-family="Arial" fo:font-size="18pt" fo:font-style="italic" fo:font-weight="normal"/>
  </style:style>
 </office:automatic-styles>
 <draw:text-box>
   <text:p text:style-name="P1"><text:span text:style-name="T1">Hello</text:span><text:span text:style-name="T1"><text:s/>big<text:s text:c="2"/>world</text:span><text:span text:style-name="T2">Caf&amp;</text:span></text:p>
   <text:p text:style-name="P1"><text:span text:style-name="T2">  Second</text:span></text:p>
 </draw:text-box>)";

std::string Description(const std::string& format1, const std::string& format2)
{
    return " textbox 0.000 0.000 100.000 20.000\n"
           "  text \"Hello big  worldCaf&\\u000d  Second\" wrap true\n"
           "  chars 0 16 " + format1 + "\n"
           "  chars 16 4 " + format2 + "\n"
           "  chars 20 1 Arial 18.000 b0 i0 u0 000000\n"
           "  chars 21 8 " + format2 + "\n";
}

} // namespace

TEST(StyledRuns, MatchingFormatsAndTextsPass)
{
    std::vector<StyledRun> found = OdpRuns(Content);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].text, "Hello big  world");  // neighbours of one format joined
    std::vector<StyledRun> expected =
        PoiRuns(Description("Times New Roman 24.000 b1 i0 u0 000000", "Arial 18.000 b0 i1 u0 ff0000"));
    ASSERT_EQ(expected.size(), 3u);  // the paragraph end alone has no text
    EXPECT_EQ(MissingRuns(expected, found), std::vector<std::string>{});
}

TEST(StyledRuns, EveryDifferenceIsReported)
{
    const struct {
        const char* what;
        std::string format1;
    } cases[] = {
        {"font", "Arial 24.000 b1 i0 u0 000000"},
        {"size", "Times New Roman 20.000 b1 i0 u0 000000"},
        {"bold", "Times New Roman 24.000 b0 i0 u0 000000"},
        {"italic", "Times New Roman 24.000 b1 i1 u0 000000"},
        {"colour", "Times New Roman 24.000 b1 i0 u0 0000ff"},
    };
    std::vector<StyledRun> found = OdpRuns(Content);
    for (const auto& c : cases) {
        std::vector<std::string> missing =
            MissingRuns(PoiRuns(Description(c.format1, "Arial 18.000 b0 i1 u0 ff0000")), found);
        ASSERT_EQ(missing.size(), 1u) << c.what;
        EXPECT_NE(missing[0].find("Hello big  world"), std::string::npos) << missing[0];
    }
    std::string otherText = Description("Times New Roman 24.000 b1 i0 u0 000000", "Arial 18.000 b0 i1 u0 ff0000");
    otherText.replace(otherText.find("Second"), 6, "Sekond");
    EXPECT_EQ(MissingRuns(PoiRuns(otherText), found).size(), 1u);
}
