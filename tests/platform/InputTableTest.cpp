// The SDL-to-DirectInput scan-code table and the platform key and mouse state.
#include <gtest/gtest.h>

#include <set>

#include "platform/Backend.h"
#include "platform/Input.h"

TEST(ScanTable, EachCodeMapsBackAndEveryKeyTheGameNamesIsThere) {
    std::set<int> have;
    for (int sdl = 0; sdl < kSdlScancodeLimit; ++sdl) {
        u8 code = ScanCodeFromSdl(sdl);
        if (!code) continue;
        EXPECT_TRUE(have.insert(code).second) << "scan code " << int(code) << " twice";
        EXPECT_EQ(SdlFromScanCode(code), sdl);
    }
    // Map keys, interface bindings, F1-F4, F9, F10, F12, P, Insert, Delete, Home and
    // the extended keys of the numeric pad and the right-hand modifiers.
    std::vector<int> named = {0x01, 0x39, 0x36, 0xCB, 0xC8, 0xCD, 0xD0, 0xC9, 0xD1, 0x9D,
                              0xCF, 0x1C, 0x13, 0x1E, 0x22, 0x3B, 0x3C, 0x3D, 0x3E, 0x43,
                              0x44, 0x58, 0x19, 0x0F, 0xD2, 0xD3, 0xC7, 0x9C, 0xB5, 0xB8,
                              0xB7, 0xC5, 0x2A, 0x1D, 0x38, 0xDB, 0xDC, 0xDD, 0x0E};
    // Every letter and digit and F1-F10.
    for (auto [first, last] :
         {std::pair{0x02, 0x0B}, {0x10, 0x19}, {0x1E, 0x26}, {0x2C, 0x32}, {0x3B, 0x44}})
        for (int code = first; code <= last; ++code) named.push_back(code);
    for (int code : named) EXPECT_TRUE(have.count(code)) << "no key gives scan code " << code;
}
