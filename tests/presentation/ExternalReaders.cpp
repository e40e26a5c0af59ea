#include "tests/presentation/ExternalReaders.h"

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

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

// Java decodes file names by the locale: under a UTF-8 one, whatever the
// user's (none at all, in many containers), so "Café € 5.ppt" opens.
static CommandResult RunPoiCheck(const std::string& arguments)
{
    return RunCommand("env LC_ALL=C.UTF-8 " + std::string(JAVA_EXECUTABLE) + " -Djava.awt.headless=true -cp " + POI_CLASSPATH +
                      " PoiCheck " + arguments);
}

CommandResult DescribeWithPoi(const std::string& path)
{
    CommandResult kind = RunCommand("file --mime-type -b " + ShellQuote(path));
    if (kind.status != 0 || kind.output != "application/vnd.ms-powerpoint\n")
        return {4, "file takes " + path + " for " + kind.output};
    return RunPoiCheck(ShellQuote(path));
}

CommandResult PropertiesWithPoi(const std::string& path)
{
    return RunPoiCheck("--properties " + ShellQuote(path));
}

CommandResult ConvertWithCalligra(const std::string& path, const std::string& odp)
{
    static int runs = 0;  // a home of its own for every run, in every process
    std::string home = FreshFolder("calligra-home-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
    std::string environment = "QT_QPA_PLATFORM=offscreen HOME=" + ShellQuote(home);
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        std::string dir = home + "/" + folder;
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        environment += std::string(" ") + folder + "=" + ShellQuote(dir);
    }
    CommandResult result = RunCommand("env " + environment +
                                      " calligraconverter --batch --mimetype application/vnd.oasis.opendocument.presentation " +
                                      ShellQuote(path) + " " + ShellQuote(odp));
    std::filesystem::remove_all(home);
    return result;
}

std::string ZipMember(const std::string& zip, const std::string& member)
{
    CommandResult r = RunCommand("python3 -c 'import sys, zipfile; "
                                 "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' " +
                                 ShellQuote(zip) + " " + ShellQuote(member));
    return r.status == 0 ? r.output : std::string();
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
