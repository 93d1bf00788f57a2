// The sample game's talks: the opening, the thread of the short adventure (the
// lighthouse keeper's question, the pirate captain's raid that the party loses
// and survives, the thunder god's form earned, the pirates on the pier and
// their ship's video, then the ending and the end screen), the ways onto and
// off the meadow, the town's people (a question whose answers set different
// flags, the harbour master's bounty, the guard who points the way), the old
// stone, a shop and a visit to the room and back. Talks no map of the
// adventure leads to, for the engine's own checks: a countdown, variables and
// branches, music and a sound, a look along the harbour, a portrait beside a
// box, a person who walks a route and a group walk of three.
#include "mhdata/SampleTalks.h"

#include <fstream>
#include <vector>

#include "platform/Fault.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleShop.h"
#include "mhdata/StoryAsm.h"

std::string SampleTalkSource() {
    return WithDesignNumbers(R"(# Talk1.dat of the sample game
talk kSampleOpeningTalk
    # The new game's opening, then the party and its goods.
    Say 0xFFF1 "月港的早晨，海風吹來。%N聽說燈塔的守塔人在找幫手。"
    WaitSpeaker 0xFFF1
    AddQuest kSampleKeeperQuest 0
    GoTalk 17

talk kSampleQuestionTalk
    # A person with a question.
    JumpIfFlag kSampleYesFlag @asked
    Say 0xFFF0 "年輕人，可以幫我搬貨嗎？%N%B是%N%B否"
    WaitSpeaker 0xFFF0
    JumpByAnswer @yes @no
yes:
    SetFlag kSampleYesFlag
    AddL 0 100
    Say 0xFFF0 "太好了，謝謝你！"
    WaitSpeaker 0xFFF0
    End
no:
    SetFlag kSampleNoFlag
    Say 0xFFF0 "這樣啊……"
    WaitSpeaker 0xFFF0
    End
asked:
    Say 0xFFF0 "上次多謝你了。"
    WaitSpeaker 0xFFF0
    End

talk kSampleSpotTalk
    # A map spot: the old stone by the harbour. The talk lasts as long as its
    # words: one that ended at once would start again every frame while the
    # player walks on into the stone, and pile up its boxes.
    SetFlag kSampleSpotFlag
    Say 0xFFFD "一塊古老的石碑。"
    WaitSpeaker 0xFFFD
    BoxTime 20
    Show 0xFFFD "上面刻著模糊的字。"
    WaitSpeaker 0xFFFD
    End

talk kSampleCountdownTalk
    # Ninety seconds to reach the lighthouse.
    Countdown 1 30 5
    Say 0xFFF1 "要在一分半之內趕到燈塔！"
    WaitSpeaker 0xFFF1
    End

talk kSampleCountdownEndTalk
    Say 0xFFF1 "來不及了……"
    WaitSpeaker 0xFFF1
    End

talk kSampleVariablesTalk
    # Variables and branches, behind the harbour's tally board.
    BoxTime 10
    Show 0xFFFD "帳板上記著今天的貨。"
    WaitSpeaker 0xFFFD
    Set 10 5
    Add 10 3
    JumpIfAtLeast 10 8 @big
    End
big:
    SubL 10 10
    JumpIfAtMost 10 0 @zero
    End
zero:
    JumpIfAllFlags kSampleYesFlag kSampleSpotFlag @both
    End
both:
    SetFlag kSampleBranchFlag
    End

talk kSampleRewardTalk
    # The harbour master: a bounty on the pirates (a quest of its own), paid
    # once they have left the pier, and only once.
    SetAction 0xFFF0 1
    SetDir 0xFFF0 1
    JumpIfFlag kSampleBountyPaidFlag @paid
    JumpIfFlag kSamplePiratesFlag @pay
    JumpIfFlag kSampleBountyFlag @posted
    Say 0xFFF0 "海盜佔了碼頭，船都進不了港。%N趕走他們，我付你賞金。"
    WaitSpeaker 0xFFF0
    SetFlag kSampleBountyFlag
    AddQuest kSampleBountyQuest 0
    End
posted:
    Say 0xFFF0 "海盜還在碼頭上。%N趕走他們，賞金就是你的。"
    WaitSpeaker 0xFFF0
    End
pay:
    Say 0xFFF0 "海盜走了！這是你的賞金。"
    WaitSpeaker 0xFFF0
    AddItem 1 2
    AddItem 300 1
    AddL 0 50
    RemoveQuest kSampleBountyQuest
    SetFlag kSampleBountyPaidFlag
    End
paid:
    Say 0xFFF0 "多虧了你，船又能進港了。"
    WaitSpeaker 0xFFF0
    End

talk kSampleShopTalk
    # The smithy's shop.
    Say 0xFFF0 "歡迎光臨！"
    WaitSpeaker 0xFFF0
    Shop kSampleSmithShop
    End

talk kSampleBattleTalk
    # A fight on the pier: battle 1, the harbour master stays out of sight meanwhile.
    # The pirates wait for their captain's raid on the lighthouse; until then
    # the pier only points the way there. The pirates are beaten once none of
    # them is left on the field, struck down, captured or run off, and the
    # fight's gold says nothing of that. Flag 322 is set for the fight: a
    # victory clears it, while the party's flight, which it makes a lost
    # fight, and a lost fight leave it set, the party up again and the pirates
    # on the pier. After a victory the player heads out of town to the
    # lighthouse.
    JumpIfFlag kSamplePiratesFlag @calm
    JumpIfFlag kSampleRaidFlag @pirates
    Say 0xFFF1 "碼頭上停著一艘黑帆的船……%N先出城去燈塔找守塔人吧。"
    WaitSpeaker 0xFFF1
    End
pirates:
    Say 0xFFF1 "有海盜！"
    WaitSpeaker 0xFFF1
    SetFlag kSampleSurviveLossFlag
    Battle 1 0 0 0 0 0 0 0 0 0 0
    JumpIfFlag kSampleSurviveLossFlag @fled
    SetFlag kSamplePiratesFlag
    RemoveQuest kSamplePiratesQuest
    # The pirates' ship sails away.
    Video "MH SAILING.BIK"
    ReopenMap
    # The harbour's pictures (sea, wall, lighthouse beam) from the game's own
    # Video folder: since the video started, the shows come from there.
    PictureShow "harbour.pak"
    WaitPictureShow
    Say 0xFFF1 "海盜逃走了！%N出城去燈塔告訴守塔人吧。"
    WaitSpeaker 0xFFF1
    ChangeMap 2 30 20 0xFFFF 0xFFFF 0xFFFF
    End
calm:
    Say 0xFFF1 "碼頭又恢復了平靜。"
    WaitSpeaker 0xFFF1
    End
fled:
    ClearFlag kSampleSurviveLossFlag
    Say 0xFFF1 "海盜還佔著碼頭……%N準備好了再來。"
    WaitSpeaker 0xFFF1
    End

talk kSampleRoomTalk
    # Into the harbour master's room behind a fade; the words stay until they
    # have been shown their time, then a fade leads back out.
    FadeChangeMap 3 4 5 0xFFFF 0xFFFF 0xFFFF
    BoxTime 30
    Show 0xFFFD "屋裡堆滿了海圖。"
    WaitSpeaker 0xFFFD
    SetFlag kSampleRoomFlag
    # Out in front of the door, below the house's south wall.
    FadeChangeMap 1 34 19 0xFFFF 0xFFFF 0xFFFF
    End

talk kSampleMusicTalk
    # The tavern's song and a bell.
    Music 3 0 1
    Sound 1
    BoxTime 10
    Show 0xFFFD "酒館傳來歌聲。"
    StopSound 1
    End

talk kSampleViewTalk
    # A look along the harbour: the view scrolls away and back, the sky darkens.
    FixView
    ScrollBy 4 0 4
    WaitScroll
    ColorFade 0 0 0 -1 -1 0 10
    WaitColorFade
    ScrollBy -4 0 8
    WaitScroll
    StopColorFade
    FollowView
    SetFlag kSampleViewFlag
    End

talk kSampleSignTalk
    # The signpost on the west road: out to the world map.
    ChangeMap 2 30 20 0xFFFF 0xFFFF 0xFFFF
    End

talk kSampleWorldTownTalk
    # Back into the town from its mark on the world map.
    ChangeMap 1 7 10 0xFFFF 0xFFFF 0xFFFF
    End

talk kSampleWorldLighthouseTalk
    # To the lighthouse from its mark on the world map, facing its keeper.
    ChangeMap 5 15 15 0xFFFF 0xFFFF 0
    End

talk kSampleMeadowTalk
    # Onto the meadow from its mark on the world map, facing its way back.
    ChangeMap 6 20 15 0xFFFF 0xFFFF 0
    End

talk kSampleMeadowExitTalk
    # The meadow's way back to the world map, beside its mark.
    ChangeMap 2 19 35 0xFFFF 0xFFFF 0xFFFF
    End

talk kSampleLighthouseExitTalk
    # The lighthouse's way back to the world map, beside its mark; the
    # keeper asks again when the player comes back.
    ChangeMap 2 19 15 0xFFFF 0xFFFF 0xFFFF
    End

talk kSampleKeeperTalk
    # The lighthouse keeper: a question, the pirate captain's raid that the
    # party cannot win (flag 322 keeps the game going after the defeat), the
    # legend of the thunder god and his form earned; once the pirates
    # have left the pier, the ending and the end screen.
    JumpIfFlag kSamplePiratesFlag @thanks
    JumpIfFlag kSampleRaidFlag @again
    Say 0xFFF0 "你是來幫忙的人嗎？%N%B是%N%B否"
    WaitSpeaker 0xFFF0
    JumpByAnswer @help @later
later:
    Say 0xFFF0 "準備好了再來找我。"
    WaitSpeaker 0xFFF0
    End
help:
    Say 0xFFF0 "小心！海盜船長殺過來了！"
    WaitSpeaker 0xFFF0
    SetFlag kSampleSurviveLossFlag
    Battle 14 0 0 0 0 0 0 0 0 0 0
    ClearFlag kSampleSurviveLossFlag
    SetFlag kSampleRaidFlag
    FullRestore -1 1
    Say 0xFFF0 "船長太強了……%N聽我說雷神的傳說。"
    WaitSpeaker 0xFFF0
    # The legend: the sky darkens while the keeper tells it.
    ColorFade 0 0 0 -1 -1 0 10
    WaitColorFade
    Say 0xFFF0 "很久以前，雷神守護著月港。%N獻上怪物，祂的力量就會增長。"
    WaitSpeaker 0xFFF0
    StopColorFade
    SetFlag kSampleEarnedFormFlag
    AddMonster 1 2
    RemoveQuest kSampleKeeperQuest
    AddQuest kSamplePiratesQuest 0
    Say 0xFFF0 "雷神願意幫你。把怪物獻給祂，%N在戰鬥中化身為雷神吧！"
    WaitSpeaker 0xFFF0
    # How the form is taken in battle, in the default (waiting) battle mode.
    Say 0xFFF0 "戰鬥中讓伙伴們選「待」等著，%N大家的行動條全滿時，希爾就能選「變」。"
    WaitSpeaker 0xFFF0
again:
    Say 0xFFF0 "船長的手下還在碼頭。%N我划船送你到碼頭。"
    WaitSpeaker 0xFFF0
    # In front of the pier's spot on the street, facing it.
    FadeChangeMap 1 16 7 0xFFFF 0xFFFF 0
    End
thanks:
    Say 0xFFF0 "海盜走了，燈塔的光%N又能照亮月港。謝謝你！"
    WaitSpeaker 0xFFF0
    ShowEnding 1 4 4 4 4
    # The ending runs as a screen over the map; the talk goes on after it
    # with the end screen, which stays while the town's tune plays once (or
    # until confirm) and leads back to the title.
    Wait 1
    Music 2 0 1
    DemoEnd
    End

talk kSampleGuardTalk
    # The guard on the square points the way to the lighthouse.
    JumpIfFlag kSamplePiratesFlag @safe
    Say 0xFFF0 "守塔人住在城外的燈塔。%N從大街西邊的路標出城。"
    WaitSpeaker 0xFFF0
    End
safe:
    Say 0xFFF0 "碼頭又安全了。"
    WaitSpeaker 0xFFF0
    End

talk kSamplePortraitTalk
    # A portrait slides in beside the words and leaves after them.
    AddRoleHead 20 0 100 300
    BoxTime 20
    Show 0xFFFD "港務長看著你。"
    Wait 1000
    DismissRoleHead 20 0
    SetFlag kSamplePortraitFlag
    End

talk kSampleWalkTalk
    # The fisherman walks down the pier to the water and comes back.
    WalkTo 100 16 34
there:
    WalkStep 100
    JumpIfWalking 100 @there
    EndWalk 100
    WalkTo 100 12 30
back:
    WalkStep 100
    JumpIfWalking 100 @back
    EndWalk 100
    SetFlag kSampleWalkFlag
    End

talk kSampleGroupWalkTalk
    # Three walk to the harbour together: the player, the fisherman and the looker.
    GroupWalk 0xFFF1 14 10  100 18 30  101 27 25
    SetFlag kSampleGroupWalkFlag
    End
)");
}

bool WriteSampleTalks(const std::string& root, std::string* error) {
    std::vector<u8> bytes;
    std::string why;
    std::string source = SampleTalkSource() + SampleMenuTalkSource() + SampleShopTalkSource();
    if (!AssembleTalkFile(source, &bytes, &why)) {
        *error = "sample talks: " + why;
        return false;
    }
    std::string path = root + "/MH_Data/Talk1.dat";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) *error = NotWrittenText(path);
    return static_cast<bool>(out);
}
