// Where the capture's files go: the output folder made on demand, files
// written under a temporary name beside their final one, and the clean-up
// that leaves nothing half-written when the capture fails or is stopped.
#pragma once
#include <string>

// The folder a capture writes into: the path itself for a folder output,
// else the folder part of the file's path ("." when it has none).
std::string outputFolderOf(const std::string& out, bool isFolder);

// Makes the folder and any missing parents, then checks that files can be
// made in it. Empty on success, else the problem. Folders made here are
// removed again by removeUnfinishedOutput while they are still empty.
std::string prepareOutputFolder(const std::string& folder);

// A temporary name in the same folder as path ("DIR/.NAME.part"), recorded
// so that removeUnfinishedOutput removes it if it is still there.
std::string temporaryNameFor(const std::string& path);
// Renames a finished temporary file to its final name; false (errno set)
// when that fails.
bool publishFile(const std::string& temporary, const std::string& path);

// Removes every temporary file still recorded and the folders made by
// prepareOutputFolder that are empty. Runs at exit, also after a fatal error.
void removeUnfinishedOutput();
