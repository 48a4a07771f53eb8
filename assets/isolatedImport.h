#pragma once
// Model files imported in a child process (the desktop build only), one after another, so
// that an importer crash, hang or runaway allocation costs that one model, not the viewer:
// each import has a time limit (60 s) and the child a memory cap (2 GiB beyond its size
// at the fork). A child whose import failed is replaced by a fresh one for the files after
// it; where no child can be started, the files are imported in this process.
#include "assets/modelData.h"
#include "assets/modelImport.h"

#include <functional>
#include <string>
#include <vector>

// One file to import, and what came of it.
struct IsolatedImport {
    std::string path;
    bool smoothNormals = false;
    bool allMeshes = false;  // every mesh merged, not the first only (modelImport.h)
    ModelData* model = nullptr;  // receives the arrays; left empty on failure
    ModelImport result = ModelImport::Failed;
    // Why it failed (a path that is no ordinary file inside the folder, or a file that
    // ends before its declared length, modelFileCheck.h, is refused without an import),
    // or what the importer of a loaded model was refused.
    std::string problem;
    // The earlier entry naming the same file (the same device and inode, whatever the
    // spelling of its path): that one's model holds it, this one's stays empty and its
    // result and problem are that one's. -1: none.
    int sameAs = -1;
};

// Imports every entry in order, reading only inside `root`, each file once. `arrived`, where given, sees
// each entry as soon as its import has ended, before the next one starts: what it clears
// of the model is not held while the others arrive.
void importIsolated(std::vector<IsolatedImport>& imports, const std::string& root,
                    const std::function<void(IsolatedImport&)>& arrived = {});
