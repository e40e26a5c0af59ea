// Runs of text with their character format, as two readers see a deck:
// POI's description (PoiCheck) and the content.xml of the OpenDocument file
// Calligra converts it to. The check that the second keeps the first.
#pragma once

#include <string>
#include <vector>

struct StyledRun {
    std::string text;  // UTF-8
    std::string font;
    double size = 0;   // points
    bool bold = false, italic = false;
    std::string colour;  // six lower-case hex digits
};

// Every run of every text box POI describes, cut at paragraph ends.
std::vector<StyledRun> PoiRuns(const std::string& description);
// Every paragraph's spans, neighbours of one format joined.
std::vector<StyledRun> OdpRuns(const std::string& contentXml);
// One line for each expected run whose text no found run of its format holds.
std::vector<std::string> MissingRuns(const std::vector<StyledRun>& expected, const std::vector<StyledRun>& found);

// Converts the deck with Calligra and reports what went wrong: a failed
// conversion, or each run of POI's description that the converted file lacks.
std::vector<std::string> CalligraMisses(const std::string& deck, const std::string& poiDescription);
