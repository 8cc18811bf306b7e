#pragma once

// The one way the camera and the board read the keyboard. The application shell installs a poller
// that asks the window system; tests install their own, so no window is needed to drive the rules.

struct GLFWwindow;

// Key codes as the window system numbers them.
namespace key {
constexpr int space = 32;
constexpr int a = 65;
constexpr int d = 68;
constexpr int e = 69;
constexpr int g = 71;
constexpr int q = 81;
constexpr int s = 83;
constexpr int w = 87;
constexpr int escape = 256;
constexpr int enter = 257;
constexpr int tab = 258;
constexpr int down = 264;
constexpr int up = 265;
constexpr int end = 269;
constexpr int f2 = 291;
constexpr int f3 = 292;
constexpr int f4 = 293;
constexpr int f5 = 294;
constexpr int f6 = 295;
constexpr int f8 = 297;
constexpr int f9 = 298;
}  // namespace key

using KeyPoller = bool (*)(GLFWwindow* window, int keyCode);

// Installs the poller; a null poller reports every key as up.
void setKeyPoller(KeyPoller poller);
// True while the key is held down in the given window.
bool isKeyDown(GLFWwindow* window, int keyCode);
