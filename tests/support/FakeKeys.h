#pragma once

#include <set>

// A keyboard for tests: keys listed here read as held down through the key poller seam.
struct FakeKeys {
    FakeKeys();
    ~FakeKeys();
    FakeKeys(const FakeKeys&) = delete;
    FakeKeys& operator=(const FakeKeys&) = delete;

    void press(int keyCode) { held.insert(keyCode); }
    void release(int keyCode) { held.erase(keyCode); }
    void releaseAll() { held.clear(); }

    std::set<int> held;
};
