// The desktop's opener, xdg-open, which hands a document, folder or address
// to its default program. It is looked up on PATH by the bytes PATH holds,
// whatever their encoding, and started without a shell.
#pragma once

#include <string>

// The opener's path on PATH; empty when no folder on it has one.
std::string FindOpener();

// Starts the opener on `target`; false when there is none or it could not
// start. The opener runs on by itself and is reaped when it ends.
bool StartOpener(const std::string& target);
