// Faults told one way: one line on stderr, and the game's box where it has one.
#include "platform/Fault.h"

#include <cstdarg>
#include <cstdio>

#include "platform/TextCodec.h"

namespace {

// One line of UTF-8: each line break becomes a blank, and blanks that would
// lead the line are dropped.
std::string OneLine(std::string line) {
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : line.substr(start);
}

int Report(const std::string& utf8Line, FaultBox box, const char* text) {
    // The line goes first: it is there even when the box never closes.
    std::fprintf(stderr, "%s\n", OneLine(utf8Line).c_str());
    if (!box.caption) return IDOK;
    return MessageBoxA(nullptr, text ? text : "", box.caption, box.buttons);
}

}  // namespace

std::string HostSeparators(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

int ReportFault(const char* line, FaultBox box, const char* text) {
    return Report(Big5ToUtf8(line ? line : ""), box, text);
}

int ReportFileFault(const std::string& file, const char* rest, FaultBox box, const char* text) {
    return Report(HostSeparators(file) + Big5ToUtf8(rest ? rest : ""), box, text);
}

int ReportNotWritten(const std::string& file, const char* why, FaultBox box, const char* text) {
    return Report(NotWrittenText(HostSeparators(file), why), box, text);
}

int ReportFault(FaultBox box, const char* format, ...) {
    // The same room as the error box's text.
    char text[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    std::string line = box.caption ? std::string(box.caption) + ": " + text : std::string(text);
    return ReportFault(line.c_str(), box, text);
}

std::string NotWrittenText(const std::string& file, const char* why) {
    std::string text = file + ": could not be written";
    if (why && *why) text += std::string(" (") + why + ")";
    return text;
}
