#include "game/Effects.h"

namespace {
BlendingEffect installedBlendingEffect = nullptr;
}

void setBlendingEffect(BlendingEffect enableBlending) {
    installedBlendingEffect = enableBlending;
}

void applyBlendingEffect() {
    if (installedBlendingEffect != nullptr) {
        installedBlendingEffect();
    }
}
