// The link from the interface, the menu pages and the shops up to the screen
// table: one global pointer per screen object, and the declarations of their
// classes. The screen table above defines them (screens/ScreenManager.cpp); a
// screen made elsewhere has its maker set the pointer before asking for it.
#pragma once
#include "engine/MemDbg.h"
#include "base/Types.h"
#include "ui/ScreenState.h"

class cMainMenuFrame;
class cSaveLoadFrame;  // ui/SaveScreens.h
class cZoomFrame;
class cQuickSaveFrame;
class cQuickNoticeFrame;

class cExitFrame;
class cItemMenuFrame;  // menu/ItemMenuFrame.h
class cEquipFrame;     // menu/EquipFrame.h
class cOfferFrame;     // menu/OfferFrame.h
class cEndingFrame;
class cEndFrame;
class cEnterFrame;
class cQuestFrame;
class cFormationFrame;
class cSettingsFrame;
class cSystemMenuFrame;
class cItemFrame;  // menu/ItemFrame.h
class cTestEndFrame;
class cTransformFrame;     // menu/TransformFrame.h
class cShopBuyMenuFrame;   // shop/ShopFront.h
class cShopBuyListFrame;   // shop/ShopBuyList.h
class cShopSellMenuFrame;  // shop/ShopFront.h
class cShopSellListFrame;  // shop/ShopSellList.h
class cEnhanceFrame;       // shop/EnhanceFrame.h
class cSkillFrame;         // menu/SkillFrame.h
class cSkillListFrame;     // menu/SkillListFrame.h

extern cMainMenuFrame* gMainMenuFrame;
extern cExitFrame* gExitFrame;
extern cItemMenuFrame* gItemMenuFrame;
extern cEquipFrame* gEquipFrame;
extern cOfferFrame* gOfferFrame;
extern cEndingFrame gEndingFrame;  // static: lives for the whole run
extern cEndFrame* gEndFrame;
extern cEnterFrame gEnterFrame;  // static
extern cSaveLoadFrame* gSaveLoadFrame;
extern cQuestFrame* gQuestFrame;
extern cFormationFrame* gFormationFrame;
extern cSettingsFrame* gSettingsFrame;
extern cSystemMenuFrame* gSystemMenuFrame;
extern cItemFrame* gItemFrame;
extern cZoomFrame* gZoomFrame;
extern cTestEndFrame* gTestEndFrame;
extern cTransformFrame* gTransformFrame;
extern cShopBuyMenuFrame* gShopBuyMenuFrame;
extern cShopBuyListFrame* gShopBuyListFrame;
extern cShopSellMenuFrame* gShopSellMenuFrame;
extern cShopSellListFrame* gShopSellListFrame;
extern cEnhanceFrame* gEnhanceFrame;
extern cSkillFrame* gSkillFrame;
extern cSkillListFrame* gSkillListFrame;
extern cQuickSaveFrame* gQuickSaveFrame;
extern cQuickNoticeFrame* gQuickNoticeFrame;
