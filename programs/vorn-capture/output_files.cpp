// Output folder creation, temporary names and clean-up of unfinished files.
#include "programs/vorn-capture/output_files.h"

#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#ifdef _WIN32
// Windows takes either slash; its mkdir has no mode, its access no X_OK, and
// its rename does not replace a file.
static const char* const separators = "/\\";
#define mkdir(path, mode) mkdir(path)
static const int accessMode = W_OK;
#else
static const char* const separators = "/";
static const int accessMode = W_OK | X_OK;
#endif

// "C:", the drive of an absolute Windows path, is no folder to make.
static bool isDriveName(const std::string& path)
{
#ifdef _WIN32
    return path.size() == 2 && path[1] == ':';
#else
    (void)path;
    return false;
#endif
}

static std::mutex registryLock;
static std::vector<std::string> unfinishedFiles;
static std::vector<std::string> madeFolders;  // parents first

static void registerCleanUp()
{
    static bool registered = false;
    if (!registered) {
        std::atexit(removeUnfinishedOutput);
        registered = true;
    }
}

std::string outputFolderOf(const std::string& out, bool isFolder)
{
    if (isFolder)
        return out;
    size_t slash = out.find_last_of(separators);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : out.substr(0, slash);
}

std::string prepareOutputFolder(const std::string& folder)
{
    registerCleanUp();
    std::string path;
    size_t position = 0;
    while (position != std::string::npos) {
        size_t slash = folder.find_first_of(separators, position);
        path = folder.substr(0, slash == std::string::npos ? folder.size() : slash);
        position = slash == std::string::npos ? slash : slash + 1;
        if (path.empty() || path == "." || path == ".." || isDriveName(path))
            continue;
        if (mkdir(path.c_str(), 0777) == 0) {
            std::lock_guard<std::mutex> hold(registryLock);
            madeFolders.push_back(path);
        } else if (errno != EEXIST) {
            return "cannot make the folder " + path + ": " + std::strerror(errno);
        }
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    if (access(folder.c_str(), accessMode) != 0)
        return "cannot write into " + folder + ": " + std::strerror(errno);
    return "";
}

std::string temporaryNameFor(const std::string& path)
{
    registerCleanUp();
    size_t slash = path.find_last_of(separators);
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "." + name + ".part";
    std::lock_guard<std::mutex> hold(registryLock);
    unfinishedFiles.push_back(temporary);
    return temporary;
}

bool publishFile(const std::string& temporary, const std::string& path)
{
#ifdef _WIN32
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        errno = EACCES;
        return false;
    }
#else
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return false;
#endif
    std::lock_guard<std::mutex> hold(registryLock);
    for (size_t i = 0; i < unfinishedFiles.size(); i++) {
        if (unfinishedFiles[i] == temporary) {
            unfinishedFiles.erase(unfinishedFiles.begin() + (long)i);
            break;
        }
    }
    return true;
}

void removeUnfinishedOutput()
{
    std::lock_guard<std::mutex> hold(registryLock);
    for (const std::string& file : unfinishedFiles)
        unlink(file.c_str());
    unfinishedFiles.clear();
    // Innermost first; a folder that received files stays.
    for (size_t i = madeFolders.size(); i-- > 0;)
        rmdir(madeFolders[i].c_str());
    madeFolders.clear();
}
