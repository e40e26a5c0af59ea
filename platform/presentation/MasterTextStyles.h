// Master text styles: the text formats that text of each kind starts from.
#pragma once

#include "platform/presentation/RecordWriter.h"

namespace presentation {

// Text types ([MS-PPT] 2.13.33 TextTypeEnum).
enum class TextType : uint16_t { Title = 0, Body = 1, Notes = 2, Other = 4 };

void WriteMasterTextStyle(RecordWriter& w, TextType type);

} // namespace presentation
