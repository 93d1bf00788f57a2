// The display over SDL2 or headless (shown frames kept when a test asks). In
// a window the picture is scaled by whole multiples and centred: converted
// straight into the window's pixels, or, with a GPU renderer, through a
// streaming texture. Writes to the primary note the pieces of rows (32
// pixels wide) they changed; a blit onto it copies only the pieces that
// differ. A present converts and sends just those pieces, and when none
// changed the screen is left alone.
#include "platform/Display.h"

#include <SDL.h>
#include <time.h>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/Backend.h"
#include "platform/SdlWindow.h"
#include "platform/ShowRows.h"

struct DisplaySurface {
    i32 width = 0, height = 0;
    std::vector<u16> pixels;
    u16 colorKey = 0;
    bool primary = false;
};

namespace {

struct DisplayState {
    bool open = false;
    i32 bits = 16;
    i32 width = 640, height = 480;
    u32 red = 0xF800, green = 0x07E0, blue = 0x001F;
    std::vector<std::unique_ptr<DisplaySurface>> surfaces;
    DisplaySurface* primary = nullptr;
    bool primaryDirty = false;
    i32 changedTop = 0, changedBottom = 0;  // rows of the primary changed since the last show
    // For each row, a bit for each piece of it changed since the last show:
    // piece c holds columns [c << pieceShift, (c + 1) << pieceShift).
    std::vector<u64> changedPieces;
    int pieceShift = 5;
    u64 wholeRow = 0;            // the bits of every piece of a row
    std::vector<SDL_Rect> runs;  // the window's rectangles of one show (made once)
    u64 rowsSent = 0;
    std::vector<std::vector<u16>> frames;
    size_t frameLimit = 0;
    u32 frameCount = 0;
    int failBlits = 0;
    bool hooked = false;
    SDL_Window* sdlWindow = nullptr;   // the window shown into
    SDL_Renderer* renderer = nullptr;  // a GPU renderer, or null
    SDL_Texture* texture = nullptr;
    bool onSurface = false;  // no renderer: the window's own pixels
    // What the window's pixels hold: their surface, its size and the picture's place.
    const SDL_Surface* shownSurface = nullptr;
    i32 shownW = 0, shownH = 0;
    DisplayPlace shownPlace;
    i32 headlessWindowW = 640, headlessWindowH = 480;
    bool textureStale = true;  // a new texture holds nothing of the picture yet
    bool mustShow = true;      // the screen lost the picture (new renderer, exposed, resized)
};

DisplayState& D() {
    static DisplayState s;
    return s;
}

// The window was uncovered or resized: the next present repaints it even
// when the picture has not changed.
int WatchWindow(void*, SDL_Event* e) {
    if (e->type == SDL_WINDOWEVENT && (e->window.event == SDL_WINDOWEVENT_EXPOSED ||
                                       e->window.event == SDL_WINDOWEVENT_RESTORED ||
                                       e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        D().mustShow = true;
    return 0;
}

void DropSdl() {
    auto& d = D();
    if (d.sdlWindow) SDL_DelEventWatch(WatchWindow, nullptr);
    if (d.texture) SDL_DestroyTexture(d.texture);
    if (d.renderer) SDL_DestroyRenderer(d.renderer);
    d.texture = nullptr;
    d.renderer = nullptr;
    d.sdlWindow = nullptr;
    d.onSurface = false;
    d.shownSurface = nullptr;
    d.textureStale = true;
    d.mustShow = true;
}

// A machine without a render node has no GPU: GL there is a software rasteriser.
bool HasGpuNode() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/dev/dri", ec)) {
        std::string name = e.path().filename().string();
        if (name.rfind("render", 0) == 0 || name.rfind("card", 0) == 0) return true;
    }
    return false;
}

// True when the renderer draws through GL that the processor rasterises
// (llvmpipe, softpipe, swrast): its threads cost more than our own rows.
bool OnSoftwareGl(SDL_Renderer* r) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(r, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6))
        return false;
    using GetString = const unsigned char* (*)(unsigned);
    auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* raw = get ? get(0x1F01) : nullptr;  // GL_RENDERER
    if (!raw) return false;
    const char* name = reinterpret_cast<const char*>(raw);
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(name, soft)) return true;
    return false;
}

