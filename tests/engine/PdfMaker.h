// Small PDFs for the engine's tests, made by Ghostscript from PostScript
// text, and a private folder for the files a test makes.
#pragma once

#include <string>

// A new empty folder, removed with its files when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes the PostScript program and turns it into name.pdf in the folder;
// extra Ghostscript options (encryption, say) go in options. Returns the
// PDF's path.
std::string MakePdf(const ScratchFolder& folder, const std::string& name, const std::string& postScript,
                    const std::string& options = "");

// Runs a shell command; returns its exit status.
int Shell(const std::string& command);
