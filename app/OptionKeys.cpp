#include "app/OptionKeys.h"

#include <algorithm>
#include <iterator>
#include <ostream>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "scene/Renderer.h"
#include "scene/RenderOptions.h"

float toggleTimer = 0.0f;
bool hideStatistics = true;
bool wireframeOff = true;
bool blendingOff = true;

namespace {

constexpr float debounceSeconds = 0.5f;

// The keys read once per frame after the poll, and whether each was pressed since the last read.
constexpr int tappableKeys[] = {key::escape, key::f2, key::f3, key::f4,
                                key::f5,     key::f6, key::f8, key::f9};
bool pressedSinceRead[std::size(tappableKeys)] = {};

int tappableIndex(int keyCode) {
    for (std::size_t i = 0; i < std::size(tappableKeys); ++i) {
        if (tappableKeys[i] == keyCode) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// True when the key acts and the shared timer allows a toggle; restarts the timer then.
bool toggles(GLFWwindow* window, int keyCode) {
    if (!keyActsThisFrame(window, keyCode) || !(toggleTimer > debounceSeconds)) {
        return false;
    }
    toggleTimer = 0.0f;
    return true;
}

void toggleWireframe(std::ostream& out) {
    renderer.setWireframe(wireframeOff);
    out << (wireframeOff ? "Activate wireframe-mode." : "Deactivated wireframe-mode.") << std::endl;
    wireframeOff = !wireframeOff;
}

void toggleBlending(std::ostream& out) {
    renderer.setBlending(blendingOff);
    out << (blendingOff ? "Activate Blending-mode." : "Deactivated Blending-mode.") << std::endl;
    blendingOff = !blendingOff;
}

void toggleNearest(std::ostream& out) {
    nearestNeighborMode = !nearestNeighborMode;
    out << (nearestNeighborMode ? "Activate Nearest Neighbor-mode. Deactivated Bilinear-mode."
                                : "Deactivated Nearest Neighbor-mode. Activate Bilinear-mode.")
        << std::endl;
}

// The lowered stance: the camera drops once and the light stops following its height.
void toggleLowered(bool& lowerToggle) {
    if (playerCamera) {
        playerCamera->lowered = lowerToggle;
    }
    if (spotLight) {
        spotLight->heightLocked = lowerToggle;
    }
    lowerToggle = !lowerToggle;
}

// off -> mip-mapping with linear blending -> with the nearest level -> off.
void cycleMipMapping(std::ostream& out) {
    if (!mipMapping) {
        mipMapping = true;
        mipMapLinear = true;
        out << "Activate Mip Mapping with linear-mode." << std::endl;
    } else if (mipMapLinear) {
        mipMapLinear = false;
        out << "Activate Mip Mapping with Nearest Neighbor-mode. (Deactivated Linear-mode.)"
            << std::endl;
    } else {
        mipMapping = false;
        out << "Deaktivate Mip Mapping-mode." << std::endl;
    }
}

void toggleCulling(std::ostream& out) {
    viewFrustumMode = !viewFrustumMode;
    out << (viewFrustumMode ? "Activate Viewfrustum-mode." : "Deactivated Viewfrustum-mode.")
        << std::endl;
}

}  // namespace

void notePressEvent(int keyCode) {
    const int index = tappableIndex(keyCode);
    if (index >= 0) {
        pressedSinceRead[index] = true;
    }
}

bool keyActsThisFrame(GLFWwindow* window, int keyCode) {
    const int index = tappableIndex(keyCode);
    return isKeyDown(window, keyCode) || (index >= 0 && pressedSinceRead[index]);
}

void processOptionKeys(GLFWwindow* window, bool& lowerToggle, std::ostream& out) {
    if (toggles(window, key::f2)) {
        hideStatistics = !hideStatistics;
    }
    if (toggles(window, key::f3)) {
        toggleWireframe(out);
    }
    if (toggles(window, key::f9)) {
        toggleBlending(out);
    }
    if (toggles(window, key::f4)) {
        toggleNearest(out);
    }
    if (toggles(window, key::f6)) {
        toggleLowered(lowerToggle);
    }
    if (toggles(window, key::f5)) {
        cycleMipMapping(out);
    }
    if (toggles(window, key::f8)) {
        toggleCulling(out);
    }
    std::fill(std::begin(pressedSinceRead), std::end(pressedSinceRead), false);
}
