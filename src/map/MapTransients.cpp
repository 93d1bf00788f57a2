// Release of the map's transient lists.
#include "map/MapTransients.h"

#include <cstring>

#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "map/RoleWalk.h"
#include "map/StoryLink.h"

u32 gTransientBounds[4] = {};

void ReleaseMapTransients() {
    ReleaseScriptObjectLists();
    ReleaseWipeEffects();
    ReleaseTimedObjects();
    ReleaseRoleHeads();
    FreeScreenItemList();
    ReleaseDialogs();
}

void StartCountdownTalk() {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        Talkend(i);
        gMapRoles[i].talkLock = 0;
    }
    StartTalk(gCountdownTalk, gPlayerId);
}

void ReleaseForLoad() {
    ReleaseWipeEffects();
    ReleaseTimedObjects();
    ReleaseRoleHeads();
    ReleaseDialogs();
    ReleaseScriptObjectLists();
    ReleaseDialogPictures();
    for (u32& b : gTransientBounds) b = 0x7FFFFFFF;
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
}

void ResetMapTransients() {
    for (u32& b : gTransientBounds) b = 0;
}
