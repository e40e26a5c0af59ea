// A file opened through the stdio layer, handed to the PDF core as a
// stream: the core's reads of it are the layer's reads.
#pragma once

class BaseStream;

// A fresh stream over the file, or null when the layer opens nothing. The
// stream owns the handle and closes it when the core lets it go.
BaseStream* OpenLayerStream(const char* path);
