#include "tests/presentation/ExternalReaders.h"

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string PoiSlide(const std::string& description, int n)
{
    size_t start = description.find("slide " + std::to_string(n) + "\n");
    if (start == std::string::npos)
        return "";
    size_t end = description.find("\nslide ", start + 1);
    return description.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

CommandResult DescribeWithPoi(const std::string& path)
{
    return RunCommand(std::string(JAVA_EXECUTABLE) + " -Djava.awt.headless=true -cp " + POI_CLASSPATH +
                      " PoiCheck " + ShellQuote(path));
}

CommandResult ConvertWithLibreOffice(const std::vector<std::string>& paths, const std::string& outDir,
                                     const std::string& format)
{
    std::string profile = FreshFolder("lo-profile-" + std::filesystem::path(outDir).filename().string());
    std::string command = "soffice --headless --norestore -env:UserInstallation=file://" + profile +
                          " --convert-to " + format + " --outdir " + ShellQuote(outDir);
    for (const std::string& p : paths) command += " " + ShellQuote(p);
    return RunCommand(command);
}

CommandResult ConvertToPdf(const std::vector<std::string>& paths, const std::string& outDir)
{
    return ConvertWithLibreOffice(paths, outDir, "pdf");
}

std::string FreshFolder(const std::string& name)
{
    std::filesystem::path dir = std::filesystem::path(TEST_BINARY_DIR) / "work" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}
