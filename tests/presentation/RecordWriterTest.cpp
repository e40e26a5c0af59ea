#include "platform/presentation/RecordWriter.h"

#include <gtest/gtest.h>

using presentation::RecordWriter;

TEST(RecordWriter, ContainerLengthCoversItsChildren)
{
    std::vector<uint8_t> out;
    RecordWriter w(out);
    w.beginContainer(0x03F2, 1);
    w.begin(0x0FB7, 2, 3);
    w.u16(0x1234);
    w.u32(0xA0B0C0D0);
    w.end(6);
    w.begin(0x03EA);
    w.end(0);
    w.end();
    const std::vector<uint8_t> expected = {
        0x1F, 0x00,              // version 0xF, instance 1
        0xF2, 0x03,              // type 0x03F2
        0x16, 0x00, 0x00, 0x00,  // length 22: two child records
        0x32, 0x00,              // version 2, instance 3
        0xB7, 0x0F,              // type 0x0FB7
        0x06, 0x00, 0x00, 0x00,  // length 6
        0x34, 0x12,              // u16
        0xD0, 0xC0, 0xB0, 0xA0,  // u32
        0x00, 0x00,              // version 0, instance 0
        0xEA, 0x03,              // type 0x03EA
        0x00, 0x00, 0x00, 0x00,  // length 0
    };
    EXPECT_EQ(out, expected);
    EXPECT_EQ(w.depth(), 0u);
}

TEST(RecordWriter, WritesUtf16LittleEndian)
{
    std::vector<uint8_t> out;
    RecordWriter w(out);
    w.utf16(u"A\u20AC");
    EXPECT_EQ(out, (std::vector<uint8_t>{0x41, 0x00, 0xAC, 0x20}));
}
