#include "tests/presentation/ExternalReaders.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <unistd.h>

CommandResult RunCommand(const std::string& command)
{
    return RunProgram({"/bin/sh", "-c", command});
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
static CommandResult RunPoiCheck(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {"env", "LC_ALL=C.UTF-8", JAVA_EXECUTABLE, "-Djava.awt.headless=true",
                                        "-cp", POI_CLASSPATH, "PoiCheck"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(command);
}

CommandResult DescribeWithPoi(const std::string& path)
{
    CommandResult kind = RunProgram({"file", "--mime-type", "-b", path});
    if (kind.status != 0 || kind.output != "application/vnd.ms-powerpoint\n")
        return {4, "file takes " + path + " for " + kind.output};
    return RunPoiCheck({path});
}

CommandResult PropertiesWithPoi(const std::string& path)
{
    return RunPoiCheck({"--properties", path});
}

CommandResult ConvertWithCalligra(const std::string& path, const std::string& odp)
{
    static int runs = 0;  // a home of its own for every run, in every process
    std::string home = FreshFolder("calligra-home-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
    std::vector<std::string> command = {"env", "QT_QPA_PLATFORM=offscreen", "HOME=" + home};
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        std::string dir = home + "/" + folder;
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        command.push_back(std::string(folder) + "=" + dir);
    }
    command.insert(command.end(), {"calligraconverter", "--batch", "--mimetype",
                                   "application/vnd.oasis.opendocument.presentation", path, odp});
    CommandResult result = RunProgram(command);
    std::filesystem::remove_all(home);
    return result;
}

std::string ZipMember(const std::string& zip, const std::string& member)
{
    CommandResult r = RunProgram({"python3", "-c",
                                  "import sys, zipfile; "
                                  "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))",
                                  zip, member},
                                 ErrorOutput::Discarded);
    return r.status == 0 ? r.output : std::string();
}

// A file: URL for an absolute path: every byte but the unreserved ones and
// the slashes percent-coded (RFC 3986), so spaces and letters outside ASCII
// reach LibreOffice intact.
static std::string FileUrl(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        bool unreserved = (c < 0x80 && std::isalnum(c)) || (c != 0 && std::strchr("/-._~", c));
        if (unreserved)
            url += char(c);
        else
            url += {'%', hex[c >> 4], hex[c & 15]};
    }
    return url;
}

CommandResult ConvertWithLibreOffice(const std::vector<std::string>& paths, const std::string& outDir,
                                     const std::string& format)
{
    std::string profile = FreshFolder("lo-profile-" + std::filesystem::path(outDir).filename().string());
    std::vector<std::string> command = {"soffice", "--headless", "--norestore",
                                        "-env:UserInstallation=" + FileUrl(profile), "--convert-to", format,
                                        "--outdir", outDir};
    command.insert(command.end(), paths.begin(), paths.end());
    return RunProgram(command);
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
