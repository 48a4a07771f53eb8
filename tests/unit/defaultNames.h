#pragma once
// Names by which the tests reach parts of the default application that the viewer itself
// reaches through their owners.
#include "assets/assets.h"
#include "navigation/keyboard.h"

#include <functional>
#include <string>

// The default keyboard's key query: set, it says which keys count as held.
inline std::function<bool(int key)>& keyHeld = defaultKeyboard().keyHeld;

// The folders the default assets read their model and image files from.
inline std::string& modelDirectory = defaultAssets().modelDirectory;
inline std::string& textureDirectory = defaultAssets().textureDirectory;