// The player's SDL_RENDER_DRIVER wins ("software" draws into the window's
// pixels as where there is no GPU); otherwise a GPU renderer where a GPU
// draws. Null: the picture goes straight into the window's pixels.
SDL_Renderer* CreateRenderer(SDL_Window* win) {
    const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (asked && std::strcmp(asked, "software") != 0) return SDL_CreateRenderer(win, -1, 0);
    if (!asked && HasGpuNode()) {
        SDL_Renderer* r = SDL_CreateRenderer(win, -1, SDL_RENDERER_ACCELERATED);
        if (r && !OnSoftwareGl(r)) return r;
        if (r) SDL_DestroyRenderer(r);
    }
    return nullptr;
}

// The renderer or the window's pixels follow the window: a new window (after
// a reset) gets its own.
bool EnsureSdl() {
    auto& d = D();
    SDL_Window* win = SdlMainWindow();
    if (!win || !d.primary) return false;
    if (d.sdlWindow == win) return d.renderer || d.onSurface;
    if (d.sdlWindow) DropSdl();
    d.sdlWindow = win;
    SDL_AddEventWatch(WatchWindow, nullptr);
    d.textureStale = true;
    d.mustShow = true;
    d.renderer = CreateRenderer(win);
    if (!d.renderer) {
        // The window's own pixels, in shared memory rather than behind a GL
        // texture of SDL's on X11.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        d.onSurface = true;
        return true;
    }
    u32 fmt = d.green == 0x03E0 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    d.texture = SDL_CreateTexture(d.renderer, fmt, SDL_TEXTUREACCESS_STREAMING, d.primary->width,
                                  d.primary->height);
    return d.texture != nullptr;
}

// With MOONHARBOR_TRACE_START set, the wall-clock time of the first frame put
// on the screen goes to stderr (tools/idle_cost.sh measures start-up with it).
void TraceFirstFrame() {
    static bool traced = false;
    if (traced || !std::getenv("MOONHARBOR_TRACE_START")) return;
    traced = true;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "first frame at %lld.%09ld\n", static_cast<long long>(now.tv_sec),
                 now.tv_nsec);
}

// The changed rows [top, bottom) go to the texture; the renderer clears only
// where the picture leaves bars.
void ShowTexture(i32 top, i32 bottom) {
    auto& d = D();
    if (d.textureStale) top = 0, bottom = d.primary->height;
    if (top >= bottom && !d.mustShow) return;
    if (top < bottom) {
        SDL_Rect rows{0, top, d.primary->width, bottom - top};
        const u16* from = d.primary->pixels.data() + static_cast<size_t>(top) * d.primary->width;
        // A refused upload leaves the texture behind the picture: all of it goes next time.
        d.textureStale = SDL_UpdateTexture(d.texture, &rows, from, d.primary->width * 2) != 0;
        if (d.textureStale) return;
    }
    d.mustShow = false;
    // Placed by the renderer's own size: the window may be larger than the one
    // asked for (full screen) or keep its size where no window manager resizes it.
    i32 outW = 0, outH = 0;
    SDL_GetRendererOutputSize(d.renderer, &outW, &outH);
    DisplayPlace at = DisplayFit(outW, outH);
    SDL_Rect dst{at.x, at.y, d.primary->width * at.scale, d.primary->height * at.scale};
    if (dst.x > 0 || dst.y > 0 || dst.w < outW || dst.h < outH) {
        SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
        SDL_RenderClear(d.renderer);
    }
    SDL_RenderCopy(d.renderer, d.texture, nullptr, &dst);
    SDL_RenderPresent(d.renderer);
    TraceFirstFrame();
}

