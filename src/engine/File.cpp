// cFile over POSIX descriptors and mmap, with Windows paths resolved onto the
// host; cDataFile's typed transfers.
#include "engine/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "platform/Fault.h"
#include "platform/FileCalls.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"

namespace {

// Files are opened without sharing: a second open of an open file fails.
// Never destroyed: global cFile objects close after every static is gone.
std::set<std::pair<u64, u64>>& OpenFiles() {
    static auto* s = new std::set<std::pair<u64, u64>>;
    return *s;
}

}  // namespace

cFile::cFile() = default;
cFile::cFile(int) {}
cFile::cFile(const cFile&) {}

cFile::~cFile() {
    if (mapping_ && !CloseMapping()) return;
    if (fd_ >= 0) {
        OpenFiles().erase({dev_, ino_});
        FsClose(fd_);
        fd_ = -1;
    }
    std::free(name_);
    name_ = nullptr;
}

void cFile::SetError(const char* text) {
    errorCode_ = 0;
    size_t n = strnlen(text, sizeof(error_) - 1);
    std::memcpy(error_, text, n);
    error_[n] = 0;
}

void cFile::FormatError(int code) {
    SetError(std::strerror(code));
    errorCode_ = code;
}

int cFile::Open(const char* name, u32 disposition, u32 access) {
    if (fd_ >= 0) {
        OpenFiles().erase({dev_, ino_});
        FsClose(fd_);
        fd_ = -1;
    }
    std::free(name_);
    name_ = nullptr;
    if (!name) {
        FormatError(EINVAL);
        return 0;
    }
    std::string host = HostPath(name);
    int flags = O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags |= O_RDWR;
    else if (access & GENERIC_WRITE)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    if (disposition == CREATE_ALWAYS) flags |= O_CREAT | O_TRUNC;
    if (disposition == OPEN_ALWAYS) flags |= O_CREAT;
    // The attributes are set to normal first, which clears read-only.
    struct stat st;
    if (::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        ::chmod(host.c_str(), st.st_mode | S_IWUSR);
    // Opened without blocking, so that a pipe at the name cannot hold the
    // game; only plain files are kept, and they are used blocking.
    int fd = FsOpen(host.c_str(), flags | O_NONBLOCK, 0644);
    // A folder, a pipe, a device or a loop of links at the name is no file of
    // ours, and is named as what it is (a pipe without a reader refuses a
    // writer as if it were no device).
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP || (::stat(host.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
            SetError(kNotRegularFile);
        else
            FormatError(error);
        return 0;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        FsClose(fd);
        SetError(kNotRegularFile);
        return 0;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto key = std::make_pair(static_cast<u64>(st.st_dev), static_cast<u64>(st.st_ino));
    if (OpenFiles().count(key)) {
        FsClose(fd);
        SetError("The process cannot access the file because it is being used by another process.");
        return 0;
    }
    OpenFiles().insert(key);
    dev_ = key.first;
    ino_ = key.second;
    fd_ = fd;
    name_ = strdup(name);
    ::lseek(fd_, 0, SEEK_SET);
    return 1;
}

int cFile::Close() {
    std::free(name_);
    name_ = nullptr;
    if (mapping_ && !CloseMapping()) return 0;
    if (fd_ < 0) return 1;
    OpenFiles().erase({dev_, ino_});
    if (FsClose(fd_) != 0) {
        fd_ = -1;
        FormatError(errno);
        return 0;
    }
    fd_ = -1;
    error_[0] = 0;
    return 1;
}

int cFile::CreateMapping() {
    if (fd_ < 0) return 0;
    mapping_ = true;
    writeMapping_ = false;
    mappingSize_ = GetSize();
    return 1;
}

int cFile::CreateWriteMapping(u32 size) {
    if (fd_ < 0) return 0;
    struct stat st;
    if (::fstat(fd_, &st) == 0 && static_cast<u64>(st.st_size) < size &&
        FsTruncate(fd_, static_cast<off_t>(size)) != 0) {
        FormatError(errno);
        return 0;
    }
    mapping_ = true;
    writeMapping_ = true;
    mappingSize_ = size;
    return 1;
}

int cFile::UnmapView() {
    if (!view_) return 1;
    if (::munmap(view_, viewSize_) != 0) {
        FormatError(errno);
        return 0;
    }
    view_ = nullptr;
    viewSize_ = 0;
    return 1;
}

int cFile::CloseMapping() {
    if (!mapping_) return 1;
    if (!UnmapView()) return 0;
    mapping_ = false;
    mappingSize_ = 0;
    return 1;
}

const u8* cFile::MapView(u32 offset, u32 size) {
    if (!UnmapView()) return nullptr;
    if (!mapping_ || offset > mappingSize_) return nullptr;
    u32 len = size ? size : mappingSize_ - offset;
    if (len == 0 || static_cast<u64>(offset) + len > mappingSize_) return nullptr;
    long page = ::sysconf(_SC_PAGESIZE);
    u32 base = offset - offset % static_cast<u32>(page);
    u32 lead = offset - base;
    void* p = ::mmap(nullptr, len + lead, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(base));
    if (p == MAP_FAILED) return nullptr;
    // Keep the page-aligned mapping; the caller sees the requested offset.
    view_ = static_cast<u8*>(p);
    viewSize_ = len + lead;
    return view_ + lead;
}

u8* cFile::MapWriteView(u32 offset, u32 size) {
    if (!UnmapView()) return nullptr;
    if (!mapping_ || !writeMapping_ || offset > mappingSize_) {
        SetError("no write mapping");
        return nullptr;
    }
    u32 len = size ? size : mappingSize_ - offset;
    if (len == 0 || static_cast<u64>(offset) + len > mappingSize_) {
        SetError("view outside the mapping");
        return nullptr;
    }
    long page = ::sysconf(_SC_PAGESIZE);
    u32 base = offset - offset % static_cast<u32>(page);
    u32 lead = offset - base;
    void* p = ::mmap(nullptr, len + lead, PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                     static_cast<off_t>(base));
    if (p == MAP_FAILED) {
        FormatError(errno);
        return nullptr;
    }
    view_ = static_cast<u8*>(p);
    viewSize_ = len + lead;
    return view_ + lead;
}

int cFile::CloseView(const void* view) {
    if (!view_ && !view) return 1;
    // The caller holds the address it was given, which may lie past a page start.
    const u8* v = static_cast<const u8*>(view);
    if (!view_ || v < view_ || v >= view_ + viewSize_ || v - view_ >= ::sysconf(_SC_PAGESIZE)) {
        return 0;  // "cFile ,CloseView Src/Dest difference"
    }
    return UnmapView();
}

u32 cFile::GetSize() {
    if (fd_ < 0) return 0xFFFFFFFFu;
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
        FormatError(errno);
        return 0xFFFFFFFFu;
    }
    return static_cast<u32>(st.st_size);
}

int cFile::SetEnd() {
    if (fd_ < 0) return 0;
    off_t pos = ::lseek(fd_, 0, SEEK_CUR);
    if (pos < 0 || FsTruncate(fd_, pos) != 0) {
        FormatError(errno);
        return 0;
    }
    return 1;
}

int cFile::Read(void* buffer, u32* count) {
    if (fd_ < 0 || !buffer || !count || *count == 0) {
        if (count) *count = 0;
        return 0;
    }
    u8* dst = static_cast<u8*>(buffer);
    u32 want = *count, got = 0;
    while (got < want) {
        ssize_t n = FsRead(fd_, dst + got, want - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            FormatError(errno);
            *count = 0;
            return 0;
        }
        if (n == 0) break;
        got += static_cast<u32>(n);
    }
    *count = got;
    return 1;
}

int cFile::Write(const void* buffer, u32* count) {
    if (fd_ < 0 || !buffer || !count || *count == 0) {
        if (count) *count = 0;
        return 0;
    }
    const u8* src = static_cast<const u8*>(buffer);
    u32 want = *count, put = 0;
    while (put < want) {
        ssize_t n = FsWrite(fd_, src + put, want - put);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            FormatError(n < 0 ? errno : EIO);
            *count = 0;
            return 0;
        }
        put += static_cast<u32>(n);
    }
    *count = put;
    return 1;
}

int cFile::Fill(u8 byte, u32* count) {
    if (!count) return 0;
    std::vector<u8> buf(*count, byte);
    return Write(buf.data(), count);
}

u32 cFile::Seek(int origin, i32 offset) {
    if (fd_ < 0) return 0xFFFFFFFFu;
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0) {
        FormatError(errno);
        return 0xFFFFFFFFu;
    }
    return static_cast<u32>(r);
}

