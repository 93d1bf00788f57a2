// Story commands on the map, the view and the media: map changes (plain and
// behind a fade), view scrolls, colour fades, the spotlight, view flags, scene
// texts, music, sounds and video.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/FrameState.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/Water.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/AntiAliasObject.h"
#include "map/City.h"
#include "map/GameMusic.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapManage.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "story/CommandHandlers.h"
#include "story/PicShow.h"
#include "story/ScriptScene.h"
#include "story/StoryRoles.h"

ScriptScene gScriptScene;
u32 gTalkSoundFlags = 0;

namespace {

// How long a music fade asked for by a script lasts.
constexpr int kScriptMusicFadeMs = 1000;

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

i32 StepToward(i32 at, i32 target, i32 step) {
    if (step <= 0) return target;
    return at < target ? std::min(at + step, target) : std::max(at - step, target);
}

// Starts a scroll of (dx, dy) pixels at speed pixels per frame: the scene's
// shake words hold the distance left on each axis and a signed step.
void StartScroll(i32 dx, i32 dy, u32 speed) {
    if (ScrollUnderWay())
        ReportDataError(WordedDataError("%s", B5("前一個捲動指令還沒有結束")),
                        B5("對話系統(Scroll_map)"));
    // A speed of 0 would never arrive and hold the talk forever: it moves at once.
    i32 s = speed ? static_cast<i32>(speed) : std::max(std::abs(dx), std::abs(dy));
    gShakeLeftX = std::abs(dx);
    gShakeLeftY = std::abs(dy);
    gShakeStepX = dx > 0 ? s : dx < 0 ? -s : 0;
    gShakeStepY = dy > 0 ? s : dy < 0 ? -s : 0;
}

// A fade whose final deltas are not 0 keeps its tint once the count has run
// out; with final deltas 0 the tint stops there.
void StartFade(const float v[3], const float d[3], i32 count, const float finalDelta[3]) {
    for (int i = 0; i < 3; ++i) {
        gColorFade.acc[i] = std::min(v[i], 31.0f);
        gColorFade.delta[i] = d[i];
        gColorFade.finalDelta[i] = finalDelta[i];
    }
    gColorFade.counter = count;
}

void StartFade(const float v[3], const float d[3], i32 count, float finalDelta = 0) {
    const float f[3] = {finalDelta, finalDelta, finalDelta};
    StartFade(v, d, count, f);
}

void StopFade() {
    for (float& d : gColorFade.delta) d = 0;
    gColorFade.counter = 0;
}

u32 Keep(u32 v, i32 current) {
    return v == 0xFFFF ? static_cast<u32>(current) : v;
}

void KeepMusicDiscOff() {
    if (!gScriptScene.scriptCdMusic) return;
    if (gRedbook) gRedbook->Stop();
    gCdMusic = 0;
    gScriptScene.scriptCdMusic = false;
}

void PlayScriptMusic(u32 piece, u32 second, u32 mode) {
    KeepMusicDiscOff();
    std::string name, secondName;
    if (!GetMusicName(piece, &name)) return;
    int track = 0;
    if (GetMusicName(second, &secondName) && secondName.rfind("CD", 0) == 0 &&
        ParseDiscTrackName(secondName.c_str(), &track)) {
        if (!gRedbook) return;
        gRedbook->Play(track, (mode & 3) == 2 ? 0 : 1);
        gCdMusic = 1;
        gScriptScene.scriptCdMusic = true;
        return;
    }
    std::string path = std::string(gBasePath) + "music\\" + name;
    u32 loop = mode & 3;
    gMusic.SetTrack(path.c_str(), static_cast<i32>(piece) + 1, 0, 1);
    gMusic.SetMode(1, loop ? static_cast<int>(loop) : 1, (mode & 4) ? kScriptMusicFadeMs : 0);
}

// Script music piece n plays as track n + 1: only that piece changes its volume.
void SetScriptMusicVolume(u32 piece, int v) {
    gMusic.SetPieceVolume(static_cast<i32>(piece) + 1, v);
}

// Copies an inline text into a fixed field, cut at the field's size.
void CopyText(const CmdArgs& a, char* out, size_t size) {
    size_t n = std::min<size_t>(a.textLen, size - 1);
    std::memcpy(out, a.text, n);
    out[n] = 0;
    if (char* end = static_cast<char*>(std::memchr(out, 0, n + 1))) *end = 0;
}

}  // namespace

