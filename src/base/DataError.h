// Bad data a reader met: the file (as the reader names it), the byte offset in
// it and what is wrong. A reader returns one to its caller or hands it to
// ReportDataError (engine/DataErrors.h), the game's one channel for them; the
// message reads "file: offset N: text".
#pragma once
#include <cstddef>
#include <string>
#include <utility>

#include "base/Types.h"

struct DataError {
    // The offset of a fault that lies at no one place (a file that cannot be
    // opened, a number no archive holds).
    static constexpr size_t kNoOffset = static_cast<size_t>(-1);

    DataError() = default;
    DataError(std::string f, size_t at, std::string what)
        : file(std::move(f)), offset(at), text(std::move(what)) {}

    std::string file;  // empty while the reader of a bare buffer does not know it
    size_t offset = 0;
    std::string text;
    // What the error box shows where the game words the box itself; empty: the
    // message. Stderr and the last error always have the message.
    std::string boxText;

    static DataError Unplaced(std::string file, std::string text) {
        return {std::move(file), kNoOffset, std::move(text)};
    }
    // "file: offset N: text"; the file and the offset left out when unknown.
    std::string Message() const {
        std::string m = file.empty() ? "" : file + ": ";
        if (offset != kNoOffset) m += "offset " + std::to_string(offset) + ": ";
        return m + text;
    }
    // The same fault, its box worded by the game.
    DataError Boxed(std::string shown) const {
        DataError e = *this;
        e.boxText = std::move(shown);
        return e;
    }
    std::string BoxText() const { return boxText.empty() ? Message() : boxText; }
};