ShowFormat FormatOf(const SDL_Surface* s) {
    ShowFormat f;
    f.bits = s->format->BytesPerPixel * 8;  // 32 for 8-8-8 in four bytes, 24 in three
    f.red = s->format->Rmask;
    f.green = s->format->Gmask;
    f.blue = s->format->Bmask;
    f.alpha = s->format->Amask;
    return f;
}

// Black around the picture: the window's rows above and below it and the
// columns beside it.
void FillBars(SDL_Surface* s, DisplayPlace at, i32 w, i32 h) {
    SDL_Rect bars[4] = {{0, 0, s->w, at.y},
                        {0, at.y + h, s->w, s->h - at.y - h},
                        {0, at.y, at.x, h},
                        {at.x + w, at.y, s->w - at.x - w, h}};
    for (const SDL_Rect& r : bars)
        if (r.w > 0 && r.h > 0) SDL_FillRect(s, &r, SDL_MapRGB(s->format, 0, 0, 0));
}

// The changed pieces of rows [top, bottom), converted and scaled, straight
// into the window's pixels, and only their rectangles put on the screen:
// rows alike in their changed pieces go as one rectangle for each run of
// pieces. Nothing else of the window's pixels is written or sent.
void ShowChangedPieces(i32 top, i32 bottom, PictureLayout layout, const ShowTarget& to,
                       DisplayPlace at) {
    auto& d = D();
    const i32 width = d.primary->width;
    const SDL_Rect window{0, 0, to.width, to.height};
    for (i32 y = top; y < bottom;) {
        const u64 mask = d.changedPieces[y];
        i32 end = y + 1;
        while (end < bottom && d.changedPieces[end] == mask) ++end;
        for (u64 m = mask; m;) {
            const int first = __builtin_ctzll(m);
            const u64 from = m >> first;
            const int count = ~from ? __builtin_ctzll(~from) : 64 - first;
            m = count + first >= 64 ? 0 : m & ~(((u64{1} << count) - 1) << first);
            const i32 x0 = first << d.pieceShift;
            const i32 x1 = std::min((first + count) << d.pieceShift, width);
            ShowPictureRows(d.primary->pixels.data() + x0, x1 - x0, width, y, end, layout, to,
                            at.x + x0 * at.scale, at.y, at.scale);
            SDL_Rect band{at.x + x0 * at.scale, at.y + y * at.scale, (x1 - x0) * at.scale,
                          (end - y) * at.scale};
            if (SDL_IntersectRect(&band, &window, &band)) d.runs.push_back(band);
        }
        y = end;
    }
}

// The changed rows [top, bottom), converted and scaled, straight into the
// window's pixels, and only their pieces put on the screen. A new window
// surface or a new place repaints the whole window, bars included.
void ShowOnSurface(i32 top, i32 bottom) {
    auto& d = D();
    SDL_Window* win = d.sdlWindow;
    SDL_Surface* s = SDL_GetWindowSurface(win);
    if (!s) return;
    DisplayPlace at = DisplayFit(s->w, s->h);
    bool whole = d.mustShow || s != d.shownSurface || s->w != d.shownW || s->h != d.shownH ||
                 at.x != d.shownPlace.x || at.y != d.shownPlace.y || at.scale != d.shownPlace.scale;
    if (whole) top = 0, bottom = d.primary->height;
    if (top >= bottom) return;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
    const i32 w = d.primary->width * at.scale, h = d.primary->height * at.scale;
    if (whole) FillBars(s, at, w, h);
    ShowTarget to{static_cast<u8*>(s->pixels), s->pitch, s->w, s->h, FormatOf(s)};
    PictureLayout layout{d.green != 0x03E0};
    d.runs.clear();
    if (whole)
        ShowPictureRows(d.primary->pixels.data(), d.primary->width, d.primary->width, 0,
                        d.primary->height, layout, to, at.x, at.y, at.scale);
    else
        ShowChangedPieces(top, bottom, layout, to, at);
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    int failed =
        whole ? SDL_UpdateWindowSurface(win)
              : SDL_UpdateWindowSurfaceRects(win, d.runs.data(), static_cast<int>(d.runs.size()));
    // A refused update (the window changed size meanwhile) repaints all next time.
    d.mustShow = failed != 0;
    d.shownSurface = s;
    d.shownW = s->w;
    d.shownH = s->h;
    d.shownPlace = at;
    TraceFirstFrame();
}