bool ScrollUnderWay() {
    return gShakeLeftX || gShakeLeftY || gShakeStepX || gShakeStepY;
}

bool ColorFadeUnderWay() {
    return gColorFade.counter > 0;
}

bool TalkChangeMap(u32 map, u32 cx, u32 cy, u32 act, u32 qq, u32 dir, u32 options) {
    MapDbRecord rec;
    DataError why;
    if (!FindMapRecord(map, &rec, &why)) {
        ReportDataError(BoxedDataError(why, B5("地圖[%d]不存在"), static_cast<int>(map)),
                        B5("對話系統(ChangeMap)"));
        return false;
    }
    gShakeLeftX = gShakeLeftY = gShakeStepX = gShakeStepY = 0;
    i32 px = 0, py = 0, pact = 0, pqq = 0, pdir = 0;
    if (gPlayerSlot >= 0 && gPlayerSlot < gMapRoleCount) {
        const RoleSlot& p = gMapRoles[gPlayerSlot];
        px = p.x / 16;
        py = p.y / 16;
        if (p.act) {
            pact = p.act->act;
            pqq = p.act->action;
            pdir = p.act->dir;
        }
    }
    gViewMode |= kViewChanging;
    LoadCity(map, static_cast<i32>(Keep(cx, px)), static_cast<i32>(Keep(cy, py)),
             static_cast<i32>(Keep(act, pact)), static_cast<i32>(Keep(qq, pqq)),
             static_cast<i32>(Keep(dir, pdir)), options);
    gViewMode &= ~kViewChanging;
    return true;
}

bool ReopenMapArchive() {
    char path[1024];
    if (gInstallMode == 1) {
        char letter = 0;
        if (FindDisc(gCdPath, 2, &letter) == 2) {
            gRunState |= kRunQuit;
            return false;
        }
        if (letter) gCdPath[0] = letter;
        std::snprintf(path, sizeof(path), "%stlv5e\\%s", gCdPath, gMapArchiveName.c_str());
    } else {
        // Modes 0, 2 and 52 read the archive from the base folder.
        std::snprintf(path, sizeof(path), "%s%s", gBasePath, gMapArchiveName.c_str());
    }
    gMapArchiveFile.Close();
    if (!gMapArchiveFile.Open(path, OPEN_EXISTING, GENERIC_READ)) {
        ReportDataError(WordedDataError(B5("無法開啟 %s"), path), B5("載入地圖"));
        return false;
    }
    gScriptScene.archiveClosed = false;
    return true;
}

void ResetScriptScene() {
    gScriptScene = ScriptScene{};
    gTalkSoundFlags = 0;
    gScriptActA.clear();
    gScriptActB.clear();
}

// ---- Map and view ----

Step CmdChangeMap(TalkContext* c, CmdArgs& a) {
    ClearGameFlag(kLoadBarFlag);
    if (!TalkChangeMap(a.v[0], a.v[1], a.v[2], a.v[3], a.v[4], a.v[5], 1)) {
        TalkEnd(c);
        return Step::Ended;
    }
    return Step::On;
}

// A fade whose count has run out holds its level for one more drawing: its
// delta only has to be non-zero for the frame to be darkened at all.
constexpr float kFadeDark[3] = {-30, -30, -30}, kFadeHold[3] = {-1, -1, -1};

