// Record types of the binary presentation format and of the drawings
// inside it ([MS-PPT] 2.13.24, [MS-ODRAW] 2.2).
#pragma once

#include <cstdint>

namespace presentation::rt {

enum : uint16_t {
    Document = 0x03E8,
    DocumentAtom = 0x03E9,
    EndDocumentAtom = 0x03EA,
    Slide = 0x03EE,
    SlideAtom = 0x03EF,
    Environment = 0x03F2,
    SlidePersistAtom = 0x03F3,
    MainMaster = 0x03F8,
    SlideViewInfo = 0x03FA,
    SlideViewInfoAtom = 0x03FE,
    DocInfoList = 0x07D0,
    FontCollection = 0x07D5,
    ColorSchemeAtom = 0x07F0,
    PPDrawingGroup = 0x040B,
    PPDrawing = 0x040C,
    TextHeaderAtom = 0x0F9F,
    TextCharsAtom = 0x0FA0,
    StyleTextPropAtom = 0x0FA1,
    TextMasterStyleAtom = 0x0FA3,
    TextCharFormatExceptionAtom = 0x0FA4,
    TextParagraphFormatExceptionAtom = 0x0FA5,
    TextBytesAtom = 0x0FA8,
    TextSpecialInfoDefaultAtom = 0x0FA9,
    TextSpecialInfoAtom = 0x0FAA,
    FontEntityAtom = 0x0FB7,
    SlideListWithText = 0x0FF0,
    UserEditAtom = 0x0FF5,
    CurrentUserAtom = 0x0FF6,
    PersistDirectoryAtom = 0x1772,

    // Drawing records
    DggContainer = 0xF000,
    BStoreContainer = 0xF001,
    DgContainer = 0xF002,
    SpgrContainer = 0xF003,
    SpContainer = 0xF004,
    FDGG = 0xF006,
    FBSE = 0xF007,
    FDG = 0xF008,
    FSPGR = 0xF009,
    FSP = 0xF00A,
    FOPT = 0xF00B,
    ClientTextbox = 0xF00D,
    ClientAnchor = 0xF010,
    BlipJPEG = 0xF01D,
    BlipPNG = 0xF01E,
    SplitMenuColors = 0xF11E,
};

} // namespace presentation::rt
