// Music by number and the music disc.
#include "map/GameMusic.h"

#include <cctype>
#include <string>

#include "sound/Music.h"
#include "sound/Redbook.h"
#include "data/Config.h"
#include "map/MapDb.h"
#include "map/SystemServices.h"

u32 gCdMusic = 0;

namespace {

void ClearMusicLists() {
    gMusic.ClearList(1);
    gMusic.ClearList(2);
}

}  // namespace

void ResetGameMusic() {
    gCdMusic = 0;
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