Step CmdFadeChangeMap(TalkContext* c, CmdArgs& a) {
    ScriptScene& s = gScriptScene;
    switch (s.fadeChangeState) {
        case 0: {
            if (gPlayerSlot >= 0 && gPlayerSlot < gMapRoleCount && gMapRoles[gPlayerSlot].act) {
                ActPlayer* p = gMapRoles[gPlayerSlot].act;
                if (a.v[3] != 0xFFFF) p->act = static_cast<i32>(a.v[3]);
                if (a.v[4] != 0xFFFF) p->action = static_cast<i32>(a.v[4]);
            }
            // The screen stays dark after the count, over the frame of the change.
            const float v[3] = {0, 0, 0}, d[3] = {-1.5f, -1.5f, -1.5f};
            StartFade(v, d, 20, -1.5f);
            s.fadeChangeState = 1;
            return Step::Stay;
        }
        case 1:
            if (!ColorFadeUnderWay()) s.fadeChangeState = 2;
            return Step::Stay;
        case 2:
            if (!TalkChangeMap(a.v[0], a.v[1], a.v[2], a.v[3], a.v[4], a.v[5], 1)) {
                // The dark that waits for the new map must not outlive the talk.
                StopFade();
                s.fadeChangeState = 0;
                TalkEnd(c);
                return Step::Ended;
            }
            // Entering the map clears the fade: the new map stays dark until the
            // fade back in starts next frame, instead of showing once undimmed.
            StartFade(kFadeDark, kFadeHold, 0);
            s.fadeChangeState = 3;
            return Step::Stay;
        case 3: {
            const float v[3] = {-30, -30, -30}, d[3] = {3, 3, 3};
            StartFade(v, d, 10);
            s.fadeChangeState = 4;
            return Step::Stay;
        }
        case 4:
            if (!ColorFadeUnderWay()) s.fadeChangeState = 5;
            return Step::Stay;
        default:
            s.fadeChangeState = 0;
            return Step::On;
    }
}

Step CmdScroll(TalkContext* c, CmdArgs& a) {
    i32 x = static_cast<i32>(a.v[0]), y = static_cast<i32>(a.v[1]);
    switch (Op(a)) {
        case 0x32:
            StartScroll(16 * x, 16 * y, a.v[2]);
            break;
        case 0x46:
            StartScroll(16 * x - gViewX, 16 * y - gViewY, a.v[2]);
            break;
        default: {  // 0x49
            int slot = ScriptRoleSlot(c, a.v[0]);
            if (slot < 0) return Step::On;
            Rect16 r;
            GetViewRectAt(gMapRoles[slot].x, gMapRoles[slot].y, &r);
            StartScroll(r.left - gViewX, r.top - gViewY, a.v[1]);
            break;
        }
    }
    return Step::On;
}

Step CmdWaitScroll(TalkContext*, CmdArgs& a) {
    if (ScrollUnderWay()) return Step::Stay;
    if (Op(a) == 0xBF && gViewY != static_cast<i32>(a.v[0])) return Step::Stay;
    return Step::On;
}

Step CmdColorFade(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0x34: {
            float v[3], d[3];
            for (int i = 0; i < 3; ++i) {
                v[i] = static_cast<float>(static_cast<i32>(a.v[i]));
                d[i] = static_cast<float>(static_cast<i32>(a.v[3 + i]));
            }
            // The tint holds at its last level until StopColorFade takes it off.
            StartFade(v, d, static_cast<i32>(a.v[6]), d);
            return Step::On;
        }
        case 0x35:
            return ColorFadeUnderWay() ? Step::Stay : Step::On;
        default:  // 0x4A
            StopFade();
            return Step::On;
    }
}

Step CmdSpot(TalkContext*, CmdArgs& a) {
    ScriptScene& s = gScriptScene;
    i32 cx = static_cast<i32>(a.v[0]), cy = static_cast<i32>(a.v[1]);
    switch (Op(a)) {
        case 0x96:
            gSpotX = s.spotTargetX = cx == -1 ? 320 : 16 * cx;
            gSpotY = s.spotTargetY = cy == -1 ? 240 : 16 * cy;
            return Step::Yield;
        case 0x97:
            s.spotTargetX = 16 * cx;
            s.spotTargetY = 16 * cy;
            s.spotStepA = static_cast<i32>(a.v[2]);
            s.spotStepB = static_cast<i32>(a.v[3]);
            return Step::Yield;
        default:  // 0x98: the point moves one step a frame while the talk waits for it
            if (gSpotX == s.spotTargetX && gSpotY == s.spotTargetY) return Step::On;
            gSpotX = StepToward(gSpotX, s.spotTargetX, std::abs(s.spotStepA));
            gSpotY = StepToward(gSpotY, s.spotTargetY, std::abs(s.spotStepB));
            return Step::Stay;
    }
}