void ShowSdl(i32 top, i32 bottom) {
    if (!EnsureSdl()) return;
    if (D().onSurface)
        ShowOnSurface(top, bottom);
    else
        ShowTexture(top, bottom);
    if (!D().mustShow) SdlWindowShown();
}

void Show() {
    auto& d = D();
    if (!d.primary) return;
    d.primaryDirty = false;
    ++d.frameCount;
    i32 top = d.changedTop, bottom = d.changedBottom;
    d.changedTop = d.changedBottom = 0;
    if (top < bottom)
        d.rowsSent += static_cast<u64>(bottom - top) -
                      static_cast<u64>(std::count(d.changedPieces.begin() + top,
                                                  d.changedPieces.begin() + bottom, u64{0}));
    if (!PlatformIsHeadless()) ShowSdl(top, bottom);
    if (top < bottom)
        std::fill(d.changedPieces.begin() + top, d.changedPieces.begin() + bottom, u64{0});
    if (!PlatformIsHeadless()) return;
    if (d.frameLimit == 0) return;
    // The oldest kept frame's buffer takes the new one: no allocation per frame.
    std::vector<u16> kept;
    if (d.frames.size() >= d.frameLimit) {
        kept = std::move(d.frames.front());
        d.frames.erase(d.frames.begin());
    }
    kept.assign(d.primary->pixels.begin(), d.primary->pixels.end());
    d.frames.push_back(std::move(kept));
}

void Hook() {
    auto& d = D();
    if (d.hooked) return;
    d.hooked = true;
    PlatformEventHooks h;
    h.onPump = [] { DisplayPumpShow(); };
    h.onReset = [] { DisplayReset(); };
    PlatformAddHooks(std::move(h));
}

bool Owned(const DisplaySurface* s) {
    for (auto& p : D().surfaces)
        if (p.get() == s) return true;
    return false;
}

// The bits of the pieces that columns [left, right) of a primary row touch.
u64 PiecesOf(i32 left, i32 right) {
    auto& d = D();
    if (left >= right) return 0;
    const int first = left >> d.pieceShift, last = (right - 1) >> d.pieceShift;
    const u64 upTo = last >= 63 ? ~u64{0} : (u64{1} << (last + 1)) - 1;
    return upTo & ~((u64{1} << first) - 1);
}

// Pieces of the primary's rows [top, bottom) changed: they join what the
// next show sends.
void Mark(i32 top, i32 bottom, u64 pieces) {
    auto& d = D();
    d.primaryDirty = true;
    if (top >= bottom || !pieces) return;
    for (i32 y = top; y < bottom; ++y) d.changedPieces[y] |= pieces;
    if (d.changedTop >= d.changedBottom) {
        d.changedTop = top;
        d.changedBottom = bottom;
        return;
    }
    d.changedTop = std::min(d.changedTop, top);
    d.changedBottom = std::max(d.changedBottom, bottom);
}

// Rows [top, bottom) of a surface were written, in columns [left, right)
// (all of them when not given).
void Touch(DisplaySurface* s, i32 top, i32 bottom, i32 left = 0, i32 right = -1) {
    if (s->primary) Mark(top, bottom, right < 0 ? D().wholeRow : PiecesOf(left, right));
}
// Pixels handed out by a lock may change anywhere.
void Touch(DisplaySurface* s) {
    Touch(s, 0, s->height);
}

