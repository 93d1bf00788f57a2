// Session start and end, game begin/end/reload, music by number, the music disc.
#include "shell/Session.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Types.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/Options.h"
#include "map/City.h"
#include "map/MapManage.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "map/SystemServices.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "ui/Control.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"
#include "battle/Battle.h"
#include "menu/MenuState.h"
#include "shell/Main.h"
#include "shell/Settings.h"

u32 gScreenTransition = 0;

namespace {

void ClearMusicLists() {
    gMusic.ClearList(1);
    gMusic.ClearList(2);
}

void ReloadDatabases() {
    LoadGameDatabase(gBasePath);
    ResetBattleRoleChanges();
}

}  // namespace

void ResetSession() {
    gCdMusic = 0;
    gScreenTransition = 0;
}

void StartSession() {
    gScreenTransition = 0;
    LoadOptions();
    gMusic.SetVolume(VolumeTo127(gMusicVolume));
    delete gRedbook;
    gRedbook = new cRedbook();
    InitWorldMap();
    ResetInterfaceKeys();
    gFrameId = ScreenWord(Screen::Title);
}

void EndSession() {
    gFrameId = kMapMode;
    SaveOptions();
    delete gRedbook;
    gRedbook = nullptr;
    ClearQuestList();
    DestroyScreenObjects();
}

void NewGameData() {
    ZeroScriptVariables();
    gCdMusic = 0;
    // The lists are emptied before the first map is entered: it sets its music.
    ClearMusicLists();
    if (!StartNewGame(1)) return;  // the game is closing
    ReloadDatabases();
    ClearScreenHubWord();
    gGameTime = 0;
    gMenuRole = 0;
}

void EndGame() {
    if (gCdMusic) {
        if (gRedbook) gRedbook->Stop();
        gCdMusic = 0;
    }
    gSound.StopAll();
    ClearRoleStateBits(kRoleSoundOn);
    ResetMapMusicState();
    gMapId = 0;  // the next game enters its first map as a fresh start
    ClearMusicLists();
    gMusic.SetMode(4, 1, 15);
    ReleaseGameDatabase();
    ClearQuestList();
    gScreenTransition = 0;
}

void ReloadGameDatabase() {
    gCdMusic = 0;
    ReloadDatabases();
}
