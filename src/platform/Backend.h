// Choice of backend and the test-facing controls of the headless one: the
// virtual clock, the recorder of message boxes, and the frames kept by present.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/Types.h"

enum class Backend { Headless, Sdl };

// Headless is the default; the game's entry switches to SDL before anything opens.
void PlatformSetBackend(Backend b);
Backend PlatformBackend();
bool PlatformIsHeadless();

// Virtual clock (always on in the headless backend).
void PlatformSetVirtualTime(u32 ms);
void PlatformAdvanceTime(u32 ms);

// Message boxes seen by the headless backend, in order.
struct RecordedBox {
    std::string text;     // Big5, as the game passed it
    std::string caption;  // Big5
    u32 type = 0;
};
std::vector<RecordedBox>& PlatformRecordedBoxes();
// The answer the headless backend gives to the next boxes (IDOK by default).
void PlatformSetBoxAnswer(int answer);

// Counts of beeps, for tests.
int PlatformBeepCount();

// Devices a test makes fail on purpose (cleared by PlatformReset).
struct DeviceFailures {
    bool display = false;  // the 640x480x16 mode cannot be set
    bool input = false;    // the keyboard and mouse cannot be opened
    bool sound = false;    // the digital output cannot be opened
};
DeviceFailures& PlatformDeviceFailures();
// False when the program found no display a player can see (no X11 or Wayland
// server, and SDL offered only a driver that shows nothing).
bool PlatformHasDisplay();
// Headless: whether a window manager carries out minimise requests (after a
// reset none does, and a request is answered as refused after a while).
void PlatformSetWindowManager(bool present);

// Forgets windows, queued messages, boxes and the clock: a clean platform for a test.
void PlatformReset();

// Hooks other platform modules register to see SDL events and resets.
struct PlatformEventHooks {
    std::function<void(const void* sdlEvent)> onEvent;
    std::function<void()> onReset;
    std::function<void()> onPump;  // each message pump, in play and headless
};
void PlatformAddHooks(PlatformEventHooks hooks);
