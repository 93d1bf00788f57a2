// The one table of behaviour-program opcodes: opcode, name, operand signature
// and handler. The signature gives each instruction's length and how far the
// counter moves past it; it drives the interpreter's dispatch and the assembler
// and disassembler of the tools.
#pragma once
#include <span>
#include <string_view>

#include "base/Types.h"

// Opcode numbers of the behaviour programs.
namespace bop {
constexpr u16 kRestart = 0, kEnd = 1, kAction = 2, kDirection = 3, kSetWait = 4, kWait = 5,
              kWaitAnim = 6, kRouteTo = 7, kWalk = 8, kUntilTime = 9, kIfTime = 10, kSetTime = 11,
              kJump = 12, kIfFlag = 13, kIfNotFlag = 14, kIfAllFlags = 15, kIfAnyFlag = 16,
              kSetFlag = 17, kClearFlag = 18, kSetVar = 19, kAddVar = 20, kSubVar = 21,
              kIfVarGe = 22, kIfVarLe = 23, kGiveScript = 24, kIfMarkPast = 25, kMarkTime = 26,
              kHide = 27, kShow = 28, kPlace = 29, kWander = 30, kLook = 31, kSound = 32,
              kWalkToRole = 33, kSpeech = 34, kNoSpeech = 35, kWalkNearRole = 36, kIfNear = 37,
              kRandomJump = 38, kSetValue = 39, kAddValue = 40, kIfValueGe = 41, kIfValueLe = 42,
              kIfValueEq = 43, kValueTable = 44, kIfFar = 45, kStop = 46, kAttach = 47,
              kDetach = 48, kMove = 49;
constexpr u16 kCount = 50;
}  // namespace bop

constexpr u16 kFlagListEnd = 0xFFFF;

// Operand signature letters, one per operand in program order:
//   w a word, s a signed word, r a role id (0xFFF0 the running role),
//   p a word that the counter does not pass: it is read again as the next opcode,
//   L a label (u32, low word first), F flag words ended by 0xFFFF,
//   R a count then that many labels, T a text up to the byte pair "%Q" (at most
//   kSpeechMax bytes before it), padded to a whole word.
// A row without a signature has no working form: the word is no opcode.
struct BopArgs {
    u32 words = 0;    // words of the instruction, the opcode included
    u32 advance = 0;  // words the counter moves past it (p operands are not passed)
    u32 v[4] = {};    // operands in order (s sign-extended); F, R and T take a slot too
    int count = 0;
    const u8* list = nullptr;  // F: the first flag word; R: the first label
    u32 listCount = 0;
    const u8* text = nullptr;  // T: the first byte of the text
    u32 textLen = 0;
    bool whole = true;  // false: a label, a text or a label table runs past what can be read
    u32 cutAt = 0;      // a cut label: byte offset of its first unreadable word
};

// What a handler tells the run loop.
enum class BopNext {
    Continue,  // the counter moves past the instruction; the next opcode runs in this step
    Yield,     // the counter moves past the instruction; the step ends
    Stay,      // the counter stays; the instruction runs again next frame
    Jumped,    // the handler set the counter; the step ends
    JumpedOn,  // the handler set the counter; the step goes on there
    Ended,     // the program ended (or faulted)
};

class BehaviourStep;
using BopHandler = BopNext (*)(BehaviourStep& s, const BopArgs& a);

struct BehaviourOp {
    u16 op;
    const char* name;
    const char* sig;  // null: no working form
    BopHandler handler;
};

std::span<const BehaviourOp> BehaviourOpTable();
// The row of an opcode that runs, or null for a word that is no opcode.
const BehaviourOp* FindBehaviourOp(u32 op);
const BehaviourOp* FindBehaviourOpByName(std::string_view name);

enum class BopDecode { Ok, Short, Partial };
// Reads the operands of op's instruction at p (avail bytes readable). Short when
// a word lies past them (*missing: its byte offset from p). Partial when a label
// or a label table is cut short or a text has no end mark within reach: the args
// hold what fits, and the handler, which needs the rest only on some paths (a
// jump taken, a label drawn), faults when it must.
BopDecode DecodeBehaviourOp(const BehaviourOp& op, const u8* p, u32 avail, BopArgs* args,
                            u32* missing);
