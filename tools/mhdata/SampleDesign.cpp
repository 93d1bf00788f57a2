// The sample design's names as the talks' source writes them.
#include "mhdata/SampleDesign.h"

#include <cctype>

const std::map<std::string, i64>& SampleDesignNames() {
#define MH_NAMED(n) \
    { #n, n }
    static const std::map<std::string, i64> names = {
        MH_NAMED(kSampleOpeningTalk),
        MH_NAMED(kSampleQuestionTalk),
        MH_NAMED(kSampleSpotTalk),
        MH_NAMED(kSampleCountdownTalk),
        MH_NAMED(kSampleCountdownEndTalk),
        MH_NAMED(kSampleVariablesTalk),
        MH_NAMED(kSampleRewardTalk),
        MH_NAMED(kSampleShopTalk),
        MH_NAMED(kSampleBattleTalk),
        MH_NAMED(kSampleRoomTalk),
        MH_NAMED(kSampleMusicTalk),
        MH_NAMED(kSampleViewTalk),
        MH_NAMED(kSampleSignTalk),
        MH_NAMED(kSampleWorldTownTalk),
        MH_NAMED(kSampleWorldLighthouseTalk),
        MH_NAMED(kSampleCollectorTalk),
        MH_NAMED(kSampleGoodsTalk),
        MH_NAMED(kSamplePortraitTalk),
        MH_NAMED(kSampleKeeperTalk),
        MH_NAMED(kSampleStoreTalk),
        MH_NAMED(kSampleMeadowTalk),
        MH_NAMED(kSampleMeadowExitTalk),
        MH_NAMED(kSampleGuardTalk),
        MH_NAMED(kSampleLighthouseExitTalk),
        MH_NAMED(kSampleWalkTalk),
        MH_NAMED(kSampleGroupWalkTalk),
        MH_NAMED(kSampleSmithShop),
        MH_NAMED(kSampleStoreShop),
        MH_NAMED(kSampleKeeperQuest),
        MH_NAMED(kSamplePiratesQuest),
        MH_NAMED(kSampleBountyQuest),
        MH_NAMED(kSampleYesFlag),
        MH_NAMED(kSampleNoFlag),
        MH_NAMED(kSampleSpotFlag),
        MH_NAMED(kSampleBranchFlag),
        MH_NAMED(kSampleRoomFlag),
        MH_NAMED(kSampleViewFlag),
        MH_NAMED(kSamplePortraitFlag),
        MH_NAMED(kSampleWalkFlag),
        MH_NAMED(kSampleGroupWalkFlag),
        MH_NAMED(kSampleCollectorFlag),
        MH_NAMED(kSampleBountyFlag),
        MH_NAMED(kSampleBountyPaidFlag),
        MH_NAMED(kSamplePiratesFlag),
        MH_NAMED(kSampleRaidFlag),
        MH_NAMED(kSampleEarnedFormFlag),
        MH_NAMED(kSampleSurviveLossFlag),
    };
#undef MH_NAMED
    return names;
}

std::string WithDesignNumbers(const std::string& named) {
    const auto& names = SampleDesignNames();
    std::string out;
    for (size_t i = 0; i < named.size();) {
        const size_t at = named.find("kSample", i);
        out.append(named, i, at == std::string::npos ? std::string::npos : at - i);
        if (at == std::string::npos) break;
        size_t end = at;
        while (end < named.size() && std::isalnum(static_cast<unsigned char>(named[end]))) ++end;
        const std::string word = named.substr(at, end - at);
        const auto it = names.find(word);
        out += it == names.end() ? word : std::to_string(it->second);
        i = end;
    }
    return out;
}
