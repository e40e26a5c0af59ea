#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

int Shell(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string MakePdf(const ScratchFolder& folder, const std::string& name, const std::string& postScript,
                    const std::string& options)
{
    std::string source = folder.File(name + ".ps");
    std::string pdf = folder.File(name + ".pdf");
    std::ofstream(source) << postScript;
    int status = Shell("gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite " + options + " -sOutputFile='" + pdf +
                       "' '" + source + "' >/dev/null 2>&1");
    EXPECT_EQ(status, 0) << "Ghostscript failed on " << name;
    return pdf;
}
