// Behaviour programs: one case per opcode over a small grid, the program faults
// that end a program with one report, and the assembler and disassembler.
#include "MapTestSupport.h"

namespace {

class Behaviour : public ::testing::Test {
protected:
    void SetUp() override {
        gMapRoleCount = 1;
        gPlayerSlot = AddRole(1, 2, 2, 0);
        gPlayerId = 1;
        // Records for the role-value and hide/show cases.
        records_.assign(3 * kRecordBytes + 2, 0);
        for (int r = 0; r < 2; ++r) StoreU16(records_.data() + r * kRecordBytes + 2, 50 + r);
        StoreU16(records_.data() + 2 * kRecordBytes, 0xFFFF);
        BindRoleRecords(records_.data(), records_.size());
    }
    void TearDown() override {
        gPathDatabase = nullptr;
        gPathDatabaseSize = 0;
        gRoleRecords = nullptr;
        gRoleRecordCount = 0;
    }

    void Load(const std::string& src) {
        std::vector<u8> bytes;
        std::string err;
        ASSERT_TRUE(AssemblePath(src, &bytes, &err)) << err;
        LoadBytes(std::move(bytes));
    }
    void LoadBytes(std::vector<u8> bytes) {
        path_ = std::move(bytes);
        gPathDatabase = path_.data();
        gPathDatabaseSize = static_cast<u32>(path_.size());
    }
    // A shown role at cell (cx, cy) standing still facing down.
    int AddRole(u16 id, int cx, int cy, u16 script) {
        RoleSlot& s = PutRole(gMapRoleCount, id, cx * 16, cy * 16);
        s.act->act = s.act->action = 0;
        s.act->dir = 1;
        s.scriptId = script;
        MarkRoleFootprint(&s);
        return gMapRoleCount - 1;
    }
    // A clean start: the player at (2, 2) and role 7 at (5, 5) running program 1 of src.
    int Fresh(const std::string& src) {
        ResetGameFlags();
        ResetBehaviour();
        ZeroScriptVariables();
        ClearRouteRecords();
        gGameTime = 0;
        ClearRoleTable();
        gMapRoleCount = 1;
        for (u32& c : grid.cells) c = 0;
        gPlayerSlot = AddRole(1, 2, 2, 0);
        int role = AddRole(7, 5, 5, 1);
        Load(src);
        return role;
    }
    // The scene's order: programs, then movement.
    void Frames(int n) {
        for (int k = 0; k < n; ++k) {
            UpdateRoles();
            UpdateMapScene();
        }
    }

