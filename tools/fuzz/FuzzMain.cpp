// libFuzzer's entry points for the loading path; see AssetFuzzing.h for the input format.
#include <cstdlib>

#include "AssetFuzzing.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    if (!prepareAssetFuzzing()) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loadFuzzInput(data, size);
    return 0;
}
