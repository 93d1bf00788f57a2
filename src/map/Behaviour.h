// The behaviour programs of map people: the interpreter over the path database
// "path.dat" that runs one step of a role's program each frame.
#pragma once
#include <string>

#include "base/Types.h"
#include "map/BehaviourOps.h"

constexpr u32 kPathTableAt = 0x200;  // programs and labels count from here
constexpr u16 kMainBlockIds = 2000;  // script ids up to here lie in the main block
constexpr int kExtraBlockIds = 300;  // programs per extra block
constexpr int kOpsPerStep = 256;     // opcodes one step may run
constexpr int kSpeechMax = 256;      // bytes a speech text may hold
constexpr u16 kSelfRef = 0xFFF0;     // role operand: the running role

// Where script id n lives: block 0 is the main block, block k >= 1 extra block k - 1.
struct ScriptBlockRef {
    u32 block = 0;
    u32 local = 0;
};
// False for id 0 (no script).
bool SelectScriptBlock(u16 id, ScriptBlockRef* out);

// Block pointer and size of a program block; false when the block is missing.
bool GetProgramBlock(u32 block, const u8** data, u32* size);
// Selects role's block by its script id, points at block + 0x200 + label and sets
// the role's counter from it; 1 done, 0 when the label lies outside the program.
int GetScriptBlock(int role, u32 label, const u8** pointer);

// One step of role's program (the map scene calls it once a frame per role).
void RunRoleScript(int role);

// Faults found in programs (each reported once, when it ends the program).
struct BehaviourReport {
    u32 faults = 0;
};
extern BehaviourReport gBehaviourReport;
extern u32 gScriptTimeMark;

void ResetBehaviour();
