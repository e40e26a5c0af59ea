#include "tests/engine/HandMadePdf.h"

#include <cstdio>

std::string PdfOfObjects(const std::vector<std::string>& objects)
{
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string OnePagePdf(const std::string& content, const std::vector<std::string>& fontObjects)
{
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 120] /Resources << /Font << /F1 5 0 R >> >> "
        "/Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
    };
    objects.insert(objects.end(), fontObjects.begin(), fontObjects.end());
    return PdfOfObjects(objects);
}

std::string BlankPagesPdf(int pages)
{
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (int page = 0; page < pages; ++page) {
        kids += std::to_string(page + 3) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    return PdfOfObjects(objects);
}

namespace {

std::string Widths(size_t count)
{
    std::string widths;
    for (size_t i = 0; i < count; ++i)
        widths += " 600";
    return widths;
}

} // namespace

std::vector<std::string> GlyphNameFont(const std::string& baseFont, const std::vector<std::string>& glyphNames)
{
    std::string names;
    for (const std::string& name : glyphNames)
        names += " /" + name;
    return {"<< /Type /Font /Subtype /Type1 /BaseFont /" + baseFont +
            " /FirstChar 65 /LastChar " + std::to_string(64 + glyphNames.size()) + " /Widths [" + Widths(glyphNames.size()) + " ] /Encoding << /Type /Encoding /Differences [65" + names + "] >> /FontDescriptor 6 0 R >>",
            "<< /Type /FontDescriptor /FontName /" + baseFont +
                " /Flags 32 /FontBBox [0 -200 1000 900] /ItalicAngle 0 /Ascent 900 /Descent -200 /CapHeight 700 "
                "/StemV 80 >>"};
}

std::vector<std::string> IdentityCidFont(const std::string& baseFont, const std::string& ordering)
{
    return {"<< /Type /Font /Subtype /Type0 /BaseFont /" + baseFont +
                " /Encoding /Identity-H /DescendantFonts [6 0 R] >>",
            "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /" + baseFont +
                " /CIDSystemInfo << /Registry (Adobe) /Ordering (" + ordering +
                ") /Supplement 2 >> /FontDescriptor 7 0 R /DW 1000 >>",
            "<< /Type /FontDescriptor /FontName /" + baseFont +
                " /Flags 4 /FontBBox [0 -120 1000 880] /ItalicAngle 0 /Ascent 880 /Descent -120 /CapHeight 700 "
                "/StemV 80 >>"};
}

std::string CidString(const std::vector<int>& cids)
{
    std::string text = "<";
    for (int cid : cids) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "%04X", cid);
        text += hex;
    }
    return text + ">";
}