    Harness h;
    GridMap grid{20, 15};
    std::vector<u8> path_, records_;
};

// The grid of the running case, for the checks.
GridMap* gCaseGrid = nullptr;
// Whether a role marks cell (x, y).
bool Marked(u32 x, u32 y) {
    return gCaseGrid->at(x, y) & kCellRole;
}

RoleSlot& R(int i) {
    return gMapRoles[i];
}
// A role's position in pixels.
std::pair<int, int> Px(const RoleSlot& s) {
    return {s.x, s.y};
}

constexpr int kAny = -1;

struct OpCase {
    std::string name;
    std::string source;  // program 1 runs on role 7 at cell (5, 5)
    int frames;
    std::function<void()> before;
    int flag100;  // whether flag 100 ends set, or kAny
    int pc;       // the program counter at the end, or kAny
    std::function<void(RoleSlot&)> check;
};

// Checks a value unless the case leaves it at kAny.
void Expect(int want, long got, const char* what) {
    if (want == kAny) return;
    EXPECT_EQ(got, want) << what;
}

const OpCase kCases[] = {
    {"0 restart", "program 1\n setflag 100\n restart\n", 3, nullptr, 1, 0, nullptr},
    {"1 end", "program 1\n end\n setflag 100\n", 2, nullptr, 0, kAny,
     [](RoleSlot& s) { EXPECT_EQ(s.scriptId, 0); }},
    {"2 action", "program 1\n action 8\n stop\n", 1, nullptr, kAny, 2,
     [](RoleSlot& s) { EXPECT_EQ(s.act->action, 8); }},
    {"3 direction", "program 1\n dir 6\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(s.act->dir, 6); }},
    {"4 5 wait counts frames", "program 1\n setwait 3\n wait\n setflag 100\n stop\n", 4, nullptr, 0,
     kAny, [](RoleSlot& s) { EXPECT_EQ(s.wait, 0); }},
    {"4 5 wait then goes on", "program 1\n setwait 3\n wait\n setflag 100\n stop\n", 6, nullptr, 1,
     kAny, nullptr},
    {"6 wait with animation", "program 1\n setwait 2\n waitanim\n setflag 100\n stop\n", 4, nullptr,
     1, kAny, nullptr},
    {"7 8 route and walk", "program 1\n route 9 5\n walk\n setflag 100\n stop\n", 12, nullptr, 1,
     kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(Px(s), Marked(9, 5), Marked(5, 5)),
                   std::tuple(std::pair(9 * 16, 5 * 16), true, false));
     }},
    {"9 until play time", "program 1\n until 10\n setflag 100\n stop\n", 2, [] { gGameTime = 9; },
     0, kAny, nullptr},
    {"9 passes at the time", "program 1\n until 10\n setflag 100\n stop\n", 1,
     [] { gGameTime = 10; }, 1, kAny, nullptr},
    // 17 = set flag, with the word 100 as its operand.
    {"11 reads its operand as the next opcode", "program 1\n settime 17\n word 100\n stop\n", 1,
     nullptr, 1, kAny, [](RoleSlot&) { EXPECT_EQ(gGameTime, 17u); }},
    {"11 above 1000 is 0", "program 1\n settime 1001\n stop\n", 1, [] { gGameTime = 5; }, kAny,
     kAny, [](RoleSlot&) { EXPECT_EQ(gGameTime, 0u); }},
    {"17 18 flags; beyond the table ignored",
     "program 1\n setflag 60\n clearflag 61\n setflag 9000\n stop\n", 1, [] { SetGameFlag(61); },
     kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(GetGameFlag(60), GetGameFlag(61), GetGameFlag(9000)),
                   std::tuple(1, 0, 0));
     }},
    {"19 20 21 variables",
     "program 1\n setvar 6 990\n addvar 6 20\n setvar 7 3\n subvar 7 9\n setvar 300 1\n stop\n", 1,
     nullptr, kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(gScriptVars[6], gScriptVars[7]), std::tuple(1000u, 0u));
     }},
    {"22 23 variable tests",
     "program 1\n ifvarge 5 10 @a\n setflag 101\n stop\na:\n ifvarle 5 9 @b\n setflag 100\n "
     "stop\nb:\n setflag 102\n stop\n",
     3, [] { gScriptVars[5] = 10; }, 1, kAny,
     [](RoleSlot&) { EXPECT_FALSE(GetGameFlag(101) || GetGameFlag(102)); }},
    // 256 opcodes, then the step yields.
    {"24 a jump to itself cannot hang a frame", "program 1\ntop:\n give self 1\n", 1, nullptr, kAny,
     kAny, [](RoleSlot& s) { EXPECT_EQ(s.scriptId, 1); }},
    {"24 self continues in the new program",
     "program 1\n give self 2\n setflag 101\nprogram 2\n setflag 100\n stop\n", 1, nullptr, 1, kAny,
     [](RoleSlot& s) { EXPECT_EQ(std::tuple(s.scriptId, GetGameFlag(101)), std::tuple(2, 0)); }},
    {"25 26 time mark", "program 1\n mark\n ifmark 3 @a\n stop\na:\n setflag 100\n stop\n", 1,
     [] { gGameTime = 4; }, 0, kAny, [](RoleSlot&) { EXPECT_EQ(gScriptTimeMark, 4u); }},
    {"27 hide", "program 1\n hide self\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(s.state & 0xC000, Marked(5, 5)), std::tuple(0u, false));
     }},
    {"27 28 hide and show an absent role's record", "program 1\n show 51\n hide 50\n stop\n", 1,
     [] { SetRecordWord(0, 10, 0x8000); }, kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(RecordWord(0, 10), RecordWord(1, 10)), std::tuple(0, 0x8000));
     }},
    {"29 place, clamped to the map", "program 1\n place 40 3\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(Px(s), Marked(19, 3)), std::tuple(std::pair(19 * 16, 3 * 16), true));
     }},
    {"30 wander keeps its counter", "program 1\n wander\n", 3, nullptr, kAny, 0, nullptr},
    {"31 look keeps 0xFFFF", "program 1\n look 0xFFFF 3 7\n stop\n", 1, nullptr, kAny, 4,
     [](RoleSlot& s) { EXPECT_EQ(std::tuple(s.act->action, s.act->dir), std::tuple(3, 7)); }},
    {"32 sound yields", "program 1\n sound 4\n setflag 100\n stop\n", 1, nullptr, 0, 2, nullptr},
    {"33 walks to a role", "program 1\n walkto 1\n walk\n stop\n", 30, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(Px(s), std::pair(2 * 16, 2 * 16)); }},
    {"33 an unknown role skips 2 and yields", "program 1\n walkto 999\n setflag 100\n stop\n", 1,
     nullptr, 0, 2, nullptr},
    {"34 35 speech text", "program 1\n say 12 \"hi!\"\n setflag 100\n stop\n", 1, nullptr, kAny, 5,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(std::string(s.text ? s.text : "(none)"), s.textColour),
                   std::tuple("hi!", 0));
     }},
    {"35 frees the text", "program 1\n say 3 \"ab\"\n nosay\n stop\n", 2, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(std::tuple(s.text, s.textColour), std::tuple(nullptr, 0)); }},
    {"36 walks beside a role by its facing", "program 1\n walknear 1 0 1\n stop\n", 1,
     [] { R(gPlayerSlot).act->dir = 3; },  // facing right: (q, -p) = (1, 0)
     kAny, kAny,
     [](RoleSlot&) {
         const RoleRoute* r = FindRoleRoute(2, kRouteBehaviour);
         ASSERT_NE(r, nullptr);
         EXPECT_EQ(std::tuple(r->targetX, r->targetY), std::tuple(3 * 16, 2 * 16));
     }},
    {"37 self is no role id", "program 1\n ifnear self 4 @a\n stop\na:\n stop\n", 1, nullptr, kAny,
     2, nullptr},
    {"38 with 0 does nothing", "program 1\n word 38 0\n setflag 100\n stop\n", 2, nullptr, 1, kAny,
     [](RoleSlot& s) { EXPECT_EQ(s.scriptId, 1); }},
    {"39 40 role values", "program 1\n setval 50 1 7\n addval 50 1 5\n setval 51 2 300\n stop\n", 1,
     nullptr, kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(RecordByte(0, 24), RecordByte(1, 25)), std::tuple(12, 300 & 0xFF));
     }},
    {"41 42 43 role-value tests",
     "program 1\n ifvalge 50 1 3 @a\n stop\na:\n ifvalle 50 1 2 @b\n ifvaleq 50 1 3 @c\n "
     "stop\nb:\n stop\nc:\n setflag 100\n stop\n",
     4, [] { SetRecordByte(0, 24, 3); }, 1, kAny, nullptr},
    {"44 restarts, at the start removes the role", "program 1\n word 44\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(s.state & kRoleShown, Marked(5, 5), s.extra2),
                   std::tuple(0u, false, 0x80));
     }},
    {"46 stays", "program 1\n stop\n", 3, nullptr, kAny, 0, nullptr},
    {"47 48 attach and detach", "program 1\n attach 3\n detach\n stop\n", 2, nullptr, kAny, 3,
     [](RoleSlot& s) { EXPECT_EQ(s.second, nullptr); }},
    {"49 move, clamped", "program 1\n move -9 2\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(Px(s), std::pair(0, 7 * 16)); }},
    {"an opcode above 49 inside restarts", "program 1\n setwait 1\n wait\n word 77\n", 3, nullptr,
     kAny, 2,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(s.wait, s.state & kRoleShown), std::tuple(0, kRoleShown));
     }},
};

