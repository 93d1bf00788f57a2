// DrawWorld and the drawing layers of the map screen: ground, people by depth,
// the act-play lists, timed objects, overlay pictures, weather, wipe strips,
// the colour fade and the cursor.
#pragma once
#include <forward_list>
#include <vector>

#include "base/Types.h"
#include "engine/MyAct.h"

// One placed animation of an act-play list.
struct ActNode {
    ActPlayer act;
    i32 x = 0, y = 0;        // screen position
    i32 offX = 0, offY = 0;  // draw offsets
    u32 mode = 0;
    i32 level = 0;   // blend level
    u16 sound = 0;   // played once
    u8 endMark = 0;  // 1: removed after this frame
};

// An animation that flies across the map (map pixels).
struct TimedObject {
    ActPlayer act;
    float x = 0, y = 0, vx = 0, vy = 0;
    float targetX = 0, targetY = 0;
    u32 hold = 0;
};

constexpr u32 kWipeStatic = 0x08, kWipeGrow = 0x80, kWipeShrink = 0x40, kWipeGrowFree = 0x20,
              kWipeShrinkFree = 0x10;
struct WipeStrip {
    u32 id = 0;  // the effect number a script gave it
    i32 x = 0, y = 0, lines = 0, length = 0;
    u16 colour = 0;  // screen layout
    u32 mode = 0;    // in the high byte
    std::vector<i32> lens, offs;
};

struct ColorFade {
    float acc[3] = {}, delta[3] = {}, finalDelta[3] = {};
    i32 counter = -1;
};

// An extra animation object that a script puts on the screen: two key words
// (its screen point) and its act; the newest stands at the front of its list.
struct ScriptActObject {
    u16 k1 = 0, k2 = 0;
    ActPlayer act;
};
using ScriptActList = std::forward_list<ScriptActObject>;

extern std::vector<ActNode> gMapActList;  // drawn over the people
extern std::vector<ActNode> gTopActList;  // drawn over the weather
extern std::vector<TimedObject> gTimedObjects;
extern std::vector<WipeStrip> gWipeStrips;
// The two object lists of the story scripts: A drawn with the map list, B with the top list.
extern ScriptActList gScriptActA, gScriptActB;
extern ColorFade gColorFade;

void DrawWorld();
void DrawGround();
void DrawDepthRows();
void PlayAct(std::vector<ActNode>& list);
// Advances, draws and sounds each object; one whose act has ended leaves after the frame.
void PlayScriptActs(ScriptActList& list);
void DrawTObj();
void DrawOverlayPictures();
void DrawWipeStrips();
void ApplyColorFade(int step);
void RefrashCursor();
void DrawBirds();
void DrawFlash();
void DrawFlash2();
void DrawParticles();
void DrawShimmer();
void DrawRipples();
// Map entry: every ripple goes but the list's head object.
void DeleteRipplesButHead();

// The map's transient lists of the story commands.
void ReleaseScriptObjectLists();
void ReleaseWipeEffects();
// (Re)makes wipe strip n with every line at its mode's starting point; the
// mode word carries the mode in its high byte. FreeWipeStrip drops strip n.
void MakeWipeStrip(u32 n, i32 x, i32 y, u32 lines, u32 length, u16 colour, u16 modeWord);
void FreeWipeStrip(u32 n);
void ReleaseTimedObjects();
// The animation state of the scene layers and the weather pools.
void ResetSceneLayers();
void ClearWeather();
void ResetMapDraw();
