#pragma once

#include "app/WindowSystem.h"

// A window system for the programs that drive the game without a person: the tests, the soak, the
// benchmark and the screenshot tool. They run the player's own frame loop (runFrame) on it.
//
// - Its clock advances by one fixed frame time at every reading; the frame loop reads it once per
//   frame, so every frame time is exactly that step.
// - Input is queued by the driver and delivered at the next event poll, in order, through the
//   callbacks the frame loop has registered by then; before the loop's first registration events
//   reach nothing, as with a real window. A key event sets the key's state before its callback
//   runs, and the key poller reads that state, as the window system's own keyboard does.
// - The close mark, the registered callbacks and the cursor position are its own; presenting goes
//   to the given function (none: nothing is presented).

using PresentFunction = void (*)(GLFWwindow* window);

// Installs it as the window system and its keyboard as the key poller: the clock at 0, no key held,
// no event queued, no callback registered, the window not marked to close, the cursor where the
// game last saw it (lastCursorX, lastCursorY).
void installScriptedWindow(float frameSeconds, PresentFunction present);
// GLFW again, and no key poller.
void uninstallScriptedWindow();

// Where a presented frame goes from now on.
void setScriptedPresent(PresentFunction present);

// Events for the next poll. Actions and buttons are numbered as the window system numbers them.
constexpr int releaseAction = 0;
constexpr int pressAction = 1;
constexpr int repeatAction = 2;
constexpr int leftButton = 0;
void queueKeyEvent(int keyCode, int action);
void queueButtonEvent(int button, int action);
void queueCursorEvent(double x, double y);

// The key is held down as of the events delivered so far.
bool scriptedKeyHeld(int keyCode);
// The window system's cursor: where the last event or jump left it.
double scriptedCursorX();
double scriptedCursorY();
