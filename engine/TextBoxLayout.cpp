// The fields are reached through member pointers named in explicit template
// instantiations, where access checking does not apply ([temp.spec.general]);
// nothing here depends on the object layout. The core's private fields can
// change between releases, so the build stops on any other version.
#include "engine/TextBoxLayout.h"

#include <string_view>

#include <TextOutputDev.h>

static_assert(std::string_view(POPPLER_VERSION).starts_with("22.12."),
              "the private text-layout fields were checked against Poppler 22.12 only");

namespace {

template <typename Tag, typename Tag::type Member>
struct PrivateMember {
    friend constexpr typename Tag::type MemberPointer(Tag) { return Member; }
};

#define PRIVATE_FIELD(TagName, Class, Type, Field)                        \
    struct TagName {                                                      \
        using type = Type Class::*;                                       \
        friend constexpr type MemberPointer(TagName);                     \
    };                                                                    \
    template struct PrivateMember<TagName, &Class::Field>

PRIVATE_FIELD(BlockCol, TextBlock, int, col);
PRIVATE_FIELD(LineCol, TextLine, int*, col);
PRIVATE_FIELD(LineLen, TextLine, int, len);
PRIVATE_FIELD(LineRot, TextLine, int, rot);
PRIVATE_FIELD(LineEdge, TextLine, double*, edge);
PRIVATE_FIELD(LineXMin, TextLine, double, xMin);
PRIVATE_FIELD(LineXMax, TextLine, double, xMax);
PRIVATE_FIELD(LineYMin, TextLine, double, yMin);
PRIVATE_FIELD(LineYMax, TextLine, double, yMax);

#undef PRIVATE_FIELD

template <typename Tag, typename Object>
auto Field(const Object* object)
{
    return object->*MemberPointer(Tag{});
}

} // namespace

int BlockStartColumn(const TextBlock* block)
{
    return Field<BlockCol>(block);
}

int LineFirstColumn(const TextLine* line)
{
    const int* col = Field<LineCol>(line);
    return col ? col[0] : 0;
}

TextLineBox LineBoundingBox(const TextLine* line)
{
    return { Field<LineXMin>(line), Field<LineYMin>(line), Field<LineXMax>(line), Field<LineYMax>(line) };
}

int LineRotation(const TextLine* line)
{
    return Field<LineRot>(line);
}

int LineLength(const TextLine* line)
{
    return Field<LineLen>(line);
}

double LineCharEdge(const TextLine* line, int i)
{
    return Field<LineEdge>(line)[i];
}
