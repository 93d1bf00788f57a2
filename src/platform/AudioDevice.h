// The SDL audio device that plays the shared mixer. Headless runs never open it.
#pragma once

// Opens the device (44.1 kHz, 16-bit stereo) pulling from AudioMixer(); true
// when it runs. In the headless backend the device stands open without SDL. A
// failure says so in one line on stderr and is remembered: later calls answer
// false at once, until the platform is reset.
bool AudioDeviceOpen();
// From the library's start-up on, while no device pulls the mixer (it failed,
// or was never opened in a window), each message pump pulls it at the pace of
// the clock and drops the sound: pieces played silent still end after their
// length. Headless runs pull it so only when the device failed.
void AudioDeviceKeepTime();
void AudioDeviceClose();
bool AudioDeviceIsOpen();
// How many times the device was asked to open (for tests).
int AudioDeviceOpenAttempts();
