// The game's one channel for bad data: a reader's DataError reported on stderr,
// kept as the last one, and shown in an error box where the player must be told.
#pragma once
#include "base/DataError.h"
#include "base/Types.h"

// Writes the message to stderr and keeps it as the last one; with a caption it
// also shows the box text to the player in an error box.
void ReportDataError(const DataError& e, const char* boxCaption = nullptr);
// A fault worded whole by the game (printf-style), with no file and no offset:
// its message, and so the error box, shows the text exactly.
DataError WordedDataError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The fault `at` (file, offset, what is wrong) under a box the game words itself
// (printf-style): the box shows the worded text exactly, stderr the message.
DataError BoxedDataError(DataError at, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// The last error reported (empty before any), and how many were reported.
const DataError& LastDataError();
u32 DataErrorCount();
