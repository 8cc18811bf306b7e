#include "camera/Settings.h"

int windowWidth = 0;
int windowHeight = 0;
bool testingMode = false;
