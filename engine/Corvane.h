// The engine library's exports. Both take 8-bit texts the caller owns, run
// on the calling thread and return an int.
#pragma once

#define CORVANE_EXPORT __attribute__((visibility("default")))

// Result codes of Corvane.
enum {
    kCorvaneOk = 0,
    kCorvaneCannotOpen = -2,     // not with the password, not without
    kCorvaneNoWriter = -3,       // the script writer cannot be created
    kCorvaneNoSlide = -4,        // no selected page yielded a slide
    kCorvaneNothingSaved = -5,   // slides written, but no presentation saved
};

extern "C" {

// Sets the page set from the page-range text ("1, 3, 5-12"; empty: every
// page) for the conversions that follow. Returns 0, or -3 when memory runs
// out: the set then selects no page.
CORVANE_EXPORT int CorvaneSetup(const char* pageRange);

// Converts the PDF into a presentation saved under outputPath; password is
// the document's open password ("" when none). Returns a result code.
CORVANE_EXPORT int Corvane(const char* pdfPath, const char* outputPath, const char* password);
}
