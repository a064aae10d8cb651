// A bundle's files in the hidden work folder while it is installed.
#pragma once

#include <string>

#include "install/bundle_extract.h"

// WorkFolderPath + "\bundle": where a bundle's APKs and OBB files are written for the client.
std::string BundleFolder();

// Removes the bundle folder with everything in it: after each bundle's install, whatever happened, and at
// start-up for what a crash left behind.
void RemoveBundleFolder();

// Writes the plan's files into a new bundle folder, the window answering meanwhile. The problem, when the
// work folder's disk has too little room for them or an entry is damaged, is in the result.
ExtractedBundle ExtractBundleForInstall(ZipEntries& archive, const BundlePlan& plan);

// Removes the bundle folder when it goes out of scope.
class BundleFolderRemover {
  public:
    explicit BundleFolderRemover(bool active) : active_(active) {}
    ~BundleFolderRemover() {
        if (active_) {
            RemoveBundleFolder();
        }
    }
    BundleFolderRemover(const BundleFolderRemover&) = delete;
    BundleFolderRemover& operator=(const BundleFolderRemover&) = delete;

  private:
    bool active_;
};
