// Handlers of the story-script commands, listed in the command table.
#pragma once
#include "story/TalkCommands.h"

#define MH_HANDLER(name) Step name(TalkContext* c, CmdArgs& a)

// The loop's own commands.
MH_HANDLER(CmdSkip);
MH_HANDLER(CmdRunOn);
MH_HANDLER(CmdRunOff);
MH_HANDLER(CmdNop);
MH_HANDLER(CmdEnd);
MH_HANDLER(CmdCountdown);
// Jumps and tests.
MH_HANDLER(CmdJump);
MH_HANDLER(CmdFlagJump);
MH_HANDLER(CmdFlagListJump);
MH_HANDLER(CmdWalkJump);
MH_HANDLER(CmdAnswerJump);
MH_HANDLER(CmdRandomJump);
MH_HANDLER(CmdAnyRoleJump);
MH_HANDLER(CmdItemJump);
MH_HANDLER(CmdItemCountJump);
MH_HANDLER(CmdWornJump);
MH_HANDLER(CmdMapJump);
MH_HANDLER(CmdSlotCellJump);
MH_HANDLER(CmdPointDistanceJump);
MH_HANDLER(CmdRoleDistanceJump);
MH_HANDLER(CmdRectJump);
MH_HANDLER(CmdActionJump);
MH_HANDLER(CmdActJump);
MH_HANDLER(CmdGoTalk);
// Variables, counter, timing and flags.
MH_HANDLER(CmdVariable);
MH_HANDLER(CmdCounter);
MH_HANDLER(CmdWait);
MH_HANDLER(CmdPicShow);
MH_HANDLER(CmdFlag);
// Dialogue and text.
MH_HANDLER(CmdDialog);
MH_HANDLER(CmdNextBox);
MH_HANDLER(CmdBoxPosition);
MH_HANDLER(CmdCaption);
MH_HANDLER(CmdQuake);
MH_HANDLER(CmdSkipText);
MH_HANDLER(CmdFont);
MH_HANDLER(CmdTalkValue);
MH_HANDLER(CmdNameEntry);
// Party, items, role values, screens, shops, quests and the battle request.
MH_HANDLER(CmdAddItem);
MH_HANDLER(CmdParty);
MH_HANDLER(CmdTestWorn);
MH_HANDLER(CmdAddAction);
MH_HANDLER(CmdOwnsSpecial);
MH_HANDLER(CmdRoleValue);
MH_HANDLER(CmdRoleValueSwitch);
MH_HANDLER(CmdRoleValueCompare);
MH_HANDLER(CmdSwapVars);
MH_HANDLER(CmdScreen);
MH_HANDLER(CmdItemFrame);
MH_HANDLER(CmdShop);
MH_HANDLER(CmdQuest);
MH_HANDLER(CmdRolePose);
MH_HANDLER(CmdBattle);
// Role commands.
MH_HANDLER(CmdRoleAct);
MH_HANDLER(CmdRoleActAll);
MH_HANDLER(CmdRoleSpeed);
MH_HANDLER(CmdRoleRestart);
MH_HANDLER(CmdControlLock);
MH_HANDLER(CmdPresence);
MH_HANDLER(CmdStateBit);
MH_HANDLER(CmdMapBit);
MH_HANDLER(CmdSetStateBit);
MH_HANDLER(CmdRouteBits);
MH_HANDLER(CmdTalkNumber);
MH_HANDLER(CmdPlayerRole);
MH_HANDLER(CmdRoleRestore);
MH_HANDLER(CmdSnapRole);
MH_HANDLER(CmdTurnToFace);
MH_HANDLER(CmdWaitSpeaker);
MH_HANDLER(CmdEndRolePart);
MH_HANDLER(CmdTakeOffMap);
MH_HANDLER(CmdRoleLayer);
MH_HANDLER(CmdWaitActFrame);
MH_HANDLER(CmdCloseSpeakerBoxes);
MH_HANDLER(CmdWaitBoxFlag);
// Walks.
MH_HANDLER(CmdWalkTo);
MH_HANDLER(CmdWalkStep);
MH_HANDLER(CmdEndWalk);
MH_HANDLER(CmdGroupWalk);
MH_HANDLER(CmdPointWalk);
MH_HANDLER(CmdWalkRole);
// Map, view, scene and media commands.
MH_HANDLER(CmdChangeMap);
MH_HANDLER(CmdFadeChangeMap);
MH_HANDLER(CmdScroll);
MH_HANDLER(CmdWaitScroll);
MH_HANDLER(CmdColorFade);
MH_HANDLER(CmdSpot);
MH_HANDLER(CmdViewMode);
MH_HANDLER(CmdMapEffect);
MH_HANDLER(CmdMusic);
MH_HANDLER(CmdSound);
MH_HANDLER(CmdVideo);
MH_HANDLER(CmdObsoleteVideo);
MH_HANDLER(CmdSceneText);
MH_HANDLER(CmdSceneMisc);
MH_HANDLER(CmdStartPicShow);
MH_HANDLER(CmdWater);
MH_HANDLER(CmdAddScriptAct);
MH_HANDLER(CmdWaitScriptAct);
MH_HANDLER(CmdWaitPicShowEnd);
// Wipes and the rest of the scene.
MH_HANDLER(CmdWipe);
MH_HANDLER(CmdFreeWipe);
MH_HANDLER(CmdWaitWipes);
MH_HANDLER(CmdReleaseWipes);
MH_HANDLER(CmdSceneCopy);
MH_HANDLER(CmdFreeSceneCopies);
MH_HANDLER(CmdWaitSceneObject);
MH_HANDLER(CmdDialogLine);
MH_HANDLER(CmdGatherParty);
MH_HANDLER(CmdClearStepCount);
MH_HANDLER(CmdRoleEffect);
MH_HANDLER(CmdMapEntryPoint);
MH_HANDLER(CmdSendRole);
// Heads and overlay objects.
MH_HANDLER(CmdRoleHead);
MH_HANDLER(CmdAntiAliasObject);

// Next-box options that dialogue commands consume.
struct NextBoxOptions {
    u16 x = 0x8000, y = 0x8000;
    u32 opts = 0xFFFFFFFFu;
    u32 time = 60;
    bool timeSet = false;
    char caption[32] = {};
    i16 dx = 0, dy = 0;
    bool centreX = false, centreY = false;
};
extern NextBoxOptions gNextBox;
extern u32 gStoryCounter, gStoryCounterMark;
// Name texts entered by command 0xD1, three fields per slot.
constexpr int kNameSlots = 16;
extern char gEnteredNames[kNameSlots][3][32];

void ResetStoryCommands();
