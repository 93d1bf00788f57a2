// The one channel for bad data: stderr, the last error kept for whoever asks,
// and an error box where the reader wants the player told.
#include <cstdarg>
#include <cstdio>

#include "platform/Fault.h"
#include "engine/DataErrors.h"

namespace {

struct DataErrorLog {
    DataError last;
    u32 count = 0;
};

DataErrorLog& Log() {
    // Never destroyed: a reader may still report from a static destructor.
    static DataErrorLog* log = new DataErrorLog;
    return *log;
}

}  // namespace

void ReportDataError(const DataError& given, const char* boxCaption) {
    DataErrorLog& log = Log();
    DataError e = given;
    e.file = HostSeparators(e.file);
    log.last = e;
    ++log.count;
    // The line names the file and the offset; the box keeps the game's words.
    const FaultBox box = boxCaption ? FaultBox{boxCaption} : kNoBox;
    const std::string message = e.Message();
    if (e.file.empty())
        ReportFault(message.c_str(), box, e.BoxText().c_str());
    else
        ReportFileFault(e.file, message.c_str() + e.file.size(), box, e.BoxText().c_str());
}

namespace {

// The same room as an error box's text.
std::string Format(const char* format, va_list ap) {
    char text[1024];
    std::vsnprintf(text, sizeof(text), format, ap);
    return text;
}

}  // namespace

DataError WordedDataError(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::string text = Format(format, ap);
    va_end(ap);
    return DataError::Unplaced("", std::move(text));
}

DataError BoxedDataError(DataError at, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    at.boxText = Format(format, ap);
    va_end(ap);
    return at;
}

const DataError& LastDataError() {
    return Log().last;
}

u32 DataErrorCount() {
    return Log().count;
}
