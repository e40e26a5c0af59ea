// The PNG bytes of the program's images, drawn at build time by
// make_images.py beside this header.
#pragma once

extern const unsigned char kBanner[];
extern const unsigned kBannerSize;
extern const unsigned char kIcon256[], kIcon128[], kIcon72[], kIcon64[], kIcon48[], kIcon32[], kIcon16[];
extern const unsigned kIcon256Size, kIcon128Size, kIcon72Size, kIcon64Size, kIcon48Size, kIcon32Size, kIcon16Size;
