// PDFs written byte by byte for cases Ghostscript cannot make: fonts that
// are not embedded, encodings by glyph name, CID fonts without a ToUnicode.
#pragma once

#include <string>
#include <vector>

// A one-page PDF: object 1 the catalog, 2 the pages, 3 the page (with the
// font resource /F1 as object 5), 4 the content stream; fontObjects are
// objects 5, 6, ... Returns the file's bytes.
std::string OnePagePdf(const std::string& content, const std::vector<std::string>& fontObjects);

// A PDF of the objects, numbered from 1, with its cross-reference table;
// object 1 is the catalog.
std::string PdfOfObjects(const std::vector<std::string>& objects);

// A PDF of so many blank pages of 200 x 100 points, each its own object.
std::string BlankPagesPdf(int pages);

// A simple font that is not embedded, encoding codes 65, 66, ... by the
// glyph names given.
std::vector<std::string> GlyphNameFont(const std::string& baseFont, const std::vector<std::string>& glyphNames);

// A CID font that is not embedded, over Identity-H, with the collection's
// ordering ("Japan1", "GB1", ...) and no ToUnicode.
std::vector<std::string> IdentityCidFont(const std::string& baseFont, const std::string& ordering);

// "<...>" with each CID as four hexadecimal digits.
std::string CidString(const std::vector<int>& cids);