// The 32-pixel pieces of two rows of `pieces` pieces that differ, as bits.
u64 DifferingPiecesPlain(const u16* a, const u16* b, int pieces) {
    u64 bits = 0;
    for (int c = 0; c < pieces; ++c)
        if (std::memcmp(a + c * 32, b + c * 32, 64) != 0) bits |= u64{1} << c;
    return bits;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) u64 DifferingPiecesAvx2(const u16* a, const u16* b, int pieces) {
    u64 bits = 0;
    for (int c = 0; c < pieces; ++c) {
        const auto* x = reinterpret_cast<const __m256i*>(a + c * 32);
        const auto* y = reinterpret_cast<const __m256i*>(b + c * 32);
        __m256i diff =
            _mm256_or_si256(_mm256_xor_si256(_mm256_loadu_si256(x), _mm256_loadu_si256(y)),
                            _mm256_xor_si256(_mm256_loadu_si256(x + 1), _mm256_loadu_si256(y + 1)));
        if (!_mm256_testz_si256(diff, diff)) bits |= u64{1} << c;
    }
    return bits;
}
const bool kDifferAvx2 = __builtin_cpu_supports("avx2");
#endif

u64 DifferingPieces(const u16* a, const u16* b, int pieces) {
#if defined(__x86_64__)
    if (kDifferAvx2) return DifferingPiecesAvx2(a, b, pieces);
#endif
    return DifferingPiecesPlain(a, b, pieces);
}

// A whole row of the primary from `from`, its pieces of 32 pixels compared:
// those that differ are copied and noted.
void CopyChangedRow(i32 row, const u16* from) {
    auto& d = D();
    const i32 width = d.primary->width;
    u16* line = d.primary->pixels.data() + static_cast<size_t>(row) * width;
    const u64 changed = DifferingPieces(line, from, width / 32);
    for (u64 m = changed; m; m &= m - 1) {
        const int c = __builtin_ctzll(m);
        std::memcpy(line + c * 32, from + c * 32, 64);
    }
    Mark(row, row + 1, changed);
}

// Columns [left, right) of a primary row that differs from `from` (the
// source's pixels for column `left`): the pieces that differ are copied and
// noted.
void CopyChangedPieces(i32 row, i32 left, i32 right, const u16* from) {
    auto& d = D();
    u16* line = d.primary->pixels.data() + static_cast<size_t>(row) * d.primary->width;
    u64 changed = 0;
    for (i32 x = left; x < right;) {
        const i32 end = std::min(((x >> d.pieceShift) + 1) << d.pieceShift, right);
        const u16* src = from + (x - left);
        if (std::memcmp(line + x, src, static_cast<size_t>(end - x) * 2) != 0) {
            std::memcpy(line + x, src, static_cast<size_t>(end - x) * 2);
            changed |= u64{1} << (x >> d.pieceShift);
        }
        x = end;
    }
    Mark(row, row + 1, changed);
}

// Clips a rectangle to a surface; false when nothing is left.
bool ClipTo(const DisplaySurface* s, DisplayRect& r) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, s->width);
    r.bottom = std::min(r.bottom, s->height);
    return r.left < r.right && r.top < r.bottom;
}

}  // namespace

bool DisplayOpen(i32 width, i32 height, i32 bits) {
    Hook();
    auto& d = D();
    if (width <= 0 || height <= 0 || bits != 16) return false;
    if (PlatformDeviceFailures().display || !PlatformHasDisplay()) return false;
    d.open = true;
    d.bits = bits;
    d.width = width;
    d.height = height;
    return true;
}

void DisplayClose() {
    auto& d = D();
    DropSdl();
    d.surfaces.clear();
    d.primary = nullptr;
    d.primaryDirty = false;
    d.changedTop = d.changedBottom = 0;
    d.open = false;
}

bool DisplayIsOpen() {
    return D().open;
}
i32 DisplayBits() {
    return D().bits;
}

void DisplaySetMasks(u32 red, u32 green, u32 blue) {
    auto& d = D();
    d.red = red;
    d.green = green;
    d.blue = blue;
}

DisplaySurface* DisplayCreatePrimary() {
    auto& d = D();
    if (!d.open) return nullptr;
    if (d.primary) return d.primary;
    DisplaySurface* s = DisplayCreateSurface(d.width, d.height);
    if (!s) return nullptr;
    s->primary = true;
    d.primary = s;
    d.changedPieces.assign(static_cast<size_t>(d.height), 0);
    // As many columns to a piece as keep a row's pieces within 64 bits.
    d.pieceShift = 5;
    while (((d.width - 1) >> d.pieceShift) >= 64) ++d.pieceShift;
    d.wholeRow = PiecesOf(0, d.width);
    d.runs.reserve(static_cast<size_t>(d.height));
    return s;
}

