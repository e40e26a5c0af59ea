// Marks the image library's classes that libCorvane.so exports; everything
// else in the library keeps the hidden default visibility.
#pragma once

#define CXIMAGE_API __attribute__((visibility("default")))
