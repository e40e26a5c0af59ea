// White space removed from both ends of a text, as the dialogs and the
// worker read typed folders and page ranges.
#pragma once

#include <string>

std::string TrimWhiteSpace(const std::string& text);
