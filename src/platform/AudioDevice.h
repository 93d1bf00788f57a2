// The SDL audio device that plays the shared mixer. Headless runs never open it.
#pragma once

// Opens the device (44.1 kHz, 16-bit stereo) pulling from AudioMixer(); true
// when it runs. In the headless backend the device stands open without SDL. A
// failure says so in one line on stderr and is remembered: later calls answer
// false at once, until the platform is reset.
bool AudioDeviceOpen();
void AudioDeviceClose();
bool AudioDeviceIsOpen();
// How many times the device was asked to open (for tests).
int AudioDeviceOpenAttempts();
