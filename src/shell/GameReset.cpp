// Every module's reset, in one list, from the shell down to the engine.
#include "shell/GameReset.h"

#include "platform/FolderLock.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "engine/Water.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "map/AStar.h"
#include "map/ActDraw.h"
#include "map/AntiAliasObject.h"
#include "map/Behaviour.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/GameMusic.h"
#include "map/Ghosts.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/MapTransients.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "map/Scale.h"
#include "map/Swim.h"
#include "map/SystemServices.h"
#include "story/CommandHandlers.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"
#include "story/PicShow.h"
#include "story/ScriptScene.h"
#include "story/Talk.h"
#include "story/Trigger.h"
#include "story/Voice.h"
#include "ui/Control.h"
#include "ui/DevTool.h"
#include "ui/MainMenu.h"
#include "ui/SaveFile.h"
#include "ui/ScreenState.h"
#include "ui/SettingsFrame.h"
#include "ui/UiInput.h"
#include "battle/Battle.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleMenu.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"
#include "battle/BattleSpriteSink.h"
#include "battle/Fighter.h"
#include "menu/MenuState.h"
#include "screens/ScreenManager.h"
#include "shell/Main.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "shell/Startup.h"

void ResetGame() {
    ResetOptions();
    ResetGameFlags();
    ResetShellState();
    ResetSettings();
    ResetScreenManager();
    DestroyScreenObjects();
    ResetScreenState();
    ResetUiInput();
    ResetMainMenu();
    ResetCountdowns();
    ResetNewGame();
    FreeMapObjectBuckets();
    ResetMapTransients();
    ResetMapData();
    ResetMapArchive();
    ResetMapCacheState();
    ResetRoleTable();
    ResetPlayerControl();
    ResetBehaviour();
    ResetCity();
    ResetMapScene();
    ResetMapDraw();
    ResetMapManage();
    ResetAntiAliasObjects();
    ResetActDraw();
    ResetAStar();
    ResetMapDb();
    ClearDepthScale();
    ResetGameMusic();
    ResetTalk();
    ResetDialogs();
    ResetStoryCommands();
    ResetTrigger();
    ResetScriptScene();
    ResetPicShow();
    ResetSaveFile();
    ResetDevTool();
    ResetGhosts();
    ResetSwim();
    ResetSystemServices();
    ResetBattleRoleChanges();
    ResetBattle();
    ResetDInput();
    ResetGameFonts();
    ResetTextInput();
    DeleteWaterList();
    FreeCodeMap();
    ResetPicLib();
    ResetActs();
    ResetGameData();
    ResetBattleSides();
    ResetBattleMenus();
    ResetFighterGlobals();
    ResetBattleRandom();
    ClearLoggedBattleLines();
    ClearShownFighterFloats();
    ResetStartup();
    ResetSession();
    ResetMenuState();
    ResetKeyBindings();
    SetDefaultOptions();
    ResetVideo();
    ResetMusic();
    ResetRedbook();
    ResetVoice();
    ResetSound();
    ResetDDraw();
    ResetPaint();
    ResetPixelFormat();
    ReleaseFolderLocks();
}
