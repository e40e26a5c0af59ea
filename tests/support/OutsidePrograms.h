// Runs the outside programs the tests use as judges and fixture makers,
// with no shell between: each argument reaches the program as it is, so a
// path with spaces, quotes or letters outside ASCII needs no quoting.
//   CommandResult r = RunProgram({"pdfinfo", "-box", pdf});
#pragma once

#include <string>
#include <vector>

struct CommandResult {
    int status = -1;     // the exit status; -1 when the program did not run or was killed
    std::string output;  // what it wrote on its standard output
};

// Where the program's standard error goes.
enum class ErrorOutput {
    Kept,        // into output, after or among its standard output
    Discarded,
    Inherited,   // the test's own standard error
};

// Runs argv[0], looked up on PATH, with the other items as its arguments
// and no input.
CommandResult RunProgram(const std::vector<std::string>& argv, ErrorOutput errors = ErrorOutput::Kept);

// The text as one word of a POSIX shell command: in single quotes.
std::string ShellQuote(const std::string& text);
