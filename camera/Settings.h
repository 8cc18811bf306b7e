#pragma once

// Start-up settings, answered once in the console dialogue and never changed afterwards.
// They live here, in the lowest module, because the camera, the light and the passes all read them.

// Window size in pixels; the passes, the cursor wrap and the projections keep the start-up size.
extern int windowWidth;
extern int windowHeight;
// Fixed light position and direction, for checking the shadows.
extern bool testingMode;
