// Picture and act archive writers, and the sample game's art drawn in code.
#include "mhdata/Archives.h"

#include <filesystem>
#include <fstream>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/MyAct.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "mhdata/InterfaceArt.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleBattleMenus.h"
#include "mhdata/SampleEffects.h"
#include "mhdata/SampleFighters.h"
#include "mhdata/SampleFigures.h"
#include "mhdata/SampleMapArt.h"
#include "mhdata/SampleOfferArt.h"

ActWords& ActWords::Cmd(u16 tag, std::initializer_list<u16> operands) {
    words.push_back(tag);
    words.insert(words.end(), operands.begin(), operands.end());
    return *this;
}
ActWords& ActWords::Rf(u16 pic) {
    return Cmd(kActRF, {pic});
}
ActWords& ActWords::Pa(u16 frame) {
    return Cmd(kActPA, {frame});
}
ActWords& ActWords::Sd(u16 delay) {
    return Cmd(kActSD, {delay});
}
ActWords& ActWords::Xy(i16 x, i16 y) {
    return Cmd(kActXY, {static_cast<u16>(x), static_cast<u16>(y)});
}
ActWords& ActWords::Ed() {
    return Cmd(kActED);
}
ActWords& ActWords::Ov() {
    return Cmd(kActOV);
}
ActWords& ActWords::O2() {
    return Cmd(kActO2);
}

ArchiveFrame Flat(i32 w, i32 h, u16 colour) {
    ArchiveFrame f;
    f.w = w;
    f.h = h;
    f.pixels.assign(static_cast<size_t>(w) * h, colour);
    return f;
}

namespace {

// Run-codes and packs one frame; false when the frame is not w x h.
bool PackFrame(const ArchiveFrame& f, u16 depth, std::vector<u8>* packed, u32* unpacked) {
    size_t n = static_cast<size_t>(f.w) * f.h;
    if (f.w <= 0 || f.h <= 0 || f.pixels.size() != n) return false;
    std::vector<u8> plain(depth == 16 ? 2 * n : n);
    for (size_t i = 0; i < n; ++i) {
        if (depth == 16)
            StoreU16(&plain[2 * i], f.pixels[i]);
        else
            plain[i] = static_cast<u8>(f.pixels[i]);
    }
    i32 size = 0;
    u8* rle = RleEncode(plain.data(), &size, f.w, f.h, depth);
    if (!rle) return false;
    i32 packedSize = 0;
    u8* lzo = LzoPack(rle, size, &packedSize);
    MH_FREE(rle);
    if (!lzo) return false;
    packed->assign(lzo, lzo + packedSize);
    MH_FREE(lzo);
    *unpacked = static_cast<u32>(size);
    return true;
}

void WriteDirectory(ByteWriter& w, const std::vector<std::pair<u32, TswEntry>>& entries) {
    w.Text("Moonharbor archive", kTswHeaderSize);
    std::vector<TswEntry> dir(kTswEntryCount);
    for (const auto& [e, entry] : entries) dir[e - 1] = entry;
    for (TswEntry& e : dir) TswEntryFields(w, e);
}

void SetName(TswEntry& e, const std::string& name) {
    std::snprintf(e.name, sizeof(e.name), "%s", name.c_str());
}

}  // namespace

std::vector<u8> BuildTswPicture(const ArchivePicture& pic, std::string* error) {
    if ((pic.depth != 8 && pic.depth != 16) || pic.frames.empty() ||
        (pic.depth == 8 && pic.palette.size() != 256)) {
        if (error) *error = "picture " + pic.name + ": bad depth, palette or no frames";
        return {};
    }
    TswPicHeader h;
    h.frameCount = static_cast<u16>(pic.frames.size());
    h.depth = pic.depth;
    h.tableOffset = static_cast<u16>(kTswPicHeaderSize + (pic.depth == 8 ? kTswPaletteSize : 0));
    u32 dataAt = h.tableOffset + kTswFrameRecordSize * h.frameCount;
    std::vector<TswFrameRecord> records;
    std::vector<u8> blocks;
    for (const ArchiveFrame& f : pic.frames) {
        std::vector<u8> packed;
        TswFrameRecord r;
        if (!PackFrame(f, pic.depth, &packed, &r.unpackedSize)) {
            if (error) *error = "picture " + pic.name + ": a frame is not its size";
            return {};
        }
        r.offset = dataAt + static_cast<u32>(blocks.size());
        r.packedSize = static_cast<u32>(packed.size());
        r.width = static_cast<u16>(f.w);
        r.height = static_cast<u16>(f.h);
        records.push_back(r);
        blocks.insert(blocks.end(), packed.begin(), packed.end());
    }
    ByteWriter w;
    TswPicHeaderFields(w, h);
    if (pic.depth == 8) w.Array(pic.palette.data(), 256);
    for (TswFrameRecord& r : records) TswFrameRecordFields(w, r);
    w.Bytes(blocks.data(), blocks.size());
    return std::move(w.bytes());
}

