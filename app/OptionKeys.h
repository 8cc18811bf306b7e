#pragma once

#include <iosfwd>

struct GLFWwindow;

// Render options switched by the function keys. All keys share one debounce timer: a key acts
// only when more than half a second has passed since the last toggle of any key.

// Seconds since the last toggle; the frame loop adds the frame time every frame.
extern float toggleTimer;
// The statistics line is suppressed (F2).
extern bool hideStatistics;
// Polygons are drawn filled (F3).
extern bool wireframeOff;
// Blending was last switched off by F9 (or never on).
extern bool blendingOff;

// Remembers a press event of Escape or an option key (other keys are ignored) until the keys are
// next read, so a tap whose press and release both arrive within one event poll counts once.
void notePressEvent(int keyCode);
// The key is down at the poll, or was pressed since the keys were last read.
bool keyActsThisFrame(GLFWwindow* window, int keyCode);

// Polls F2, F3, F9, F4, F6, F5 and F8 in this order; the first one held down acts. lowerToggle
// is the frame loop's alternation state of F6. Messages go to out. Forgets the remembered presses.
void processOptionKeys(GLFWwindow* window, bool& lowerToggle, std::ostream& out);
