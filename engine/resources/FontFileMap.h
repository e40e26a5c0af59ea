// "fontfile.map" beside the program: font names bound to font files.
#pragma once

class GlobalParams;

// Registers each line "<font name>=<file>" (separators "=", tab, CR, LF) as
// a named display font, over any earlier font of that name. The file is
// taken relative to the program folder, else to the Windows fonts folder;
// a line whose file is a regular file in neither (a folder, say), a line
// starting with ";" and a line longer than 1023 characters register
// nothing; nothing past the first MiB of the file is read. Returns the
// number of fonts registered.
int LoadFontFileMap(GlobalParams* params);
