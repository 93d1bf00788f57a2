// The SDL audio device that plays the shared mixer. Headless runs never open it.
#pragma once

// Opens the device (44.1 kHz, 16-bit stereo) pulling from AudioMixer(); true
// when it runs. Does nothing and answers true in the headless backend.
bool AudioDeviceOpen();
void AudioDeviceClose();
bool AudioDeviceIsOpen();
