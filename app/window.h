#pragma once
// The one full-screen window and its GLFW plumbing: opening it, the key-state query
// and key callback handed to the keyboard controls, and the swap that also polls events.
struct GLFWwindow;

extern GLFWwindow* mainWindow;

// Opens the full-screen 3.3 core window on the primary monitor at its video-mode size
// (or a hidden window of the given size when width and height are positive).
// Sets screenWidth/screenHeight to the requested size. Null when it cannot be opened.
GLFWwindow* openViewerWindow(int hiddenWidth = 0, int hiddenHeight = 0);

// Routes the keyboard controls' key-state query and key callback to `window`.
void connectKeyboard(GLFWwindow* window);

// Shows the back buffer and processes pending window events (key callback, close).
void swapAndPollEvents();

bool windowIsOpen();
