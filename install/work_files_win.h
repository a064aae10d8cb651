// The install's own files in the hidden work folder: a bundle's APKs and OBB files, and a package copied
// under an ASCII name. They live only while one install runs.
#pragma once

#include <string>

#include "install/bundle_extract.h"

// WorkFolderPath + "\bundle": where a bundle's APKs and OBB files are written for the client.
std::string BundleFolder();
// WorkFolderPath + "\copy": where a package whose name the client could not be given is copied.
std::string CopyFolder();

// Removes a folder with the files in it.
void RemoveFolderWithFiles(const std::string& folder);

// Removes both folders: at start-up, for what a crash or a power cut left behind.
void RemoveInstallFiles();

// Writes the plan's files into a new bundle folder, the window answering meanwhile. The problem, when the
// work folder's disk has too little room for them or an entry is damaged, is in the result.
ExtractedBundle ExtractBundleForInstall(ZipEntries& archive, const BundlePlan& plan);

// Removes a folder with its files when it goes out of scope; an empty name removes nothing.
class FolderRemover {
  public:
    explicit FolderRemover(std::string folder) : folder_(std::move(folder)) {}
    ~FolderRemover() {
        if (!folder_.empty()) {
            RemoveFolderWithFiles(folder_);
        }
    }
    FolderRemover(const FolderRemover&) = delete;
    FolderRemover& operator=(const FolderRemover&) = delete;

  private:
    std::string folder_;
};
