// Reading a private field of the PDF core's classes by name. The member
// pointer is named in an explicit template instantiation, where access
// checking does not apply ([temp.spec.general]); nothing depends on the
// object layout. The core's private fields can change between releases, so
// every file that uses this pins the core's version. Included by .cpp files
// only: the tags and instantiations belong to the file that names them.
#pragma once

namespace {

template <typename Tag, typename Tag::type Member>
struct PrivateMember {
    friend constexpr typename Tag::type MemberPointer(Tag) { return Member; }
};

// A tag that names Class::Field, of type Type, for CoreField.
#define CORE_PRIVATE_FIELD(TagName, Class, Type, Field)                   \
    struct TagName {                                                      \
        using type = Type Class::*;                                       \
        friend constexpr type MemberPointer(TagName);                     \
    };                                                                    \
    template struct PrivateMember<TagName, &Class::Field>

template <typename Tag, typename Object>
auto CoreField(const Object* object)
{
    return object->*MemberPointer(Tag{});
}

} // namespace