int cFile::GetPosition(u32* pos) {
    u32 p = Tell();
    if (p == 0xFFFFFFFFu) return 0;
    *pos = p;
    return 1;
}

int cFile::GetTime(i64* creation, i64* access, i64* write) {
    if (fd_ < 0) return 0;
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
        FormatError(errno);
        return 0;
    }
    if (creation) *creation = st.st_ctime;
    if (access) *access = st.st_atime;
    if (write) *write = st.st_mtime;
    return 1;
}

int cFile::Flush() {
    if (fd_ < 0) return 0;
    return FsSync(fd_) == 0 ? 1 : 0;
}

int cFile::WriteData(const void* p, u32 size) {
    u32 n = size;
    return Write(p, &n) && n == size ? 1 : 0;
}

int cFile::WriteWord(u16 v) {
    u8 b[2] = {static_cast<u8>(v), static_cast<u8>(v >> 8)};
    return WriteData(b, 2);
}

int cFile::WriteDword(u32 v) {
    u8 b[4] = {static_cast<u8>(v), static_cast<u8>(v >> 8), static_cast<u8>(v >> 16),
               static_cast<u8>(v >> 24)};
    return WriteData(b, 4);
}

int cFile::WriteString(const char* text) {
    return WriteData(text, static_cast<u32>(std::strlen(text) + 1));
}

