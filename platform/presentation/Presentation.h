// The presentation the automation objects build: slide size, slides with
// their shapes, and the pictures they show, each stored once.
#pragma once

#include "platform/presentation/PictureData.h"
#include "platform/presentation/TextBody.h"

#include <ctime>
#include <memory>
#include <variant>
#include <vector>

namespace presentation {

// Points, as the automation objects take them.
struct Anchor {
    float left = 0, top = 0, width = 0, height = 0;
};

struct PictureShape {
    Anchor anchor;
    size_t picture = 0;  // index into Presentation::pictures
};

struct TextBoxShape {
    Anchor anchor;
    TextBody body;
};

using Shape = std::variant<PictureShape, TextBoxShape>;

struct Slide {
    // Stable addresses: automation objects keep pointers to shapes.
    std::vector<std::unique_ptr<Shape>> shapes;
};

struct Presentation {
    float slideWidth = 720;
    float slideHeight = 540;
    uint16_t slideSizeType = 0;  // the file's size kind: 0 on-screen ... 6 custom
    std::vector<std::unique_ptr<Slide>> slides;
    std::vector<PictureData> pictures;
    // The character formats the text boxes use, each once.
    std::shared_ptr<CharFormatTable> formats = std::make_shared<CharFormatTable>();
    std::time_t created = std::time(nullptr);

    // The index of an identical picture already stored, or of the new one.
    size_t addPicture(PictureData picture);
};

// The slide size range the application accepts, in points.
constexpr float MinSlideSide = 1;
constexpr float MaxSlideSide = 4032;

} // namespace presentation