Step CmdViewMode(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0x3C:
            if (gPaintBuf) std::memset(gPaintBuf, 0, 640 * 480 * sizeof(u16));
            gViewMode |= kViewChanging;
            break;
        case 0x3D:
            gViewMode &= ~kViewChanging;
            break;
        case 0x5E:
            gViewMode |= kViewNoFollow;
            break;
        default:  // 0x5F
            gViewMode &= ~kViewNoFollow;
            break;
    }
    return Step::Yield;
}

Step CmdMapEffect(TalkContext*, CmdArgs& a) {
    if (a.v[0] < std::size(gScriptScene.mapEffects)) gScriptScene.mapEffects[a.v[0]] = 0;
    return Step::On;
}

// ---- Heads and overlay objects ----

Step CmdRoleHead(TalkContext*, CmdArgs& a) {
    u32 k1 = a.v[0], k2 = a.v[1];
    i32 x = static_cast<i32>(a.v[2]), y = static_cast<i32>(a.v[3]);
    switch (Op(a)) {
        case 0x51:
            AddRoleHead(k1, k2, x, y);
            break;
        case 0x52:
            DismissRoleHead(k1, k2);
            break;
        case 0x56:
            ShowRoleHead(k1, k2, x, y);
            break;
        default:  // 0x136
            ReleaseRoleHeads();
            break;
    }
    return Step::On;
}

Step CmdAntiAliasObject(TalkContext*, CmdArgs& a) {
    u32 id = a.v[0], sub = a.v[1];
    i32 x = static_cast<i32>(a.v[2]), flags = static_cast<i32>(a.v[3]);
    switch (Op(a)) {
        case 0xD8:
            CreateAntiAliasObject(id, sub, x, flags);
            break;
        case 0xD9:
            RemoveAntiAliasObject(id, sub);
            break;
        default:  // 0xDA
            FreeAntiAliasObjects();
            CreateAntiAliasObject(id, sub, x, flags);
            break;
    }
    return Step::On;
}

// ---- Media ----

Step CmdMusic(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0x72:
            PlayScriptMusic(a.v[0], a.v[1], a.v[2]);
            return Step::On;
        case 0x89:
            KeepMusicDiscOff();
            StopMusic();
            return Step::On;
        case 0x8D:
            SetScriptMusicVolume(a.v[0], static_cast<int>(a.v[1]));
            return Step::On;
        default:  // 0xC0
            return gMusic.IsFinished() ? Step::On : Step::Stay;
    }
}

Step CmdSound(TalkContext*, CmdArgs& a) {
    int n = static_cast<int>(a.v[0]);
    switch (Op(a)) {
        case 0x3B:
            PlaySfx(n, static_cast<int>(gSfxVolume));
            return Step::Yield;
        case 0x71:
            PlaySfx(n, static_cast<int>(gSfxVolume));
            return Step::Yield;
        default:  // 0x150
            StopSfx(n);
            return Step::On;
    }
}

Step CmdVideo(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0xC2: {
            gMapArchiveFile.Close();
            gScriptScene.archiveClosed = true;
            if (gPaintBuf) std::memset(gPaintBuf, 0, 640 * 480 * sizeof(u16));
            // The name is bounded by the window: the command's length was checked.
            u32 ip = 0;
            ScriptPlayVideo(gBasePath, a.at, a.len, &ip);
            // From the first story video on the game reads its data from the
            // base folder: the picture shows come from "Video\" beside it.
            gInstallMode = kInstallModeAfterVideo;
            return Step::Yield;
        }
        case 0xC3:
            gScriptScene.videoOverlayAct = a.v[0];
            gScriptScene.videoOverlayAction = a.v[1];
            SetBinkOverLap(static_cast<i32>(a.v[0]), static_cast<i32>(a.v[1]));
            return Step::On;
        default:  // 0xC4
            ReopenMapArchive();
            return Step::On;
    }
}

Step CmdObsoleteVideo(TalkContext*, CmdArgs&) {
    ReportDataError(WordedDataError("%s", B5("對話系統(Play_avi) ,過期的指令")),
                    B5("對話系統(Play_avi) ,過期的指令"));
    return Step::Stay;
}

