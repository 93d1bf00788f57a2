// The one report of a fault that is not bad data (bad data goes through
// ReportDataError, which reports through here too): one line on stderr and,
// where the game shows one, a box over its window.
#pragma once
#include <string>

#include "base/Types.h"
#include "platform/Win.h"

// The box a fault shows: its caption (Big5) and buttons. A fault without a
// caption shows no box; it is told on stderr alone.
struct FaultBox {
    const char* caption = nullptr;
    u32 buttons = MB_OK;
};
inline constexpr FaultBox kNoBox{};

// Formats the text (Big5, printf-style) and writes the line "caption: text",
// or the text alone without a box, on stderr as UTF-8 with its line breaks as
// blanks; then shows the text in the box. Returns the box's answer (IDOK when
// none is shown). A text the game shows as it stands goes in through "%s".
int ReportFault(FaultBox box, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same where the line says more than the box: bad data names its file and
// offset, a save its file, while the box keeps the game's own words.
int ReportFault(const char* line, FaultBox box, const char* text);
// The same for a line that leads with a file's host path: the path's bytes are
// the file system's (UTF-8) and go on the line as they stand, with the rest of
// the line (Big5) after them, every backslash of the game's paths a slash.
int ReportFileFault(const std::string& file, const char* rest, FaultBox box, const char* text);
// A file that could not be written (NotWrittenText), named with slashes as above.
int ReportNotWritten(const std::string& file, const char* why, FaultBox box = kNoBox,
                     const char* text = nullptr);

// A path named with the host's separators: the game's backslashes become
// slashes, so that no line reads "/home/me/game/Save\Quick.sav".
std::string HostSeparators(std::string path);

// The one wording of a file that could not be written, naming the file, with
// the reason when there is one: "Save\Option.sav: could not be written (No
// space left on device)". The tools word their failed writes with it too.
std::string NotWrittenText(const std::string& file, const char* why = nullptr);