// Each test jumps to the label that sets flag 100 or falls through to set 101.
struct JumpTest {
    const char* test;
    void (*before)();
    bool jumps;
};

// The player three cells left and four up: 80 pixels away, five cells exactly.
void PlayerNear() {
    R(gPlayerSlot).x = 2 * 16, R(gPlayerSlot).y = 1 * 16;
}

const JumpTest kJumps[] = {
    {"jump", nullptr, true},
    {"iftime 5", [] { gGameTime = 5; }, true},
    {"ifflag 50", [] { SetGameFlag(50); }, true},
    {"ifnotflag 50", [] { SetGameFlag(50); }, false},
    {"ifall 50 51", [] { SetGameFlag(50); }, false},
    {"ifall", nullptr, true},
    {"ifany 50 51", [] { SetGameFlag(51); }, true},
    {"ifany", nullptr, false},
    {"ifnear 1 5", nullptr, true},
    {"iffar 1 2", nullptr, true},
    {"ifnear 1 5", PlayerNear, true},
    {"ifnear 1 4", PlayerNear, false},
    {"iffar 1 5", PlayerNear, false},
    {"random", nullptr, true},
};

// The cases of the table and one per jump test.
std::vector<OpCase> AllCases() {
    std::vector<OpCase> all(std::begin(kCases), std::end(kCases));
    for (const JumpTest& j : kJumps) {
        std::string src = std::string("program 1\n ") + j.test;
        bool jumps = j.jumps;
        all.push_back({j.test, src + " @a\n setflag 101\n stop\na:\n setflag 100\n stop\n", 2,
                       j.before, jumps, kAny,
                       [jumps](RoleSlot&) { EXPECT_EQ(GetGameFlag(101) != 0, !jumps); }});
    }
    return all;
}

