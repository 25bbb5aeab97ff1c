#include "app/data_folder.h"

#include "assets/data_files.h"

#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

const char* enterFolder(const char* folder)
{
    std::error_code error;
    fs::current_path(folder, error);
    if (!error)
        return nullptr;
    if (!fs::exists(folder, error))
        return "there is no such file or folder";
    return fs::is_directory(folder, error) ? "the folder cannot be entered" : "it is not a folder";
}

bool holdsAnyDataFile(const fs::path& folder)
{
    std::error_code error;
    for (const DataFileRow& row : kDataFiles) {
        if (fs::exists(folder / row.name, error))
            return true;
    }
    return false;
}

fs::path defaultLandscapeFolder(const fs::path& executable)
{
    return executable.parent_path().parent_path() / "share" / "lumora" / "landscape";
}

bool enterDataFolder(const char* folder)
{
    if (folder) {
        const char* failure = enterFolder(folder);
        if (failure)
            std::fprintf(stderr, "lumora: cannot read data from %s: %s\n", folder, failure);
        return failure == nullptr;
    }
    std::error_code error;

    const fs::path working = fs::current_path(error);
    if (error || holdsAnyDataFile(working))
        return true;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return true;
    const fs::path landscape = defaultLandscapeFolder(executable);
    if (!holdsAnyDataFile(landscape))
        return true; // nothing installed: the missing files are reported as usual
    fs::current_path(landscape, error);
    if (!error)
        std::fprintf(stderr, "lumora: no landscape files here, showing the default landscape from %s\n",
                     landscape.c_str());
    return true;
}
