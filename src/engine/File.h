// cFile: one host file with at most one mapping and one view, its name and the
// text of its last error. cDataFile: 32-bit little-endian values and strings
// over it, with the sticky transfer count the game's loaders rely on.
#pragma once
#include <cerrno>
#include <string>

#include "base/Types.h"

constexpr u32 GENERIC_READ = 0x80000000u;
constexpr u32 GENERIC_WRITE = 0x40000000u;
constexpr u32 CREATE_ALWAYS = 2;
constexpr u32 OPEN_EXISTING = 3;
constexpr u32 OPEN_ALWAYS = 4;

// The error text of an open that found a folder, a pipe, a device or a loop of
// links at the name.
constexpr const char* kNotRegularFile = "not a regular file";

class cFile {
public:
    cFile();
    explicit cFile(int ignored);
    cFile(const cFile& other);  // builds a closed object; nothing is copied
    cFile& operator=(const cFile&) = delete;
    ~cFile();

    int Open(const char* name, u32 disposition, u32 access);
    int Close();
    bool IsOpen() const { return fd_ >= 0; }
    const char* GetName() const { return name_; }

    int CreateMapping();
    int CreateWriteMapping(u32 size);
    int CloseMapping();
    const u8* MapView(u32 offset, u32 size);
    u8* MapWriteView(u32 offset, u32 size);
    int CloseView(const void* view);
    // Bytes of the current view (0 when none).
    u32 ViewSize() const { return viewSize_; }

    u32 GetSize();
    int SetEnd();
    int Read(void* buffer, u32* count);
    int Write(const void* buffer, u32* count);
    int Fill(u8 byte, u32* count);
    u32 Seek(int origin, i32 offset);
    u32 SeekSet(i32 offset) { return Seek(0, offset) + 1; }
    u32 SeekCur(i32 offset) { return Seek(1, offset) + 1; }
    u32 SeekEnd(i32 offset) { return Seek(2, offset) + 1; }
    u32 Tell() { return Seek(1, 0); }
    int GetPosition(u32* pos);
    int GetTime(i64* creation, i64* access, i64* write);
    int Flush();

    int WriteData(const void* p, u32 size);
    int WriteChar(i8 v) { return WriteData(&v, 1); }
    int WriteByte(u8 v) { return WriteData(&v, 1); }
    int WriteWord(u16 v);
    int WriteInt(i32 v) { return WriteDword(static_cast<u32>(v)); }
    int WriteUInt(u32 v) { return WriteDword(v); }
    int WriteLong(i32 v) { return WriteDword(static_cast<u32>(v)); }
    int WriteDword(u32 v);
    int WriteString(const char* text);

    int ReadData(void* p, u32 size);
    int ReadChar(i8* v) { return ReadData(v, 1); }
    int ReadByte(u8* v) { return ReadData(v, 1); }
    int ReadWord(u16* v);
    int ReadInt(i32* v);
    int ReadUInt(u32* v) { return ReadDword(v); }
    int ReadLong(i32* v) { return ReadInt(v); }
    int ReadDword(u32* v);
    // Reads bytes up to and including a zero into a buffer of size bytes; a
    // longer text is cut (and the rest of it skipped), a file that ends first
    // gives 0. The buffer always ends with a zero.
    int ReadString(char* buffer, u32 size);

    // Formats into at most 255 characters, writes them, then CR LF.
    int Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const char* GetErrorText() const { return error_; }
    // True when the last failure was that nothing stands at the name (or at a
    // folder on its way): a file that is simply not there yet.
    bool NotThere() const { return errorCode_ == ENOENT || errorCode_ == ENOTDIR; }

    // The whole file read from the start (empty when it cannot be read).
    bool ReadAll(std::string* out);

private:
    void FormatError(int code);
    void SetError(const char* text);
    int UnmapView();

    int fd_ = -1;
    bool mapping_ = false;
    bool writeMapping_ = false;
    u32 mappingSize_ = 0;
    u8* view_ = nullptr;
    u32 viewSize_ = 0;
    char* name_ = nullptr;
    char error_[64] = {};
    int errorCode_ = 0;
    u64 dev_ = 0, ino_ = 0;
};

class cDataFile {
public:
    int Open(const char* name, u32 disposition, u32 access);
    int Close() { return file_.Close(); }
    int WriteInt(i32 v);
    int ReadInt(i32* v);
    int WriteData(const void* p, u32 size);
    int ReadData(void* p, u32 size);
    int WriteTag(const char* text);
    // Reads a stored string (int32 length, then one int32 per character) into
    // a buffer of size bytes. Lengths below 0, above 255 or that do not fit the
    // buffer are refused: the result is null and the file is left past nothing.
    char* ReadString(char* buffer, u32 size);
    u32 GetSize() { return file_.GetSize(); }
    cFile& file() { return file_; }

private:
    cFile file_;
    const char* name_ = nullptr;
    u32 transfer_ = 4;
};

void OpenInNotepad(const char* path);

// The name a writer's bytes have before they take the file's own name.
constexpr const char* kTemporarySuffix = ".tmp";

// How long a replacing write waits for the disk. kNameToo: the bytes are
// flushed, and after the rename the folder too, so the new file survives a
// power cut (two flushes). kBytes: only the bytes are flushed before the
// rename, so after a power cut the file is the old one or the whole new one
// (one flush). kNone: nothing is flushed; a killed program still leaves the
// old file or the whole new one.
enum class Flush { kNameToo, kBytes, kNone };

// Replaces a whole file safely: the bytes go to a temporary file in the same
// folder, are flushed, the temporary file is renamed over the old one and the
// folder is flushed (as far as `flush` asks). On failure the old file is as it
// was and no temporary file is left.
int ReplaceFile(const char* winPath, const void* data, u32 size, Flush flush = Flush::kNameToo);
// Writes a new file the same way, but never over an existing one: 0 when the
// name is taken or the bytes cannot be written.
int WriteNewFile(const char* winPath, const void* data, u32 size);
// The system error of the last failed ReplaceFile or WriteNewFile (0 after a success).
int LastWriteError();
// Why a write failed, in the player's words (Big5): a full disk, a folder that
// cannot be written, a missing folder, or a plain write error.
const char* WriteErrorReason(int error);
// The box of a save that could not be written (caption "存檔", the reason),
// and the line on stderr that names the file.
void ShowSaveWriteFailure(const char* winPath);
// Removes the temporary files a writer left in a folder when it was stopped
// half-way: every "*.tmp", or only the one named `only`.
void RemoveTemporaryFiles(const char* winFolder, const char* only = nullptr);
