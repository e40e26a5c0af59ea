#include "platform/presentation/PptRecords.h"

#include "platform/presentation/RecordTypes.h"

#include <cstdint>

namespace presentation {

static bool sameNameIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) return false;
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

FontTable::FontTable(const Presentation& p)
{
    add(u"Arial");
    for (const auto& slide : p.slides)
        for (const auto& shape : slide->shapes)
            if (auto box = std::get_if<TextBoxShape>(shape.get())) {
                for (const TextRun& run : box->body.runs()) add(box->body.format(run.format).fontName);
                add(box->body.endFormat().fontName);
            }
}

void FontTable::add(const std::u16string& name)
{
    for (const auto& known : names_)
        if (sameNameIgnoringCase(known, name)) return;
    names_.push_back(name);
}

uint16_t FontTable::indexOf(const std::u16string& name) const
{
    for (size_t i = 0; i < names_.size(); ++i)
        if (sameNameIgnoringCase(names_[i], name)) return uint16_t(i);
    return 0;
}

// A blip record in the "Pictures" stream: header, 16-byte id, tag, data.
static uint64_t blipRecordSize(uint64_t dataSize)
{
    return 8 + 16 + 1 + dataSize;
}

bool PlanPictureRecords(const std::vector<uint64_t>& dataSizes, std::vector<uint32_t>& offsets,
                        std::vector<uint32_t>& sizes)
{
    offsets.clear();
    sizes.clear();
    uint64_t end = 0;
    for (uint64_t dataSize : dataSizes) {
        if (dataSize > UINT32_MAX || blipRecordSize(dataSize) > UINT32_MAX - end) {
            offsets.clear();
            sizes.clear();
            return false;
        }
        offsets.push_back(uint32_t(end));
        sizes.push_back(uint32_t(blipRecordSize(dataSize)));
        end += blipRecordSize(dataSize);
    }
    return true;
}

static DrawingIds allocateDrawing(uint32_t drawingId, uint32_t shapeCount, uint32_t& nextCluster)
{
    DrawingIds ids{drawingId, nextCluster * 1024, shapeCount};
    nextCluster += (shapeCount + 1023) / 1024;
    return ids;
}

RecordPlan::RecordPlan(const Presentation& p) : fonts(p)
{
    uint32_t nextCluster = 1;
    master = allocateDrawing(1, 2, nextCluster);
    for (size_t i = 0; i < p.slides.size(); ++i)
        slides.push_back(allocateDrawing(uint32_t(i + 2), uint32_t(2 + p.slides[i]->shapes.size()), nextCluster));
    std::vector<uint64_t> dataSizes;
    for (const PictureData& picture : p.pictures) dataSizes.push_back(picture.bytes.size());
    picturesFit = PlanPictureRecords(dataSizes, pictureOffsets, pictureSizes);
    pictureRefs.assign(p.pictures.size(), 0);
    for (const auto& slide : p.slides)
        for (const auto& shape : slide->shapes)
            if (auto pic = std::get_if<PictureShape>(shape.get())) ++pictureRefs[pic->picture];
}

void WritePictureBlipStart(RecordWriter& w, const PictureData& picture)
{
    bool png = picture.kind == PictureKind::Png;
    // Instance: the blip kind with one 16-byte id ([MS-ODRAW] 2.2.24, 2.2.27).
    uint32_t length = uint32_t(blipRecordSize(picture.bytes.size()) - 8);
    w.header(png ? rt::BlipPNG : rt::BlipJPEG, 0, png ? 0x6E0 : 0x46A, length);
    w.bytes(picture.digest.data(), 16);  // rgbUid1
    w.u8(0xFF);                          // tag; BLIPFileData follows
}

} // namespace presentation
