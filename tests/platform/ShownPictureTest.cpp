// The picture as the player sees it: rows converted into the window's pixel
// format (every 5- and 6-bit value against the expansion written out here),
// and the real window under a virtual X server at 16 and 24 bits, scale 1
// and 2, read back from the X server's screen: the picture, black bars, and a
// changed block that puts exactly its pieces of rows on the screen.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/Display.h"
#include "platform/SdlWindow.h"
#include "platform/ShowRows.h"
#include "platform/Win.h"

// Xlib last: its macros (None among them) would clash with gtest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None

namespace {

namespace fs = std::filesystem;

// An n-bit channel value stretched to 0..255, rounded down.
u32 Stretch(u32 v, u32 max) {
    return v * 255 / max;
}

// The 8-bit red, green and blue of a 5-6-5 or 5-5-5 pixel.
struct Rgb {
    u32 r, g, b;
};
Rgb Expanded(u16 p, bool green6) {
    if (green6) return {Stretch(p >> 11, 31), Stretch((p >> 5) & 63, 63), Stretch(p & 31, 31)};
    return {Stretch((p >> 10) & 31, 31), Stretch((p >> 5) & 31, 31), Stretch(p & 31, 31)};
}

// A window pixel of the given masks holding an 8-bit colour: each channel keeps its top bits.
u32 Packed(Rgb c, u32 rm, u32 gm, u32 bm) {
    auto put = [](u32 v8, u32 mask) {
        int width = __builtin_popcount(mask), shift = __builtin_ctz(mask);
        return (v8 >> (8 - width)) << shift;
    };
    return put(c.r, rm) | put(c.g, gm) | put(c.b, bm);
}

// Every 16-bit value, in both picture layouts, into window formats of 32 bits
// (two channel orders, one with alpha) and 16 bits, at scale 1, 2 and 3; the
// window's rows on a 64-byte boundary (written past the cache) or 4 bytes off it.
TEST(ShownPicture, EveryValueConvertsIntoEachWindowFormat) {
    struct Case {
        ShowFormat format;
        bool green6;
        i32 scale;
        size_t offset;
    };
    const ShowFormat xrgb{32, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    const ShowFormat abgr{32, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000};
    const ShowFormat rgb565{16, 0xF800, 0x07E0, 0x001F, 0};
    const ShowFormat rgb555{16, 0x7C00, 0x03E0, 0x001F, 0};
    const Case cases[] = {
        {xrgb, true, 1, 0},   {xrgb, true, 1, 4},    {abgr, true, 1, 0},
        {xrgb, false, 2, 0},  {abgr, true, 2, 4},    {xrgb, false, 3, 0},
        {rgb565, true, 1, 0}, {rgb565, false, 3, 0}, {rgb555, true, 1, 0},
    };
    // The expansion written out above, worked by hand: 0x8410 is 16, 32 and 16
    // of 31, 63 and 31, that is 131, 129 and 131 of 255.
    ASSERT_EQ(Packed(Expanded(0x8410, true), 0xFF0000, 0xFF00, 0xFF), 0x838183u);
    std::vector<u16> picture(65536);
    for (u32 i = 0; i < 65536; ++i) picture[i] = static_cast<u16>(i);
    for (const Case& c : cases) {
        const i32 s = c.scale, bytes = c.format.bits / 8, w = 256 * s, h = 256 * s;
        std::vector<u8> buffer(static_cast<size_t>(w) * h * bytes + 64, 0xAB);
        const size_t skip = (64 - reinterpret_cast<uintptr_t>(buffer.data()) % 64) % 64 + c.offset;
        u8* window = buffer.data() + skip;
        ShowTarget to{window, w * bytes, w, h, c.format};
        ShowPictureRows(picture.data(), 256, 256, 0, 256, PictureLayout{c.green6}, to, 0, 0, s);
        int wrong = 0;
        for (i32 y = 0; y < h; ++y) {
            for (i32 x = 0; x < w; ++x) {
                u16 p = picture[(y / s) * 256 + x / s];
                u32 want =
                    Packed(Expanded(p, c.green6), c.format.red, c.format.green, c.format.blue) |
                    c.format.alpha;
                u32 got = 0;
                std::memcpy(&got, &window[(static_cast<size_t>(y) * w + x) * bytes], bytes);
                if (got != want && ++wrong <= 3)
                    ADD_FAILURE() << c.format.bits << " bits, scale " << s << ": pixel " << std::hex
                                  << p << " shows " << got << ", not " << want;
            }
        }
    }
}

// What falls outside the window is cut off, and nothing is written outside the rows asked for.
TEST(ShownPicture, RowsLandInsideTheWindowOnly) {
    std::vector<u16> picture(8 * 4, 0xFFFF);
    std::vector<u32> window(10 * 6, 0x12345678);
    ShowTarget to{reinterpret_cast<u8*>(window.data()), 10 * 4, 10, 6, ShowFormat{}};
    // Rows 1 and 2 at scale 2, placed at (3, 1): window rows 3..6 (6 cut off), columns 3..18.
    ShowPictureRows(picture.data(), 8, 8, 1, 3, PictureLayout{}, to, 3, 1, 2);
    for (i32 y = 0; y < 6; ++y) {
        for (i32 x = 0; x < 10; ++x) {
            u32 want = y >= 3 && x >= 3 ? 0xFFFFFFu : 0x12345678u;
            EXPECT_EQ(window[y * 10 + x], want) << x << "," << y;
        }
    }
}

// ---- The real window under a virtual X server ----

// The few Xlib calls that read the screen back, from the library SDL brought in.
struct XCalls {
    Display* (*open)(const char*) = nullptr;
    int (*close)(Display*) = nullptr;
    Window (*root)(Display*) = nullptr;
    XImage* (*image)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long,
                     int) = nullptr;
    bool Load() {
        open = reinterpret_cast<decltype(open)>(dlsym(RTLD_DEFAULT, "XOpenDisplay"));
        close = reinterpret_cast<decltype(close)>(dlsym(RTLD_DEFAULT, "XCloseDisplay"));
        root = reinterpret_cast<decltype(root)>(dlsym(RTLD_DEFAULT, "XDefaultRootWindow"));
        image = reinterpret_cast<decltype(image)>(dlsym(RTLD_DEFAULT, "XGetImage"));
        return open && close && root && image;
    }
};

// What the X server shows: its root window's pixels and their masks.
struct Screen {
    i32 w = 0, h = 0;
    u32 red = 0, green = 0, blue = 0;
    std::vector<u32> pixels;
    u32 At(i32 x, i32 y) const { return pixels[static_cast<size_t>(y) * w + x]; }
};

// The process id an X server wrote into its lock file, or -1.
pid_t LockHolder(const char* lock) {
    FILE* f = std::fopen(lock, "r");
    if (!f) return -1;
    long pid = -1;
    if (std::fscanf(f, "%ld", &pid) != 1) pid = -1;
    std::fclose(f);
    return static_cast<pid_t>(pid);
}

// A virtual X server of its own (the first free display from :91), ended with the fixture.
class XServer {
public:
    bool Start(i32 w, i32 h, int depth) {
        char screen[32];
        std::snprintf(screen, sizeof screen, "%dx%dx%d", w, h, depth);
        for (int n = 91; n < 131 && pid_ <= 0; ++n) {
            char display[16], lock[32], socket[32];
            std::snprintf(display, sizeof display, ":%d", n);
            std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", n);
            std::snprintf(socket, sizeof socket, "/tmp/.X11-unix/X%d", n);
            if (fs::exists(lock)) continue;
            pid_t pid = fork();
            if (pid == 0) {
                execlp("Xvfb", "Xvfb", display, "-screen", "0", screen, "-nolisten", "tcp",
                       "-noreset", static_cast<char*>(nullptr));
                _exit(127);
            }
            if (pid < 0) return false;
            // Up for clients once its socket is there and the lock names it (another
            // test may have taken the number a moment earlier); gone when it was taken.
            for (int i = 0; i < 100; ++i) {
                if (fs::exists(socket) && LockHolder(lock) == pid) {
                    pid_ = pid;
                    display_ = display;
                    break;
                }
                if (waitpid(pid, nullptr, WNOHANG) == pid) break;
                usleep(50000);
            }
            if (pid_ <= 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
        return pid_ > 0;
    }
    ~XServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

struct ScreenCase {
    i32 w, h;
    int depth;
    i32 scale;
};

class ShownWindow : public ::testing::TestWithParam<ScreenCase> {
protected:
    void TearDown() override {
        PlatformReset();
        PlatformStopSdl();
        PlatformSetBackend(Backend::Headless);
        if (!lockDir_.empty()) fs::remove_all(lockDir_);
    }

    // The game's window on a w x h screen of the given depth, the display
    // open and a canvas drawn with every 16-bit value.
    bool Open(i32 w, i32 h, int depth) {
        if (!xserver_.Start(w, h, depth)) return false;
        char name[32];
        std::snprintf(name, sizeof name, "mh-shown-%d", static_cast<int>(getpid()));
        lockDir_ = fs::temp_directory_path() / name;
        fs::create_directories(lockDir_);
        ::setenv("MOONHARBOR_LOCK_DIR", lockDir_.c_str(), 1);
        ::setenv("DISPLAY", xserver_.display().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        ::unsetenv("SDL_RENDER_DRIVER");
        PlatformReset();
        PlatformStopSdl();
        PlatformSetBackend(Backend::Sdl);
        WNDCLASS wc;
        wc.className = "MoonharborShown";
        wc.proc = DefWindowProcA;
        RegisterClassA(wc);
        if (!CreateWindowExA(wc.className, "Moonharbor", 640, 480) || !SdlMainWindow())
            return false;
        if (!DisplayOpen(640, 480, 16)) return false;
        primary_ = DisplayCreatePrimary();
        canvas_ = DisplayCreateSurface(640, 480);
        u16* px = DisplayLock(canvas_, nullptr);
        for (i32 i = 0; i < 640 * 480; ++i) px[i] = static_cast<u16>(i * 40503u >> 3);
        DisplayUnlock(canvas_);
        return primary_ && canvas_ && x_.Load();
    }

    void Show() {
        DisplayBlit(primary_, 0, 0, canvas_, nullptr, false);
        DisplayPresent();
    }

    Screen Read() {
        Screen s;
        Display* dpy = x_.open(xserver_.display().c_str());
        if (!dpy) return s;
        XWindowAttributes a;
        Window root = x_.root(dpy);
        auto attributes = reinterpret_cast<int (*)(Display*, Window, XWindowAttributes*)>(
            dlsym(RTLD_DEFAULT, "XGetWindowAttributes"));
        attributes(dpy, root, &a);
        XImage* img = x_.image(dpy, root, 0, 0, a.width, a.height, ~0ul, ZPixmap);
        if (img) {
            s.w = a.width;
            s.h = a.height;
            s.red = static_cast<u32>(img->red_mask);
            s.green = static_cast<u32>(img->green_mask);
            s.blue = static_cast<u32>(img->blue_mask);
            const int bytes = img->bits_per_pixel / 8;
            s.pixels.resize(static_cast<size_t>(s.w) * s.h);
            for (i32 y = 0; y < s.h; ++y)
                for (i32 x = 0; x < s.w; ++x) {
                    u32 v = 0;
                    std::memcpy(&v, img->data + y * img->bytes_per_line + x * bytes, bytes);
                    s.pixels[static_cast<size_t>(y) * s.w + x] = v;
                }
            img->f.destroy_image(img);
        }
        x_.close(dpy);
        return s;
    }

    // Compares the screen with the canvas as it should show: every picture
    // pixel a scale x scale square centred on the screen, black elsewhere.
    int Wrong(const Screen& s, i32 scale, const std::vector<u16>& picture) {
        const i32 ox = (s.w - 640 * scale) / 2, oy = (s.h - 480 * scale) / 2;
        int wrong = 0;
        for (i32 y = 0; y < s.h; ++y) {
            for (i32 x = 0; x < s.w; ++x) {
                i32 px = (x - ox) / scale, py = (y - oy) / scale;
                bool inside = x >= ox && y >= oy && px < 640 && py < 480;
                u32 want =
                    inside ? Packed(Expanded(picture[py * 640 + px], true), s.red, s.green, s.blue)
                           : 0;
                u32 got = s.At(x, y) & (s.red | s.green | s.blue);
                if (got != want && ++wrong <= 3)
                    ADD_FAILURE() << "screen (" << x << "," << y << ") shows " << std::hex << got
                                  << ", not " << want;
            }
        }
        return wrong;
    }

    std::vector<u16> Canvas() {
        u16* px = DisplayLock(canvas_, nullptr);
        std::vector<u16> copy(px, px + 640 * 480);
        DisplayUnlock(canvas_);
        return copy;
    }

    XServer xserver_;
    XCalls x_;
    fs::path lockDir_;
    DisplaySurface* primary_ = nullptr;
    DisplaySurface* canvas_ = nullptr;
};

// The picture after a frame, and after a block of 48 rows by 60 columns
// changed: the block shows the new picture, and a mark left in the window's
// own pixels outside the pieces of rows it touches (32 columns each) neither
// reaches the screen nor is overwritten, above it or beside it.
TEST_P(ShownWindow, FrameAndChangedBlockShowTheCanvas) {
    const ScreenCase c = GetParam();
    if (system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
    ASSERT_TRUE(Open(c.w, c.h, c.depth)) << SDL_GetError();
    Show();
    std::vector<u16> first = Canvas();
    Screen s = Read();
    ASSERT_EQ(std::tuple(s.w, s.h), std::tuple(c.w, c.h));
    EXPECT_EQ(Wrong(s, c.scale, first), 0) << "the first frame";
    // The window uncovered with its pixels no longer black: the frame after
    // paints the bars black again, besides the picture.
    SDL_Surface* mine = SDL_GetWindowSurface(SdlMainWindow());
    ASSERT_NE(mine, nullptr);
    std::memset(mine->pixels, 0x5A, static_cast<size_t>(mine->pitch) * c.h);
    SDL_Event uncovered{};
    uncovered.type = SDL_WINDOWEVENT;
    uncovered.window.event = SDL_WINDOWEVENT_EXPOSED;
    uncovered.window.windowID = SDL_GetWindowID(SdlMainWindow());
    SDL_PushEvent(&uncovered);
    Show();
    EXPECT_EQ(Wrong(Read(), c.scale, first), 0) << "the frame after the window was uncovered";
    const i32 ox = (c.w - 640 * c.scale) / 2, oy = (c.h - 480 * c.scale) / 2;
    std::memset(mine->pixels, 0x5A, static_cast<size_t>(mine->pitch) * (oy + 148 * c.scale));
    u16* px = DisplayLock(canvas_, nullptr);
    for (i32 y = 100; y < 148; ++y)
        for (i32 x = 210; x < 270; ++x) px[y * 640 + x] = static_cast<u16>(~px[y * 640 + x]);
    DisplayUnlock(canvas_);
    Show();
    std::vector<u16> shown = first, now = Canvas();
    for (i32 y = 100; y < 148; ++y)
        std::copy(now.begin() + y * 640 + 210, now.begin() + y * 640 + 270,
                  shown.begin() + y * 640 + 210);
    EXPECT_EQ(Wrong(Read(), c.scale, shown), 0) << "the block and nothing else";
    const u8* mark = static_cast<const u8*>(mine->pixels);
    const i32 bytes = mine->format->BytesPerPixel;
    auto at = [&](i32 x, i32 y) {
        return mark[(oy + y * c.scale) * mine->pitch + (ox + x * c.scale) * bytes];
    };
    // Columns 191 and 288 lie just outside the pieces of columns 192-287.
    EXPECT_EQ(std::tuple(at(0, 0), at(639, 99), at(191, 120), at(288, 147)),
              std::tuple(0x5A, 0x5A, 0x5A, 0x5A))
        << "pixels beside or above the block were written again";
}

INSTANTIATE_TEST_SUITE_P(, ShownWindow,
                         ::testing::Values(ScreenCase{700, 500, 16, 1}, ScreenCase{700, 500, 24, 1},
                                           ScreenCase{1400, 1000, 16, 2},
                                           ScreenCase{1400, 1000, 24, 2}),
                         [](const auto& info) {
                             return std::to_string(info.param.depth) + "bit_scale" +
                                    std::to_string(info.param.scale);
                         });

}  // namespace
