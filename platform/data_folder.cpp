// The data folder: the installed one for an installed program, else looked
// up in the working directory, then beside the executable and in the folders
// above it.
#include "platform/data_folder.h"

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/fatal.h"
#include "vorn_config.h"

// Strips trailing slashes but keeps "/" itself.
static std::string withoutTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The folders to look in, in order, each once; either argument may be null.
static std::vector<std::string> dataFolderCandidates(const char* workingDirectory, const char* executableFolder)
{
    std::vector<std::string> folders;
    auto add = [&folders](const std::string& folder) {
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    if (workingDirectory)
        add(withoutTrailingSlash(workingDirectory));
    if (executableFolder && *executableFolder) {
        std::string folder = withoutTrailingSlash(executableFolder);
        for (;;) {
            add(folder);
            size_t slash = folder.find_last_of('/');
            if (slash == std::string::npos || folder == "/")
                break;
            folder = slash == 0 ? "/" : folder.substr(0, slash);
        }
    }
    return folders;
}

static bool holdsDataFolder(const std::string& folder)
{
    struct stat info;
    std::string path = folder == "/" ? "/data" : folder + "/data";
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void enterDataFolder()
{
    char* workingDirectory = getcwd(nullptr, 0);
    char* executableFolder = SDL_GetBasePath();
    // Installed, the program reads the installed data wherever it starts.
    bool installed = executableFolder && withoutTrailingSlash(executableFolder) == VORN_INSTALL_BINDIR;
    std::vector<std::string> folders = installed ? std::vector<std::string>{VORN_INSTALL_DATADIR}
                                                 : dataFolderCandidates(workingDirectory, executableFolder);
    std::free(workingDirectory);
    SDL_free(executableFolder);

    std::string tried;
    for (const std::string& folder : folders) {
        if (holdsDataFolder(folder) && chdir(folder.c_str()) == 0)
            return;
        tried += "\n" + folder;
    }
    std::string text = "No data folder found. Looked for data/ in:" + tried;
    fatalError(text.c_str());
}
