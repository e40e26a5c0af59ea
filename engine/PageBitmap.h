// The raster device's bitmap as the slide writer reads it.
#pragma once

#include "engine/ScriptWriter.h"

class SplashBitmap;

// A view of the bitmap's pixels, valid while the bitmap lives; all zero for
// a null bitmap.
PageBitmap PageBitmapOf(SplashBitmap* bitmap);
