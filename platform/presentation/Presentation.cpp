#include "platform/presentation/Presentation.h"

namespace presentation {

size_t Presentation::addPicture(PictureData picture)
{
    for (size_t i = 0; i < pictures.size(); ++i)
        if (pictures[i].digest == picture.digest && pictures[i].bytes == picture.bytes) return i;
    pictures.push_back(std::move(picture));
    return pictures.size() - 1;
}

} // namespace presentation
