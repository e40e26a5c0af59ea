#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "tests/support/OutsidePrograms.h"

std::string MakePdf(const ScratchFolder& folder, const std::string& name, const std::string& postScript,
                    const std::string& options)
{
    std::string source = folder.File(name + ".ps");
    std::string pdf = folder.File(name + ".pdf");
    std::ofstream(source) << postScript;
    std::vector<std::string> command = {"gs", "-q", "-dSAFER", "-dNOPAUSE", "-dBATCH", "-sDEVICE=pdfwrite"};
    std::istringstream words(options);
    for (std::string option; words >> option;)
        command.push_back(option);
    command.insert(command.end(), {"-sOutputFile=" + pdf, source});
    CommandResult gs = RunProgram(command);
    EXPECT_EQ(gs.status, 0) << "Ghostscript failed on " << name << ": " << gs.output;
    return pdf;
}