std::vector<u8> BuildActData(const ActProgram& act) {
    i32 count = act.parts.empty() ? 0 : act.parts.rbegin()->first + 1;
    ByteWriter w;
    w.U16(static_cast<u16>(count));
    u32 at = 2 + 4 * static_cast<u32>(count);
    std::vector<u32> offsets(count, 0);
    for (const auto& [key, words] : act.parts) {
        offsets[key] = at;
        at += 2 * static_cast<u32>(words.size());
    }
    for (u32 o : offsets) w.U32(o);
    for (const auto& [key, words] : act.parts) w.Array(words.data(), words.size());
    return std::move(w.bytes());
}

std::vector<u8> BuildTswArchive(const std::map<u32, ArchivePicture>& pics, std::string* error) {
    std::vector<std::pair<u32, TswEntry>> entries;
    std::vector<u8> data;
    for (const auto& [e, pic] : pics) {
        std::vector<u8> bytes = BuildTswPicture(pic, error);
        if (bytes.empty() || e == 0 || e >= kTswEntryCount) {
            if (error && error->empty()) *error = "bad entry number for " + pic.name;
            return {};
        }
        TswEntry entry;
        SetName(entry, pic.name);
        entry.size = static_cast<u32>(bytes.size());
        entry.offset = kTswDirectoryEnd + static_cast<u32>(data.size());
        entries.emplace_back(e, entry);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    ByteWriter w;
    WriteDirectory(w, entries);
    w.Bytes(data.data(), data.size());
    return std::move(w.bytes());
}

std::vector<u8> BuildActArchive(const std::map<u32, ActProgram>& acts) {
    std::vector<std::pair<u32, TswEntry>> entries;
    std::vector<u8> data;
    for (const auto& [e, act] : acts) {
        std::vector<u8> bytes = BuildActData(act);
        TswEntry entry;
        SetName(entry, act.name);
        entry.size = static_cast<u32>(bytes.size());
        entry.offset = kTswDirectoryEnd + static_cast<u32>(data.size());
        entries.emplace_back(e, entry);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    ByteWriter w;
    WriteDirectory(w, entries);
    w.Bytes(data.data(), data.size());
    return std::move(w.bytes());
}

// ---- The sample game's art ----

u16 sample_art::EndingColor(u32 act, u32 action) {
    // Clear of black and of both key colours: bright, one per act and action.
    return static_cast<u16>(((act - kEndingFirst) * 6 + 6) << 10 | (action * 7 + 3) << 5 | 20);
}

void sample_art::EndingFrameSize(u32 act, i32* w, i32* h) {
    static const i32 sizes[4][2] = {{640, 480}, {220, 300}, {110, 430}, {110, 60}};
    u32 k = act >= kEndingFirst && act < kEndingFirst + 4 ? act - kEndingFirst : 0;
    *w = sizes[k][0];
    *h = sizes[k][1];
}

namespace {

constexpr u16 kKey = 619;  // transparent in stored 5-5-5 pictures

constexpr u16 Rgb(int r, int g, int b) {
    return static_cast<u16>(r << 10 | g << 5 | b);
}

void Rect(ArchiveFrame& f, i32 x0, i32 y0, i32 w, i32 h, u16 colour) {
    for (i32 y = y0; y < y0 + h && y < f.h; ++y)
        for (i32 x = x0; x < x0 + w && x < f.w; ++x)
            f.pixels[static_cast<size_t>(y) * f.w + x] = colour;
}

ArchivePicture People(u32 person) {
    ArchivePicture p;
    p.name = "person" + std::to_string(person);
    for (i32 dir = 0; dir < 8; ++dir)
        for (i32 step = 0; step < 3; ++step) p.frames.push_back(PersonFigure(person, dir, step));
    p.frames.push_back(FaceFigure(person));  // frame 24
    return p;
}

// Stand: one frame held; walk and run: step, stand, other step, stand.
ActProgram PeopleAct(u32 person) {
    ActProgram a;
    a.name = "person" + std::to_string(person);
    u16 pic = static_cast<u16>(sample_art::kPeopleFirst + person);
    // The act's point is the top-left corner of the cell the person stands on:
    // the figure is centred on the cell, its soles and their outline on the
    // cell's two bottom rows.
    i16 ax = sample_art::kPeopleW / 2 - 8, ay = kPersonFoot - 14;
    for (u16 dir = 0; dir < 8; ++dir) {
        u16 base = static_cast<u16>(dir * 3);
        a.parts[sample_art::kActionStand + dir] =
            ActWords().Rf(pic).Xy(ax, ay).Sd(10).Pa(base).Ed().Ov().words;
        for (u16 action : {sample_art::kActionWalk, sample_art::kActionRun}) {
            u16 delay = action == sample_art::kActionWalk ? 4 : 2;
            ActWords w;
            w.Rf(pic).Xy(ax, ay).Sd(delay);
            for (u16 step : {1, 0, 2, 0}) w.Pa(static_cast<u16>(base + step)).Ed();
            a.parts[action + dir] = w.Ov().words;
        }
    }
    // The face a dialogue box shows for the person, its corner at the point drawn.
    a.parts[sample_art::kActionFace] = ActWords().Rf(pic).Xy(0, 0).Sd(10).Pa(24).Ed().Ov().words;
    return a;
}

ArchivePicture ItemIcons() {
    ArchivePicture p;
    p.name = "items";
    p.depth = 8;
    p.palette.assign(256, 0);
    for (int i = 0; i < 256; ++i) p.palette[i] = Rgb(i % 32, (i * 7) % 32, (i * 13) % 32);
    p.palette[1] = kKey;
    p.palette[2] = Rgb(31, 31, 31);
    for (int k = 0; k < 4; ++k) {
        ArchiveFrame f = Flat(24, 24, 2);                 // white border
        Rect(f, 2, 2, 20, 20, static_cast<u16>(16 + k));  // flat body, opaque
        p.frames.push_back(f);
    }
    return p;
}

ArchivePicture MagicRing() {
    ArchivePicture p;
    p.name = "ring";
    for (int k = 0; k < 6; ++k) {
        ArchiveFrame f = Flat(48, 48, kKey);
        Rect(f, 24 - 4 * (k + 1), 24 - 4 * (k + 1), 8 * (k + 1), 8 * (k + 1),
             Rgb(31, 16 + 2 * k, 4));
        Rect(f, 24 - 2 * (k + 1), 24 - 2 * (k + 1), 4 * (k + 1), 4 * (k + 1), kKey);
        p.frames.push_back(f);
    }
    return p;
}

ArchivePicture Cursor() {
    ArchivePicture p;
    p.name = "cursor";
    for (int k = 0; k < 3; ++k) {
        ArchiveFrame f = Flat(16, 16, kKey);
        for (i32 y = 0; y < 16; ++y)
            Rect(f, 0, y, 16 - y, 1, k == 0 ? Rgb(31, 31, 31) : Rgb(31, 31 - 8 * k, 0));
        p.frames.push_back(f);
    }
    return p;
}

ArchivePicture Backdrop() {
    ArchivePicture p;
    p.name = "backdrop";
    ArchiveFrame f = Flat(640, 480, 0);
    for (int band = 0; band < 8; ++band)
        Rect(f, 0, band * 60, 640, 60, Rgb(band * 4, 8, 31 - band * 4));
    p.frames.push_back(f);
    return p;
}

// The pieces of a box frame, each its own flat colour: corners, then the edges.
ArchivePicture BoxFrame() {
    ArchivePicture p;
    p.name = "boxframe";
    for (int k = 0; k < 8; ++k) p.frames.push_back(Flat(8, 8, Rgb(31, 24 - 2 * k, 4 * k)));
    return p;
}

// The town's well, the light moving on its water.
ArchivePicture MapObject() {
    ArchivePicture p;
    p.name = "object";
    for (int k = 0; k < 2; ++k) p.frames.push_back(sampleMapArt::Well(k));
    return p;
}

ArchivePicture Portrait() {
    using namespace sample_art;
    ArchivePicture p;
    p.name = "portrait";
    for (u16 colour : kPortraitColours) {
        ArchiveFrame f = Flat(kPortraitW, kPortraitH, kKey);
        Rect(f, kPortraitMargin, kPortraitMargin, kPortraitW - 2 * kPortraitMargin,
             kPortraitH - 2 * kPortraitMargin, colour);
        p.frames.push_back(f);
    }
    return p;
}

ArchivePicture Underlay() {
    ArchivePicture p;
    p.name = "underlay";
    p.frames.push_back(Flat(64, 64, Rgb(2, 6, 12)));
    return p;
}

// A night-blue panel in a gold frame with lines of text centred down it.
template <class Lines>
ArchiveFrame EndingPanel(i32 w, i32 h, const Lines& lines, i32 top) {
    ArchiveFrame f = Flat(w, h, figures::Rgb(24, 19, 8));
    figures::Box(f, 4, 4, w - 8, h - 8, figures::Rgb(4, 6, 14));
    for (const sample_art::EndingLine& line : lines) {
        DrawCaptionAt(&f, line.text, line.size, -1, top);
        top += line.size + line.size / 2;
    }
    return f;
}

ArchiveFrame EndingArt(u32 act) {
    i32 w = 0, h = 0;
    sample_art::EndingFrameSize(act, &w, &h);
    switch (act - sample_art::kEndingFirst) {
        case 0:  // the harbour, the pirates' ship gone
            return HarbourFigure();
        case 1:
            return EndingPanel(w, h, sample_art::kEndingWords, sample_art::kEndingWordsTop);
        case 2: {  // the party, one above another on a night-blue band
            ArchiveFrame f = Flat(w, h, figures::Rgb(4, 6, 14));
            for (u32 k = 0; k < 6; ++k) {
                const ArchiveFrame person = PersonFigure(k, 1, 0);
                const i32 x0 = (w - person.w) / 2, y0 = 70 + 58 * static_cast<i32>(k);
                for (i32 y = 0; y < person.h && y0 + y < h; ++y)
                    for (i32 x = 0; x < person.w; ++x) {
                        const u16 c = person.pixels[static_cast<size_t>(y) * person.w + x];
                        if (c != figures::kClear) figures::Dot(f, x0 + x, y0 + y, c);
                    }
            }
            return f;
        }
        default: {
            const sample_art::EndingLine plate[] = {{"劇終", 24}};
            return EndingPanel(w, h, plate, (h - 24) / 2);
        }
    }
}

ArchivePicture EndingPicture(u32 act) {
    ArchivePicture p;
    p.name = "ending" + std::to_string(act);
    i32 w = 0, h = 0;
    sample_art::EndingFrameSize(act, &w, &h);
    for (u32 a = 0; a < sample_art::kEndingActions; ++a)
        p.frames.push_back(Flat(w, h, sample_art::EndingColor(act, a)));
    p.frames.push_back(EndingArt(act));
    return p;
}

ActProgram EndingAct(u32 act) {
    ActProgram a;
    a.name = "ending" + std::to_string(act);
    for (u16 k = 0; k <= sample_art::kEndingDrawnAction; ++k)
        a.parts[k] = ActWords().Rf(static_cast<u16>(act)).Xy(0, 0).Sd(0).Pa(k).Ed().Ov().words;
    return a;
}

ActProgram SimpleAct(const std::string& name, u16 pic, std::initializer_list<u16> frames,
                     u16 delay) {
    ActProgram a;
    a.name = name;
    ActWords w;
    w.Rf(pic).Xy(0, 0).Sd(delay);
    for (u16 f : frames) w.Pa(f).Ed();
    a.parts[0] = w.Ov().words;
    return a;
}

}  // namespace

const std::map<u32, ArchivePicture>& SamplePictures() {
    static const std::map<u32, ArchivePicture> pics = [] {
        std::map<u32, ArchivePicture> m;
        for (u32 k = 0; k < sample_art::kPeopleCount; ++k)
            m[sample_art::kPeopleFirst + k] = People(k);
        m[sample_art::kItemIcons] = ItemIcons();
        m[sample_art::kMagicRing] = MagicRing();
        m[sample_art::kCursor] = Cursor();
        m[sample_art::kBackdrop] = Backdrop();
        m[sample_art::kBoxFrame] = BoxFrame();
        m[sample_art::kMapObject] = MapObject();
        m[sample_art::kBattleUnderlay] = Underlay();
        for (u32 k = 0; k < 4; ++k)
            m[sample_art::kEndingFirst + k] = EndingPicture(sample_art::kEndingFirst + k);
        m[sample_art::kPortrait] = Portrait();
        AddSampleBattlePictures(&m);
        AddSampleMenuPictures(&m);
        AddSampleFighterPictures(&m);
        AddSampleOfferPictures(&m);
        AddSampleEffectPictures(&m);
        return m;
    }();
    return pics;
}

const std::map<u32, ActProgram>& SampleActs() {
    static const std::map<u32, ActProgram> acts = [] {
        using namespace sample_art;
        std::map<u32, ActProgram> m;
        for (u32 k = 0; k < kPeopleCount; ++k) m[kPeopleFirst + k] = PeopleAct(k);
        m[kItemIcons] = SimpleAct("items", kItemIcons, {0}, 1);
        for (u16 k = 1; k < 4; ++k)
            m[kItemIcons].parts[k] = ActWords().Rf(kItemIcons).Xy(0, 0).Pa(k).Ed().Ov().words;
        // The ring: additive, two passes over frames 1..4 after frame 0, then it stops.
        ActProgram ring;
        ring.name = "ring";
        ActWords w;
        w.Rf(kMagicRing).Xy(24, 24).Cmd(kActAM).Cmd(kActTN, {0}).Cmd(kActLP, {1, 4, 2}).Sd(2);
        for (u16 f = 0; f < 6; ++f) w.Pa(f).Ed();
        ring.parts[0] = w.O2().words;
        m[kMagicRing] = ring;
        ActProgram cursor;
        cursor.name = "cursor";
        for (i32 action = 0; action < 16; ++action)
            cursor.parts[action] =
                ActWords().Rf(kCursor).Xy(0, 0).Sd(6).Pa(0).Ed().Pa(1).Ed().Pa(2).Ed().Ov().words;
        m[kCursor] = cursor;
        m[kBackdrop] = SimpleAct("backdrop", kBackdrop, {0}, 0);
        m[kBoxFrame] = SimpleAct("boxframe", kBoxFrame, {0, 1, 2, 3, 4, 5, 6, 7}, 0);
        m[kMapObject] = SimpleAct("object", kMapObject, {0, 1}, 8);
        m[kBattleUnderlay] = SimpleAct("underlay", kBattleUnderlay, {0}, 0);
        for (u32 k = 0; k < 4; ++k) m[kEndingFirst + k] = EndingAct(kEndingFirst + k);
        ActProgram portrait;
        portrait.name = "portrait";
        for (u16 k = 0; k < 2; ++k)
            portrait.parts[k] = ActWords().Rf(kPortrait).Xy(kPortraitHotX, 0).Pa(k).Ed().Ov().words;
        m[kPortrait] = portrait;
        AddSampleBattleActs(&m);
        AddSampleMenuActs(&m);
        AddSampleFighterActs(&m);
        AddSampleOfferActs(&m);
        AddSampleEffectActs(&m);
        return m;
    }();
    return acts;
}

bool WriteSampleArchives(const std::string& root, std::string* error) {
    std::map<u32, ArchivePicture> pics[kPicArchiveCount];
    std::map<u32, ActProgram> acts[kPicArchiveCount];
    for (const auto& [n, p] : SamplePictures()) pics[n / kPicsPerArchive][n % kPicsPerArchive] = p;
    for (const auto& [n, a] : SampleActs()) acts[n / kPicsPerArchive][n % kPicsPerArchive] = a;
    for (int a = 0; a < kPicArchiveCount; ++a) {
        std::string base = kPicArchiveNames[a];
        for (char& c : base)
            if (c == '\\') c = '/';
        std::vector<u8> tsw = BuildTswArchive(pics[a], error);
        if (tsw.empty()) return false;
        std::vector<u8> act = BuildActArchive(acts[a]);
        for (auto [ext, bytes] : {std::pair{".tsw", &tsw}, std::pair{".act", &act}}) {
            std::filesystem::path path = std::filesystem::path(root) / (base + ext);
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes->data()),
                      static_cast<std::streamsize>(bytes->size()));
            if (!out) {
                *error = NotWrittenText(path.string());
                return false;
            }
        }
    }
    return true;
}
