#include "frontend/Resources.h"

#include <cstdlib>

#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include "frontend/res/ResourceImages.h"

namespace {

struct IconImage {
    int size;
    const unsigned char* data;
    const unsigned& length;
};

const IconImage kIcons[] = {
    {256, kIcon256, kIcon256Size}, {128, kIcon128, kIcon128Size}, {72, kIcon72, kIcon72Size},
    {64, kIcon64, kIcon64Size},    {48, kIcon48, kIcon48Size},    {32, kIcon32, kIcon32Size},
    {16, kIcon16, kIcon16Size},
};

wxImage Decode(const unsigned char* data, unsigned length) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream in(data, length);
    return wxImage(in, wxBITMAP_TYPE_PNG);
}

wxIcon ToIcon(const IconImage& image) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(Decode(image.data, image.length)));
    return icon;
}

}  // namespace

wxBitmap LoadBanner() { return wxBitmap(Decode(kBanner, kBannerSize)); }

wxIconBundle LoadAppIcons() {
    wxIconBundle bundle;
    for (const IconImage& image : kIcons)
        bundle.AddIcon(ToIcon(image));
    return bundle;
}

wxIcon LoadAppIcon(int size) {
    const IconImage* best = &kIcons[0];
    for (const IconImage& image : kIcons) {
        if (std::abs(image.size - size) < std::abs(best->size - size))
            best = &image;
    }
    return ToIcon(*best);
}
