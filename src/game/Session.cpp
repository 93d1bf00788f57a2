// Session start and end, game begin/end/reload, music by number, the music disc.
#include "game/Session.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "battle/Battle.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "game/City.h"
#include "game/Main.h"
#include "game/Options.h"
#include "game/Pending.h"
#include "game/Settings.h"
#include "game/SystemServices.h"
#include "menu/MenuState.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "ui/ScreenState.h"

u32 gCdMusic = 0;
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
    SetupWorldMap();
    ResetInterfaceKeys();
    gFrameId = kScreenBit | 0;
}

void EndSession() {
    gFrameId = 0;
    SaveOptions();
    delete gRedbook;
    gRedbook = nullptr;
    ClearQuestList();
    DestroyScreenObjects();
}

void NewGameData() {
    ZeroScriptVariables();
    gCdMusic = 0;
    StartNewGame(1);
    ReloadDatabases();
    ClearScreenHubWord();
    ClearMusicLists();
    gGameTime = 0;
    gMenuRole = 0;
}

void EndGame() {
    if (gCdMusic) {
        if (gRedbook) gRedbook->Stop();
        gCdMusic = 0;
    }
    gSound.StopAll();
    ClearRoleStateBits(0x01000000u);
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

bool ParseDiscTrackName(const char* name, int* track) {
    if (!name || name[0] != 'C' || name[1] != 'D') return false;
    if (!std::isdigit(static_cast<unsigned char>(name[2])) ||
        !std::isdigit(static_cast<unsigned char>(name[3])))
        return false;
    *track = (name[2] - '0') * 10 + (name[3] - '0');
    return true;
}

void PlayMusic(u32 n, int once) {
    std::string name;
    if (!GetMusicName(n, &name)) return;
    int track = 0;
    if (ParseDiscTrackName(name.c_str(), &track)) {
        if (!gRedbook) return;
        gRedbook->Play(track, once ? 1 : 0);
        gCdMusic = 1;
        return;
    }
    std::string path = std::string(gBasePath) + "music\\" + name;
    gMusic.SetTrack(path.c_str(), static_cast<i32>(n) + 1, 0, 1);
    // Channel 1 loops (repeat 2 plays the list through once) as the caller asks.
    gMusic.SetMode(1, once ? 1 : 2, 0);
}

void StopMusic() {
    ClearMusicLists();
    gMusic.SetMode(4, 1, 0);
    if (gRedbook) gRedbook->Stop();
    gCdMusic = 0;
}

int FindMusicDisc() {
    for (u8 letter : gCdDrives) {
        if (letter == 0xFF) continue;
        gCdPath[0] = static_cast<char>(letter);
        char root[4] = {static_cast<char>(letter), ':', '\\', 0};
        if (!HasVolumeLabel(root, kMusicDiscLabel)) continue;
        if (!gRedbook) return 0;
        if (gRedbook->Open(-1, letter) && gRedbook->IsReady()) {
            gRedbook->SetVolume(VolumeTo127(gCdVolume));
            return 1;
        }
        gRedbook->Close();
    }
    return 0;
}
