// A file opened through the stdio layer, handed to the PDF core as a
// stream: the core's reads of it are the layer's reads.
#pragma once

class BaseStream;

// A fresh stream over the regular file at the path itself (no resource
// search), or null when none opens. The stream owns the handle and closes
// it when the core lets it go.
BaseStream* OpenLayerStream(const char* path);
