// The record writers behind WritePptStreams, one file per part of the
// document stream, and the plan they share (fonts, persist and shape ids).
#pragma once

#include "platform/presentation/Presentation.h"
#include "platform/presentation/RecordWriter.h"

#include <string>
#include <vector>

namespace presentation {

// Font collection: index 0 is the masters' Arial, then every name the
// text uses, in order of first use, compared ignoring ASCII case.
class FontTable {
public:
    explicit FontTable(const Presentation& presentation);
    uint16_t indexOf(const std::u16string& name) const;
    const std::vector<std::u16string>& names() const { return names_; }

private:
    void add(const std::u16string& name);
    std::vector<std::u16string> names_;
};

// Shape ids come in clusters of 1024; each drawing takes whole clusters.
struct DrawingIds {
    uint32_t drawingId = 0;
    uint32_t firstShapeId = 0;
    uint32_t shapeCount = 0;  // group, background and the shapes
    uint32_t lastShapeId() const { return firstShapeId + shapeCount - 1; }
};

struct RecordPlan {
    FontTable fonts;
    DrawingIds master;
    std::vector<DrawingIds> slides;
    std::vector<uint32_t> pictureOffsets;  // into the "Pictures" stream
    std::vector<uint32_t> pictureSizes;    // whole blip record
    std::vector<uint32_t> pictureRefs;     // shapes showing each picture
    bool picturesFit = true;               // the "Pictures" stream within its 32-bit fields
    explicit RecordPlan(const Presentation& presentation);
};

// Lays the pictures' blip records, of so many data bytes each, one after
// the other in the "Pictures" stream: each record's offset and size. False,
// with nothing laid, when the stream would be longer than the 32-bit
// fields that give its size and the offsets into it can describe.
bool PlanPictureRecords(const std::vector<uint64_t>& dataSizes, std::vector<uint32_t>& offsets,
                        std::vector<uint32_t>& sizes);

constexpr uint32_t MasterPersistId = 2;
constexpr uint32_t MasterSlideId = 0x80000000;
constexpr uint32_t FirstSlideId = 256;
constexpr uint32_t DocumentPersistId = 1;
inline uint32_t SlidePersistId(size_t slide) { return uint32_t(3 + slide); }

void WriteEnvironment(RecordWriter& w, const RecordPlan& plan);
void WriteDrawingGroup(RecordWriter& w, const Presentation& p, const RecordPlan& plan);
void WriteMainMaster(RecordWriter& w, const Presentation& p, const RecordPlan& plan);
void WriteSlide(RecordWriter& w, const Presentation& p, const RecordPlan& plan, size_t slide);
void WriteColorScheme(RecordWriter& w, uint16_t instance);
void WriteTextBox(RecordWriter& w, const TextBody& body, const FontTable& fonts);
// A blip record's header, id and tag; the picture's bytes follow it.
void WritePictureBlipStart(RecordWriter& w, const PictureData& picture);

// Drawing pieces the master and the slides share.
void WriteDrawing(RecordWriter& w, const Presentation& p, const RecordPlan& plan,
                  const DrawingIds& ids, const Slide* slide);

} // namespace presentation
