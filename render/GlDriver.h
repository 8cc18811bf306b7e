#pragma once

// In sanitizer builds, keeps Mesa's software driver loaded until the process ends. The driver
// leaks a few hundred bytes that LeakSanitizer can only attribute while the driver is still
// mapped; once it is unloaded the report names an unknown module that no suppression matches.
// Does nothing in other builds. Call before the first OpenGL context is created.
void keepGlDriverLoaded();
