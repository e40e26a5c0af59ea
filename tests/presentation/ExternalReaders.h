// Runs the outside readers that judge our files: Apache POI through the
// checker compiled with the tests, LibreOffice and the poppler tools.
#pragma once

#include <string>
#include <vector>

#include "tests/support/OutsidePrograms.h"

// Runs a shell command line, for pipelines; each path in it goes through
// ShellQuote. Standard error is kept with the output.
CommandResult RunCommand(const std::string& command);

// POI's description of the file; status 0 when its own copy reads the same,
// POI warned of nothing, and `file` too takes it for a presentation.
CommandResult DescribeWithPoi(const std::string& path);
// POI's reading of the file's summary information: title, application,
// created, saved (seconds since 1970), slides, code page; one a line.
CommandResult PropertiesWithPoi(const std::string& path);

// Calligra Stage's converter: the presentation to OpenDocument, with a
// private home and no display, so that runs side by side do not meet.
CommandResult ConvertWithCalligra(const std::string& path, const std::string& odp);
// One member of a zip file, such as an OpenDocument file's content.xml.
std::string ZipMember(const std::string& zip, const std::string& member);

// Slide n's part of POI's description ("slide n" up to the next slide),
// empty when there is none.
std::string PoiSlide(const std::string& description, int n);

// Converts every file to the format (a file name extension) in outDir in
// one LibreOffice run.
CommandResult ConvertWithLibreOffice(const std::vector<std::string>& paths, const std::string& outDir,
                                     const std::string& format);
CommandResult ConvertToPdf(const std::vector<std::string>& paths, const std::string& outDir);

// A fresh empty folder under the test build folder.
std::string FreshFolder(const std::string& name);
