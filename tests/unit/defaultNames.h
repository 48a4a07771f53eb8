#pragma once
// Names by which the tests reach parts of the default application that the viewer itself
// reaches through their owners.
#include "navigation/keyboard.h"

#include <functional>

// The default keyboard's key query: set, it says which keys count as held.
inline std::function<bool(int key)>& keyHeld = defaultKeyboard().keyHeld;