// The opcodes a program's words run through the table (a word that is no
// opcode counts as one word).
std::set<u16> OpcodesOf(const std::vector<u8>& file) {
    std::set<u16> ops;
    u32 at = kPathTableAt + 4 * (kMainBlockIds + 1);
    while (at + 2 <= file.size()) {
        u16 op = LoadU16(file.data() + at);
        ops.insert(op);
        const BehaviourOp* row = FindBehaviourOp(op);
        BopArgs a;
        u32 missing = 0;
        bool whole =
            row && DecodeBehaviourOp(*row, file.data() + at, static_cast<u32>(file.size() - at), &a,
                                     &missing) == BopDecode::Ok;
        at += whole ? 2 * a.words : 2;
    }
    return ops;
}

TEST_F(Behaviour, EveryOpcode) {
    gCaseGrid = &grid;
    std::set<u16> driven;
    for (const OpCase& c : AllCases()) {
        SCOPED_TRACE(c.name);
        int role = Fresh(c.source);
        std::set<u16> ops = OpcodesOf(path_);
        driven.insert(ops.begin(), ops.end());
        if (c.before) c.before();
        Frames(c.frames);
        Expect(c.flag100, GetGameFlag(100) != 0, "flag 100");
        Expect(c.pc, R(role).pc, "program counter");
        if (c.check) c.check(R(role));
        EXPECT_EQ(gBehaviourReport.faults, 0u) << LastDataError().Message();
    }
    gCaseGrid = nullptr;
    // Every row of the table, the one without a working form too, has a case.
    for (const BehaviourOp& row : BehaviourOpTable())
        EXPECT_TRUE(driven.count(row.op)) << row.name << " has no case";
}

}  // namespace

