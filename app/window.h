#pragma once
// The one window and its GLFW plumbing: opening it (full screen, fixed size, or hidden
// for the tools), the key-state query, key and mouse callbacks handed to the controls,
// F12's screenshot, dropped folders, and the swap that also polls events.
#include <string>
#include <vector>

struct GLFWwindow;

// Opens the 3.3 core window titled "Pinakora": full screen on the primary monitor at its
// video-mode size when width and height are 0; otherwise a window of that size, hidden
// (and of that fixed size) unless `visible`, when the window manager may resize it.
// Sets screenWidth/screenHeight to the requested size and shows each presented frame
// on it (the default renderer's afterPresent). Null when it cannot be opened.
GLFWwindow* openViewerWindow(int width = 0, int height = 0, bool visible = false);

// The tools' hidden window of the given size, its context current and checked, the image
// library started: what the viewer does before start-up. False when no window can be opened.
bool openHidden(int width, int height);

// Says why the window could not be opened, once openViewerWindow gave null: without a
// display "Failed to initialize OpenGL window."; with one, a plain context without
// version hints is made to read what the driver offers, and the driver check's message
// says what falls short.
void reportWindowFailure();

// Routes the keyboard controls' key-state query and key callback to `window`; F12
// saves the shown picture.
void connectKeyboard(GLFWwindow* window);
// Routes buttons, cursor and wheel of `window` to the mouse controls.
void connectMouse(GLFWwindow* window);

// What the viewer's window and the page's canvas both need before the run: the keyboard
// and mouse controls connected, the title "Pinakora", the frame cleared to black.
void connectViewer(GLFWwindow* window);

// Adds what is dropped on `window` (folders, files) to `dropped`, which must outlive it.
void connectDrop(GLFWwindow* window, std::vector<std::string>& dropped);

// Shows the back buffer and processes pending window events (key callback, close).
void swapAndPollEvents();

bool windowIsOpen();