DisplaySurface* DisplayCreateSurface(i32 width, i32 height) {
    auto& d = D();
    if (!d.open || width <= 0 || height <= 0 || width > 8192 || height > 8192) return nullptr;
    auto s = std::make_unique<DisplaySurface>();
    s->width = width;
    s->height = height;
    s->pixels.assign(static_cast<size_t>(width) * height, 0);
    d.surfaces.push_back(std::move(s));
    return d.surfaces.back().get();
}

void DisplayReleaseSurface(DisplaySurface* s) {
    auto& d = D();
    if (s == d.primary) {
        DropSdl();
        d.primary = nullptr;
    }
    auto it = std::find_if(d.surfaces.begin(), d.surfaces.end(),
                           [s](const auto& p) { return p.get() == s; });
    if (it != d.surfaces.end()) d.surfaces.erase(it);
}

void DisplaySurfaceSize(const DisplaySurface* s, i32* width, i32* height, i32* pitch) {
    if (width) *width = s ? s->width : 0;
    if (height) *height = s ? s->height : 0;
    if (pitch) *pitch = s ? s->width * 2 : 0;
}

void DisplaySurfaceMasks(const DisplaySurface*, u32* red, u32* green, u32* blue) {
    auto& d = D();
    if (red) *red = d.red;
    if (green) *green = d.green;
    if (blue) *blue = d.blue;
}

u16* DisplayLock(DisplaySurface* s, i32* pitch) {
    if (!s || !Owned(s)) return nullptr;
    if (pitch) *pitch = s->width * 2;
    Touch(s);
    return s->pixels.data();
}

void DisplayUnlock(DisplaySurface* s) {
    if (s && Owned(s)) Touch(s);
}

bool DisplayFill(DisplaySurface* s, const DisplayRect* rect, u16 value) {
    if (!s || !Owned(s)) return false;
    DisplayRect r = rect ? *rect : DisplayRect{0, 0, s->width, s->height};
    if (!ClipTo(s, r)) return true;
    for (i32 y = r.top; y < r.bottom; ++y) {
        u16* row = s->pixels.data() + static_cast<size_t>(y) * s->width;
        std::fill(row + r.left, row + r.right, value);
    }
    Touch(s, r.top, r.bottom, r.left, r.right);
    return true;
}