Step CmdSceneText(TalkContext*, CmdArgs& a) {
    u32 op = Op(a);
    int k = op == 0xAB || op == 0xAA ? 0 : 1;
    if (op == 0xAB || op == 0xAD) {
        CopyText(a, gScriptScene.sceneText[k], sizeof(gScriptScene.sceneText[k]));
        SetGameFlag(kSceneTextFlag + k);
    } else {
        gScriptScene.sceneText[k][0] = 0;
        ClearGameFlag(kSceneTextFlag + k);
    }
    return Step::Yield;
}

Step CmdSceneMisc(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0xAF:
            gTalkSoundFlags |= 0x10;
            return Step::On;
        case 0xB0:
            gTalkSoundFlags &= ~0x10u;
            return Step::Yield;
        case 0x7A:
            gFastMode = 0;
            return Step::On;
        case 0xB4:
            gGameActive = 0;
            return Step::On;
        case 0xD6:
            gScriptScene.skipReopen = true;
            return Step::Yield;
        case 0x312:
            gTalkFlags = 0;
            return Step::Yield;
        default:  // 0x73, 0x90, 0x311: nothing but their operand
            return Step::Yield;
    }
}

// ---- The picture show ----

Step CmdStartPicShow(TalkContext*, CmdArgs& a) {
    const u8* t = a.text;
    u32 n = a.textLen;
    u32 flags = 0;
    for (; n && (*t == '%' || *t == '*'); ++t, --n) flags |= *t == '%' ? 0x02 : 0x01;
    // The name is at most 32 bytes and ends at the first zero.
    char name[33] = {};
    std::memcpy(name, t, std::min<u32>(n, 32));
    // The text is padded to whole words with a space; a file name never ends in one.
    for (size_t k = std::strlen(name); k > 0 && name[k - 1] == ' '; --k) name[k - 1] = 0;
    // With the data on the disc (install modes 1 and 2) the shows come from it;
    // a refused disc prompt quits and the command stays.
    std::string folder = gBasePath;
    if (gInstallMode == 1 || gInstallMode == 2) {
        char letter = 0;
        if (FindDisc(gCdPath, 2, &letter) == 2) {
            gRunState |= kRunQuit;
            return Step::Stay;
        }
        if (letter) gCdPath[0] = letter;
        folder = std::string(gCdPath) + "tlv5e\\";
    }
    gTalkSoundFlags = (gTalkSoundFlags & ~0x03u) | flags;
    gMapArchiveFile.Close();
    gScriptScene.archiveClosed = true;
    StartPicShow(name, flags, folder.c_str());
    return Step::Yield;
}

Step CmdWaitPicShowEnd(TalkContext*, CmdArgs&) {
    if (gPicShow.running) return Step::Stay;
    SetFrameInterval(kFrameMs);
    if (!gScriptScene.skipReopen) ReopenMapArchive();
    gScriptScene.skipReopen = false;
    return Step::On;
}

// ---- Extra animation objects ----

Step CmdAddScriptAct(TalkContext*, CmdArgs& a) {
    ScriptActList& l = Op(a) == 0x3A ? gScriptActA : gScriptActB;
    ScriptActObject o;
    o.k1 = static_cast<u16>(a.v[0]);
    o.k2 = static_cast<u16>(a.v[1]);
    ResetActPlayer(&o.act);
    o.act.act = static_cast<i32>(a.v[2]);
    o.act.action = static_cast<i32>(a.v[3]);
    l.push_front(o);
    return Step::Yield;
}

Step CmdWaitScriptAct(TalkContext*, CmdArgs& a) {
    const ScriptActList& l = Op(a) == 0x6A ? gScriptActA : gScriptActB;
    if (l.empty()) return Step::On;
    return l.front().act.frame <= a.v[0] ? Step::Stay : Step::On;
}

Step CmdWater(TalkContext*, CmdArgs& a) {
    // The list's head is a placeholder; the ripples drawn over the map follow it.
    if (!gWaterList) gWaterList = new cWater(1, 1, 0, 0, 1, 1);
    if (!gWaterList->next) gWaterList->next = new cWater();
    gWaterList->next->Drop(static_cast<int>(a.v[0]), static_cast<int>(a.v[1]),
                           static_cast<int>(a.v[2]), static_cast<int>(a.v[3]));
    return Step::On;
}
