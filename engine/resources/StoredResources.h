// The stored form of the embedded resources, generated at build time from
// the PDF core's language data and the engine's own configuration.
#pragma once

#include "engine/resources/ResourceTable.h"

// Row i's stored form: length word, 0 word, stored bytes.
extern const unsigned char* const storedResources[kResourceCount];
