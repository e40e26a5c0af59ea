// The installed fonts as fontconfig lists them, for the font calls of this
// layer.
#pragma once

#include <fontconfig/fontconfig.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <strings.h>

// Orders font names ignoring case, as the system compares them.
struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

// Hands each installed font, with the given objects filled in, to visit.
// Nothing when fontconfig cannot start.
void ForEachInstalledFont(std::initializer_list<const char*> objects, const std::function<void(FcPattern*)>& visit);

// Whether the font's format is TrueType or OpenType (CFF outlines).
bool IsTrueTypeFormat(FcPattern* font);