bool DisplayBlit(DisplaySurface* dst, i32 x, i32 y, DisplaySurface* src, const DisplayRect* srcRect,
                 bool keyed) {
    auto& d = D();
    if (!dst || !src || !Owned(dst) || !Owned(src)) return false;
    if (d.failBlits > 0) {
        --d.failBlits;
        return false;
    }
    DisplayRect r = srcRect ? *srcRect : DisplayRect{0, 0, src->width, src->height};
    // Move the destination with the parts of the source rectangle cut away.
    i32 dx = x - r.left, dy = y - r.top;
    if (!ClipTo(src, r)) return true;
    DisplayRect t{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    if (!ClipTo(dst, t)) return true;
    if (keyed) Touch(dst, t.top, t.bottom, t.left, t.right);
    // Onto whole rows of the primary, its pieces are compared in one pass.
    const bool wholeRows = dst->primary && t.left == 0 && t.right == dst->width &&
                           dst->width % 32 == 0 && d.pieceShift == 5;
    for (i32 row = t.top; row < t.bottom; ++row) {
        const u16* from =
            src->pixels.data() + static_cast<size_t>(row - dy) * src->width + t.left - dx;
        u16* to = dst->pixels.data() + static_cast<size_t>(row) * dst->width + t.left;
        size_t n = static_cast<size_t>(t.right - t.left);
        if (keyed) {
            for (size_t i = 0; i < n; ++i)
                if (from[i] != src->colorKey) to[i] = from[i];
            continue;
        }
        // The primary takes only the pieces that differ: a frame drawn as the
        // last one was sends nothing to the screen.
        if (dst->primary && src != dst) {
            if (wholeRows)
                CopyChangedRow(row, from);
            else if (std::memcmp(to, from, n * 2) != 0)
                CopyChangedPieces(row, t.left, t.right, from);
            continue;
        }
        std::memmove(to, from, n * 2);
        Touch(dst, row, row + 1, t.left, t.right);
    }
    Touch(dst, 0, 0);  // given to the screen, changed or not
    return true;
}

void DisplaySetColorKey(DisplaySurface* s, u16 key) {
    if (s && Owned(s)) s->colorKey = key;
}

void DisplaySetPixelColor(DisplaySurface* s, i32 x, i32 y, u32 colorRef) {
    if (!s || !Owned(s) || x < 0 || y < 0 || x >= s->width || y >= s->height) return;
    auto& d = D();
    // Each 8-bit channel keeps as many top bits as its mask is wide.
    auto place = [](u32 v8, u32 mask) -> u32 {
        if (!mask) return 0;
        int shift = __builtin_ctz(mask);
        int width = __builtin_popcount(mask);
        return ((v8 >> (8 - width)) << shift) & mask;
    };
    u32 v = place(colorRef & 0xFF, d.red) | place((colorRef >> 8) & 0xFF, d.green) |
            place((colorRef >> 16) & 0xFF, d.blue);
    s->pixels[static_cast<size_t>(y) * s->width + x] = static_cast<u16>(v);
    Touch(s, y, y + 1, x, x + 1);
}

bool DisplayPresent() {
    if (!D().primary) return false;
    Show();
    return true;
}

DisplayPlace DisplayFit(i32 areaW, i32 areaH) {
    auto& d = D();
    DisplayPlace at;
    at.scale = std::max(1, std::min(areaW / d.width, areaH / d.height));
    // A picture larger than the area keeps its top-left corner on screen.
    at.x = std::max(0, (areaW - d.width * at.scale) / 2);
    at.y = std::max(0, (areaH - d.height * at.scale) / 2);
    return at;
}

void DisplayPictureSize(i32* width, i32* height) {
    *width = D().width;
    *height = D().height;
}

DisplayPlace DisplayWindowPlace() {
    auto& d = D();
    SDL_Window* win = PlatformIsHeadless() ? nullptr : SdlMainWindow();
    if (!win) return DisplayFit(d.headlessWindowW, d.headlessWindowH);
    i32 w = 0, h = 0;
    SDL_GetWindowSize(win, &w, &h);
    return DisplayFit(w, h);
}

void DisplaySetHeadlessWindowSize(i32 width, i32 height) {
    D().headlessWindowW = width;
    D().headlessWindowH = height;
}

void DisplayPumpShow() {
    if (D().primaryDirty) Show();
}

const std::vector<std::vector<u16>>& DisplayFrames() {
    return D().frames;
}
u32 DisplayFrameCount() {
    return D().frameCount;
}
u64 DisplayRowsSent() {
    return D().rowsSent;
}
void DisplaySetFrameLimit(size_t n) {
    auto& d = D();
    d.frameLimit = n;
    while (d.frames.size() > n) d.frames.erase(d.frames.begin());
}
void DisplayClearFrames() {
    D().frames.clear();
}
void DisplayFailNextBlits(int n) {
    D().failBlits = n;
}
i32 DisplayLiveSurfaces() {
    return static_cast<i32>(D().surfaces.size());
}

void DisplayReset() {
    auto& d = D();
    DisplayClose();
    d.red = 0xF800;
    d.green = 0x07E0;
    d.blue = 0x001F;
    d.frames.clear();
    d.frameLimit = 0;
    d.frameCount = 0;
    d.rowsSent = 0;
    d.failBlits = 0;
    d.headlessWindowW = 640;
    d.headlessWindowH = 480;
}