TEST_F(Behaviour, FaultsEndTheProgramWithOneReport) {
    const struct {
        const char* name;
        const char* source;  // none: a table too short to hold program 1
        u16 script;
        std::function<void(std::vector<u8>&)> spoil;
    } cases[] = {
        {"odd label", "program 1\n jump @0x1F47\n", 1, nullptr},
        {"label past the file", "program 1\n jump @0x7FFFFFF0\n", 1, nullptr},
        {"label before the program", "program 1\n stop\nprogram 2\n jump @0\n", 2, nullptr},
        // A route with one word of two.
        {"program longer than the file", "program 1\n word 7 3\n", 1, nullptr},
        {"text without its mark", "program 1\n say 1 \"abc\"\n", 1,
         [](std::vector<u8>& b) {
             b.resize(b.size() - 4);  // cut the mark and the padding away
             b.insert(b.end(), 300, 'x');
         }},
        {"offset past the file", "program 1\n stop\n", 1,
         [](std::vector<u8>& b) { StoreU32(b.data() + kPathTableAt + 4, 0x00FFFFFF); }},
        {"table shorter than the id", nullptr, 1, nullptr},
        // Our data have no extra blocks.
        {"an extra block's id", "program 1\n stop\n", 2301, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetBehaviour();
        std::vector<u8> bytes(kPathTableAt + 2, 0);
        std::string err;
        ASSERT_TRUE(!c.source || AssemblePath(c.source, &bytes, &err)) << err;
        if (c.spoil) c.spoil(bytes);
        LoadBytes(bytes);
        int role = AddRole(7, 5, 5, c.script);
        Frames(5);
        EXPECT_EQ(
            std::tuple(gBehaviourReport.faults, gMapRoles[role].scriptId, LastDataError().file),
            std::tuple(1u, 0, "path.dat"))
            << LastDataError().Message();
    }
}

TEST_F(Behaviour, TheAssemblerChecksOperandsAndLabelsAndDisassemblyAssemblesBackToTheSameBytes) {
    std::vector<u8> out;
    std::string err;
    EXPECT_FALSE(AssemblePath("program 1\n route 3\n", &out, &err));
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    EXPECT_FALSE(AssemblePath("program 1\n jump @nowhere\n", &out, &err));
    EXPECT_NE(err.find("undefined label"), std::string::npos);
    for (const char* bad :
         {"program 1\n setflag 70000\n", "program 1\n valuetable 1 2\n", "program 2001\n",
          "program 1\nprogram 1\n", "program 1\n say 1 \"a%Qb\"\n", "program 1\n dance\n",
          "a:\na:\n", "program 1\n x:\n ifall 65535 @x\n"})
        EXPECT_FALSE(AssemblePath(bad, &out, &err)) << bad;
    // A text is padded to a whole word after its mark.
    ASSERT_TRUE(AssemblePath("program 1\n say 1 \"abc\"\n", &out, &err)) << err;
    EXPECT_EQ(std::tuple(out.size() % 2, out.back(), out[out.size() - 3]), std::tuple(0u, 0, 0x25));
    // Every program of the sample game as its writer leaves it, and programs of
    // every operand shape, disassemble into source that assembles to the same bytes.
    h.EnsureMapData();
    std::vector<std::vector<u8>> files = {ReadHostFile(h.Path("MH_Data/path.dat"))};
    for (const char* src :
         {"program 5\nprogram 6\ntop:\n ifall 1 2 3 @top\n random @top @end\n say 2 "
          "\"\\x81\\x40 ok\"\n"
          "end:\n iffar player 3 @top\n walknear self -1 2\n settime 17\n word 77 12\n",
          "program 1\n say 1 \"odd\"\n random\n ifany @0x10\n valuetable_is_raw:\n word 44 3\n"}) {
        files.emplace_back();
        ASSERT_TRUE(AssemblePath(src, &files.back(), &err)) << err;
    }
    for (const std::vector<u8>& file : files) {
        std::string text;
        std::vector<u8> again;
        ASSERT_TRUE(DisassemblePath(file, &text, &err)) << err;
        ASSERT_TRUE(AssemblePath(text, &again, &err)) << err << "\n" << text;
        EXPECT_EQ(again, file) << text;
        // Each program is named, and the sample's decode to opcodes only.
        size_t programs = 0, named = 0;
        for (u32 id = 1; id <= kMainBlockIds; ++id) {
            programs += LoadU32(file.data() + kPathTableAt + 4 * id) != 0;
            named += text.find("program " + std::to_string(id) + "\n") != std::string::npos;
        }
        EXPECT_TRUE(programs > 0 && named == programs) << text;
        EXPECT_TRUE(&file != &files.front() || text.find("word") == std::string::npos) << text;
    }
    std::string text;
    EXPECT_FALSE(DisassemblePath(std::vector<u8>(100, 0), &text, &err));
}

TEST_F(Behaviour, AWandererStaysOnWalkableCellsScriptIdsAboveTwoThousandSelectExtraBlocks) {
    Load("program 1\n wander\n");
    // Walls around the border and a pillar block in the middle.
    for (u32 y = 0; y < 15; ++y)
        for (u32 x = 0; x < 20; ++x)
            if (x == 0 || y == 0 || x == 19 || y == 14 || (x >= 8 && x <= 10 && y >= 6 && y <= 8))
                grid.at(x, y) = kCellWall;
    int role = AddRole(7, 5, 5, 1);
    InitRandom(777);
    int moved = 0;
    std::pair<u16, u16> last{gMapRoles[role].x, gMapRoles[role].y};
    for (int f = 0; f < 600; ++f) {
        Frames(1);
        const RoleSlot& s = gMapRoles[role];
        u32 cx = s.x / 16, cy = s.y / 16;
        ASSERT_TRUE(cx < 20 && cy < 15) << cx << "," << cy;
        // Every cell the role touches, also between cells, is open ground.
        for (u32 y = cy; y <= (s.y + 15u) / 16; ++y)
            for (u32 x = cx; x <= (s.x + 15u) / 16; ++x)
                ASSERT_FALSE(grid.at(x, y) & kCellWall) << x << "," << y;
        moved += std::exchange(last, {s.x, s.y}) != std::pair(s.x, s.y);
    }
    EXPECT_GT(moved, 50);
    ScriptBlockRef r;
    EXPECT_FALSE(SelectScriptBlock(0, &r));
    // 2300: entry 300 of the first extra block.
    const struct {
        u16 id;
        u32 block, local;
    } kIds[] = {{2000, 0, 2000}, {2001, 1, 1}, {2300, 1, 300}, {2301, 2, 1}};
    for (const auto& c : kIds) {
        ASSERT_TRUE(SelectScriptBlock(c.id, &r)) << c.id;
        EXPECT_EQ(std::pair(r.block, r.local), std::pair(c.block, c.local)) << c.id;
    }
    // A block looked up from a label sets the program counter.
    Load("program 1\n stop\n stop\nx:\n stop\n");
    role = AddRole(7, 5, 5, 1);
    const u8* p = nullptr;
    u32 start = LoadU32(gPathDatabase + kPathTableAt + 4);
    ASSERT_EQ(GetScriptBlock(role, start + 4, &p), 1);
    EXPECT_EQ(std::tuple(gMapRoles[role].pc, p),
              std::tuple(2u, gPathDatabase + kPathTableAt + start + 4));
    // An odd offset and one past the file are refused.
    EXPECT_EQ(std::tuple(GetScriptBlock(role, start + 3, &p), GetScriptBlock(role, 0x7FFFFFF0, &p)),
              std::tuple(0, 0));
}