int cFile::ReadData(void* p, u32 size) {
    u32 n = size;
    return Read(p, &n);
}

// Typed reads leave the destination as it was when the file ends first.
// A short read near the end stores the bytes that arrived, low byte first, and
// leaves the rest of the value as it was.
int cFile::ReadWord(u16* v) {
    u8 b[2] = {static_cast<u8>(*v), static_cast<u8>(*v >> 8)};
    u32 n = 2;
    if (!Read(b, &n)) return 0;
    *v = static_cast<u16>(b[0] | (b[1] << 8));
    return 1;
}

int cFile::ReadDword(u32* v) {
    u8 b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<u8>(*v >> (8 * i));
    u32 n = 4;
    if (!Read(b, &n)) return 0;
    *v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<u32>(b[3]) << 24);
    return 1;
}

int cFile::ReadInt(i32* v) {
    u32 u = static_cast<u32>(*v);
    int r = ReadDword(&u);
    *v = static_cast<i32>(u);
    return r;
}

int cFile::ReadString(char* buffer, u32 size) {
    if (!buffer || size == 0) return 0;
    u32 i = 0;
    for (;;) {
        char c;
        u32 n = 1;
        if (!Read(&c, &n) || n == 0) {
            buffer[i < size ? i : size - 1] = 0;
            if (n == 0) SetError("end of file before the end of the text");
            return 0;
        }
        if (i < size - 1) buffer[i++] = c;
        if (c == 0) break;
    }
    buffer[i < size ? i : size - 1] = 0;
    return 1;
}

int cFile::Printf(const char* format, ...) {
    char text[256];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    if (n < 0) n = 0;
    if (n > 255) n = 255;
    if (n > 0 && !WriteData(text, static_cast<u32>(n))) return 0;
    return WriteWord(0x0A0D);
}

bool cFile::ReadAll(std::string* out) {
    out->clear();
    u32 size = GetSize();
    if (size == 0xFFFFFFFFu || SeekSet(0) == 0) return false;
    out->resize(size);
    if (size == 0) return true;
    u32 n = size;
    if (!Read(out->data(), &n)) return false;
    out->resize(n);
    return true;
}

int cDataFile::Open(const char* name, u32 disposition, u32 access) {
    transfer_ = 4;
    name_ = name;
    return file_.Open(name, disposition, access);
}

// One transfer count serves every integer transfer: after a short one, every
// later transfer moves that many bytes (none, mostly) until the next Open.
int cDataFile::WriteInt(i32 v) {
    u8 b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<u8>(static_cast<u32>(v) >> (8 * i));
    return file_.Write(b, &transfer_);
}

int cDataFile::ReadInt(i32* v) {
    u8 b[4];
    u32 want = transfer_;
    int r = file_.Read(b, &transfer_);
    if (r && want == 4 && transfer_ == 4)
        *v = static_cast<i32>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<u32>(b[3]) << 24));
    return r;
}

int cDataFile::WriteData(const void* p, u32 size) {
    u32 n = size;
    return file_.Write(p, &n);
}

int cDataFile::ReadData(void* p, u32 size) {
    u32 n = size;
    return file_.Read(p, &n);
}

int cDataFile::WriteTag(const char* text) {
    int r = WriteInt(4);
    for (int i = 0; i < 4; ++i) r = WriteInt(static_cast<i8>(text[i]));
    return r;
}

