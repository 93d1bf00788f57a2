// Lookups in the behaviour-opcode table and the operand reader its signatures drive.
#include "map/BehaviourOps.h"

#include <algorithm>

#include "base/ByteIo.h"
#include "map/Behaviour.h"

const BehaviourOp* FindBehaviourOp(u32 op) {
    std::span<const BehaviourOp> table = BehaviourOpTable();
    if (op >= table.size() || !table[op].sig) return nullptr;
    return &table[op];
}

const BehaviourOp* FindBehaviourOpByName(std::string_view name) {
    for (const BehaviourOp& row : BehaviourOpTable())
        if (name == row.name) return &row;
    return nullptr;
}

BopDecode DecodeBehaviourOp(const BehaviourOp& op, const u8* p, u32 avail, BopArgs* args,
                            u32* missing) {
    BopArgs& a = *args;
    a = BopArgs{};
    u32 at = 2;      // bytes read, the opcode included
    u32 passed = 0;  // bytes of p operands, which the counter does not pass
    auto need = [&](u32 bytes) {
        if (at + bytes <= avail) return true;
        // The first word that does not fit is the one reported.
        u32 m = at;
        while (m + 2 <= avail) m += 2;
        *missing = m;
        return false;
    };
    auto put = [&](u32 v) {
        if (a.count < 4) a.v[a.count++] = v;
    };
    for (const char* s = op.sig; s && *s; ++s) {
        switch (*s) {
            case 'w':
            case 'r':
            case 'p':
            case 's': {
                if (!need(2)) return BopDecode::Short;
                u32 v = LoadU16(p + at);
                if (*s == 's') v = static_cast<u32>(static_cast<i32>(static_cast<i16>(v)));
                if (*s == 'p') passed += 2;
                put(v);
                at += 2;
                break;
            }
            case 'L':
                // Labels come last: one past the readable bytes matters only
                // when its jump is taken.
                if (!need(4)) {
                    a.whole = false;
                    a.cutAt = *missing;
                    a.words = a.advance = (at + 4 - passed) / 2;
                    return BopDecode::Partial;
                }
                put(LoadU32(p + at));
                at += 4;
                break;
            case 'F':
                a.list = p + at;
                for (;;) {
                    if (!need(2)) return BopDecode::Short;
                    u16 f = LoadU16(p + at);
                    at += 2;
                    if (f == kFlagListEnd) break;
                    ++a.listCount;
                }
                put(a.listCount);
                break;
            case 'R': {
                if (!need(2)) return BopDecode::Short;
                a.listCount = LoadU16(p + at);
                at += 2;
                a.list = p + at;
                put(a.listCount);
                if (at + 4 * a.listCount > avail) {
                    a.whole = false;
                    return BopDecode::Partial;
                }
                at += 4 * a.listCount;
                break;
            }
            case 'T': {
                // The mark may start at any byte; a text holds at most kSpeechMax bytes.
                u32 limit = std::min<u32>(avail, at + kSpeechMax + 2);
                u32 end = at;
                while (end + 1 < limit && !(p[end] == 0x25 && p[end + 1] == 0x51)) ++end;
                a.text = p + at;
                if (end + 1 >= limit) {
                    a.whole = false;
                    a.textLen = std::min<u32>(limit, at + kSpeechMax) - at;
                    return BopDecode::Partial;
                }
                a.textLen = end - at;
                at = end + 2 + ((end + 2) & 1);
                put(a.textLen);
                break;
            }
            default:
                *missing = at;
                return BopDecode::Short;
        }
    }
    a.words = at / 2;
    a.advance = (at - passed) / 2;
    return BopDecode::Ok;
}
