// Platform-internal: the SDL window behind the game's main window (null headless).
#pragma once
struct SDL_Window;
SDL_Window* SdlMainWindow();
