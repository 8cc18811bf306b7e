#include "support/FakeKeys.h"

#include "camera/KeyInput.h"

namespace {
FakeKeys* activeKeys = nullptr;

bool pollFakeKeys(GLFWwindow*, int keyCode) {
    return activeKeys != nullptr && activeKeys->held.count(keyCode) > 0;
}
}  // namespace

FakeKeys::FakeKeys() {
    activeKeys = this;
    setKeyPoller(pollFakeKeys);
}

FakeKeys::~FakeKeys() {
    activeKeys = nullptr;
    setKeyPoller(nullptr);
}
