// Platform-internal: the SDL window behind the game's main window (null headless).
#pragma once
struct SDL_Window;
SDL_Window* SdlMainWindow();
// The first frame is on the window's screen: a window manager is asked for full screen now.
void SdlWindowShown();
// Closes SDL's video: the next window starts it anew, on the display the
// environment names then (tests move between virtual X servers).
void PlatformStopSdl();
