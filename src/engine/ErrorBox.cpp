// Error, DirectDraw, maintenance and DirectSound message boxes.
#include "engine/ErrorBox.h"
#include "engine/MemDbg.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/Fault.h"
#include "platform/TextCodec.h"

HWND gMainWnd = nullptr;
char gScratchBuf[1024];

int ErrorBox(const char* caption, const char* format, ...) {
    char text[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    std::memcpy(gScratchBuf, text, sizeof(text));
    MemDbgMessage("%s", text);
    return ReportFault({caption}, "%s", text);
}

int DDErrorBox(HWND hwnd, const char* caption) {
    return ReportFault({caption}, "%s", "DDERR");
}

int MaintenanceBox(HWND hwnd, const char* format, i32 value, const char* file, u32 line) {
    char error[128];
    char message[128];
    std::snprintf(error, sizeof(error), format, value);
    std::snprintf(message, sizeof(message), B5("\n檔案: %s\n行數: 第%u行\n錯誤: %s"), file, line,
                  error);
    int r = ReportFault({B5("維護錯誤"), MB_ABORTRETRYIGNORE | MB_ICONERROR}, "%s", message);
    if (r == IDABORT) return static_cast<int>(SendMessageA(hwnd, WM_CLOSE, 0, 0));
    if (r == IDIGNORE) return 1;
    return r;
}

int DSErrorBox(HWND hwnd, const char* caption, u32 code) {
    const char* text = "DSERR";
    switch (code) {
        case 0x80040110u:
            text = "DSERR_NOAGGREGATION ";
            break;
        case 0x8007000Eu:
            text = "DSERR_OUTOFMEMORY ";
            break;
        case 0x80070057u:
            text = "DSERR_INVALIDPARAM";
            break;
        case 0x8878000Au:
            text = "DSERR_ALLOCATED";
            break;
        case 0x88780078u:
            text = "DSERR_NODRIVER ";
            break;
        default:
            break;
    }
    return ReportFault({caption}, "%s", text);
}
