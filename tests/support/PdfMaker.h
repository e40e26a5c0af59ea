// Small PDFs for the tests, made by Ghostscript from PostScript text.
#pragma once

#include <string>

#include "tests/support/ScratchFolder.h"

// Writes the PostScript program and turns it into name.pdf in the folder;
// extra Ghostscript options (encryption, say) go in options. Returns the
// PDF's path.
std::string MakePdf(const ScratchFolder& folder, const std::string& name, const std::string& postScript,
                    const std::string& options = "");
