#include "surface/save_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// FOLDER/NAME, or FOLDER/NAME-2 and on when a press in the same second took
// that name already: a save never replaces an earlier file.
std::string unusedPath(const std::string& folder, const char* name)
{
    const std::string stem = fs::path(name).stem().string();
    std::string path = (fs::path(folder) / name).string();
    std::error_code error;
    for (int n = 2; fs::exists(path, error) && n < 1000; ++n)
        path = (fs::path(folder) / (stem + "-" + std::to_string(n) + fs::path(name).extension().string())).string();
    return path;
}

} // namespace

void formatSaveName(const std::tm& localTime, const char* extension, char (&name)[kSaveNameSize])
{
    char stem[kSaveNameSize];
    if (std::strftime(stem, sizeof stem, "lumora-%Y%m%d-%H%M%S", &localTime) == 0)
        std::snprintf(stem, sizeof stem, "lumora"); // a year beyond four digits
    std::snprintf(name, sizeof name, "%s%s", stem, extension);
}

std::string picturesFolderFromUserDirs(const std::string& userDirs, const std::string& home)
{
    // Lines are KEY="VALUE", where VALUE is absolute or starts with $HOME.
    std::istringstream lines(userDirs);
    const std::string key = "XDG_PICTURES_DIR=\"";
    for (std::string line; std::getline(lines, line);) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        const size_t valueStart = start + key.size();
        const size_t valueEnd = line.find('"', valueStart);
        if (valueEnd == std::string::npos)
            return "";
        std::string value = line.substr(valueStart, valueEnd - valueStart);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        // "$HOME/" alone means the picture folder is switched off.
        if (value.empty() || value[0] != '/' || fs::path(value) == fs::path(home) / "")
            return "";
        return value;
    }
    return "";
}

std::string picturesFolder()
{
    const std::string home = environmentValue("HOME");
    std::string config = environmentValue("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    std::stringstream text;
    text << file.rdbuf();
    const std::string named = picturesFolderFromUserDirs(text.str(), home);
    if (!named.empty())
        return named;
    return home.empty() ? "" : home + "/Pictures";
}

std::string saveToSaveFolder(const std::string& startFolder, const char* extension, const char* what,
                             SaveWriter write, const void* content)
{
    const std::time_t now = std::time(nullptr);
    std::tm localTime{};
    localtime_r(&now, &localTime);
    char name[kSaveNameSize];
    formatSaveName(localTime, extension, name);

    std::string tried;
    for (const std::string& folder : {startFolder, picturesFolder()}) {
        if (folder.empty())
            continue;
        std::error_code error;
        fs::create_directories(folder, error); // the picture folder may not exist yet
        const std::string path = unusedPath(folder, name);
        if (write(path.c_str(), content))
            return path;
        tried += (tried.empty() ? "" : " or ") + folder;
    }
    std::fprintf(stderr, "lumora: cannot save %s: %s cannot be written\n", what,
                 tried.empty() ? "no folder" : tried.c_str());
    return "";
}
