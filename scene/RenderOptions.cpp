#include "scene/RenderOptions.h"

bool nearestNeighborMode = false;
bool mipMapping = false;
bool mipMapLinear = false;
bool viewFrustumMode = false;
float visibility = 1.0f;
int renderedObjects = 0;
