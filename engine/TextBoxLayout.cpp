// The core's private fields can change between releases, so the build
// stops on any other version.
#include "engine/TextBoxLayout.h"

#include "engine/CorePrivateField.h"

#include <string_view>

#include <TextOutputDev.h>

static_assert(std::string_view(POPPLER_VERSION).starts_with("22.12."),
              "the private text-layout fields were checked against Poppler 22.12 only");

namespace {

CORE_PRIVATE_FIELD(BlockCol, TextBlock, int, col);
CORE_PRIVATE_FIELD(LineCol, TextLine, int*, col);
CORE_PRIVATE_FIELD(LineLen, TextLine, int, len);
CORE_PRIVATE_FIELD(LineRot, TextLine, int, rot);
CORE_PRIVATE_FIELD(LineEdge, TextLine, double*, edge);
CORE_PRIVATE_FIELD(LineXMin, TextLine, double, xMin);
CORE_PRIVATE_FIELD(LineXMax, TextLine, double, xMax);
CORE_PRIVATE_FIELD(LineYMin, TextLine, double, yMin);
CORE_PRIVATE_FIELD(LineYMax, TextLine, double, yMax);

} // namespace

int BlockStartColumn(const TextBlock* block)
{
    return CoreField<BlockCol>(block);
}

int LineFirstColumn(const TextLine* line)
{
    const int* col = CoreField<LineCol>(line);
    return col ? col[0] : 0;
}

TextLineBox LineBoundingBox(const TextLine* line)
{
    return { CoreField<LineXMin>(line), CoreField<LineYMin>(line), CoreField<LineXMax>(line), CoreField<LineYMax>(line) };
}

int LineRotation(const TextLine* line)
{
    return CoreField<LineRot>(line);
}

int LineLength(const TextLine* line)
{
    return CoreField<LineLen>(line);
}

double LineCharEdge(const TextLine* line, int i)
{
    return CoreField<LineEdge>(line)[i];
}
