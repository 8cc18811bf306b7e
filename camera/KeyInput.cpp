#include "camera/KeyInput.h"

namespace {
KeyPoller currentPoller = nullptr;
}

void setKeyPoller(KeyPoller poller) {
    currentPoller = poller;
}

bool isKeyDown(GLFWwindow* window, int keyCode) {
    return currentPoller != nullptr && currentPoller(window, keyCode);
}