char* cDataFile::ReadString(char* buffer, u32 size) {
    if (!buffer || size == 0) return nullptr;
    buffer[0] = 0;
    i32 len = -1;
    if (!ReadInt(&len) || transfer_ != 4) return nullptr;
    if (len < 0 || len > 255 || static_cast<u32>(len) >= size) return nullptr;
    for (i32 i = 0; i < len; ++i) {
        i32 c = 0;
        if (!ReadInt(&c) || transfer_ != 4) {
            buffer[i] = 0;
            return nullptr;
        }
        buffer[i] = static_cast<char>(c & 0xFF);
    }
    buffer[len] = 0;
    return buffer;
}

void OpenInNotepad(const char* path) {
    OpenWithDesktop(HostPath(path));
}

namespace {

int gLastWriteError = 0;

// Writes the bytes to tmp, flushed; false (and no temporary file left) on failure.
bool WriteTemporary(const std::string& tmp, const void* data, u32 size, bool flush = true) {
    int fd = FsOpen(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        gLastWriteError = errno;
        return false;
    }
    const u8* p = static_cast<const u8*>(data);
    u32 done = 0;
    int error = 0;
    while (done < size) {
        ssize_t n = FsWrite(fd, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<u32>(n);
    }
    if (!error && flush && FsSync(fd) != 0) error = errno;
    if (FsClose(fd) != 0 && !error) error = errno;
    if (!error) return true;
    gLastWriteError = error;
    FsUnlink(tmp.c_str());
    return false;
}

// After a rename the folder entry is flushed too; the new bytes are in place
// whatever it answers, so a failure is told and the write still counts.
void SyncFolderOf(const std::string& host) {
    if (!FsSyncFolder(host))
        ReportFault(kNoBox, "%s: the folder could not be flushed", Utf8ToBig5(host).c_str());
}

}  // namespace

int LastWriteError() {
    return gLastWriteError;
}

const char* WriteErrorReason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return B5("磁碟空間不足");
        case EROFS:
        case EACCES:
        case EPERM:
            return B5("存檔資料夾無法寫入");
        case ENOENT:
        case ENOTDIR:
            return B5("找不到存檔資料夾");
        default:
            return B5("寫入時發生錯誤");
    }
}

void ShowSaveWriteFailure(const char* winPath) {
    char text[256];
    std::snprintf(text, sizeof(text), B5("進度無法儲存：%s"), WriteErrorReason(gLastWriteError));
    ReportNotWritten(winPath, std::strerror(gLastWriteError), {B5("存檔")}, text);
}

int ReplaceFile(const char* winPath, const void* data, u32 size, Flush flush) {
    gLastWriteError = 0;
    std::string host = HostPath(winPath);
    std::string tmp = host + kTemporarySuffix;
    if (!WriteTemporary(tmp, data, size, flush != Flush::kNone)) return 0;
    if (FsRename(tmp.c_str(), host.c_str()) != 0) {
        gLastWriteError = errno;
        FsUnlink(tmp.c_str());
        return 0;
    }
    if (flush == Flush::kNameToo) SyncFolderOf(host);
    return 1;
}

int WriteNewFile(const char* winPath, const void* data, u32 size) {
    gLastWriteError = 0;
    std::string host = HostPath(winPath);
    std::string tmp = host + kTemporarySuffix;
    if (!WriteTemporary(tmp, data, size)) return 0;
    // link() refuses an existing name, so a file that appeared meanwhile stays.
    bool ok = FsLink(tmp.c_str(), host.c_str()) == 0;
    if (!ok) gLastWriteError = errno;
    if (FsUnlink(tmp.c_str()) != 0)
        ReportFault(kNoBox, "%s: left behind; the next start removes it", Utf8ToBig5(tmp).c_str());
    if (ok) SyncFolderOf(host);
    return ok ? 1 : 0;
}

void RemoveTemporaryFiles(const char* winFolder, const char* only) {
    std::string folder = HostPath(winFolder);
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    std::vector<std::string> names;
    const size_t suffix = std::strlen(kTemporarySuffix);
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kTemporarySuffix))
            continue;
        if (only && strcasecmp(name.c_str(), only) != 0) continue;
        names.push_back(name);
    }
    ::closedir(d);
    for (const std::string& name : names) {
        std::string path = folder + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) FsUnlink(path.c_str());
    }
}
