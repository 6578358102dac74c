// Streams over files and memory, and the property filer.
#include "gui/base/Classes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include <unistd.h>

#include "gui/base/FileLoad.h"

namespace gui {

void TFileStream::RefuseOversized() {
    if (static_cast<std::uint64_t>(Size()) > kMaxStreamFileBytes)
        throw EFOpenError(FormatMessage("Cannot open file %s: it is too large", FFileName));
}

// ---- TStream --------------------------------------------------------------

std::int64_t TStream::Size() {
    std::int64_t pos = Seek(0, soFromCurrent);
    std::int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}
void TStream::SetSize(std::int64_t) {}
void TStream::ReadBuffer(void* Buffer, int Count) {
    if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}
void TStream::WriteBuffer(const void* Buffer, int Count) {
    if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}
std::int64_t TStream::CopyFrom(TStream* Source, std::int64_t Count) {
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    std::int64_t result = Count;
    char buf[8192];
    while (Count > 0) {
        int n = static_cast<int>(std::min<std::int64_t>(Count, sizeof buf));
        Source->ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        Count -= n;
    }
    return result;
}

// ---- TFileStream ------------------------------------------------------------

TFileStream::TFileStream(const String& FileName, unsigned Mode) : FFileName(FileName) {
    // Only regular files: a pipe would hold the open forever, a device never ends.
    const bool create = Mode == fmCreate;
    FileAccess access = FileAccess::Read;
    const char* how = "rb";
    if (create) {
        access = FileAccess::Create;
        how = "w+b";
    } else if ((Mode & 3) == fmOpenWrite || (Mode & 3) == fmOpenReadWrite) {
        access = FileAccess::ReadWrite;
        how = "r+b";
    }
    FileStatus status = FileStatus::Ok;
    const int fd = OpenRegularFile(FileName, access, status);
    if (fd >= 0) {
        FFile = ::fdopen(fd, how);
        if (!FFile) ::close(fd);
    }
    if (!FFile) {
        if (create) throw EFCreateError(FormatMessage("Cannot create file %s", FileName));
        throw EFOpenError(FormatMessage("Cannot open file %s", FileName));
    }
}
TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}
int TFileStream::Read(void* Buffer, int Count) {
    if (Count <= 0) return 0;
    return static_cast<int>(std::fread(Buffer, 1, static_cast<size_t>(Count), FFile));
}
int TFileStream::Write(const void* Buffer, int Count) {
    if (Count <= 0) return 0;
    return static_cast<int>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), FFile));
}
std::int64_t TFileStream::Seek(std::int64_t Offset, int Origin) {
    int whence = Origin == soFromCurrent ? SEEK_CUR : Origin == soFromEnd ? SEEK_END : SEEK_SET;
    if (fseeko(FFile, static_cast<off_t>(Offset), whence) != 0) return -1;
    return static_cast<std::int64_t>(ftello(FFile));
}
void TFileStream::SetSize(std::int64_t NewSize) {
    if (NewSize < 0) return;
    std::fflush(FFile);
    if (ftruncate(fileno(FFile), static_cast<off_t>(NewSize)) != 0) throw EWriteError("Stream write error");
}

// ---- TMemoryStream ----------------------------------------------------------

int TMemoryStream::Read(void* Buffer, int Count) {
    if (Count <= 0 || FPos >= Size()) return 0;
    std::int64_t n = std::min<std::int64_t>(Count, Size() - FPos);
    std::memcpy(Buffer, FData.data() + FPos, static_cast<size_t>(n));
    FPos += n;
    return static_cast<int>(n);
}
int TMemoryStream::Write(const void* Buffer, int Count) {
    if (Count <= 0) return 0;
    std::int64_t end = FPos + Count;
    if (end > Size()) FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPos, Buffer, static_cast<size_t>(Count));
    FPos = end;
    return Count;
}
std::int64_t TMemoryStream::Seek(std::int64_t Offset, int Origin) {
    std::int64_t base = Origin == soFromCurrent ? FPos : Origin == soFromEnd ? Size() : 0;
    std::int64_t p = base + Offset;
    // A position before the start is refused; one past the end is allowed
    // (reads there return nothing) as for a file.
    if (p < 0) return -1;
    FPos = p;
    return FPos;
}
void TMemoryStream::SetSize(std::int64_t NewSize) {
    if (NewSize < 0) throw EWriteError("Stream write error");
    FData.resize(static_cast<size_t>(NewSize));
    if (FPos > NewSize) FPos = NewSize;
}
void TMemoryStream::Clear() {
    FData.clear();
    FData.shrink_to_fit();
    FPos = 0;
}
void TMemoryStream::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    std::int64_t n = Stream->Size();
    if (n < 0 || n > std::numeric_limits<int>::max()) throw EReadError("Stream read error");
    SetSize(n);
    if (n) Stream->ReadBuffer(FData.data(), static_cast<int>(n));
    FPos = 0;
}
void TMemoryStream::SaveToStream(TStream* Stream) {
    if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int>(FData.size()));
}
void TMemoryStream::LoadFromFile(const String& FileName) {
    TFileStream fs(FileName, fmOpenRead);
    fs.RefuseOversized();
    LoadFromStream(&fs);
}
void TMemoryStream::SaveToFile(const String& FileName) {
    TFileStream fs(FileName, fmCreate);
    SaveToStream(&fs);
}

// ---- Filer ------------------------------------------------------------------
// Value tags of the property stream.
namespace {
constexpr std::uint8_t vaFalse = 8;
constexpr std::uint8_t vaTrue = 9;
constexpr std::uint8_t vaInt32 = 4;
constexpr std::uint8_t vaString = 6;
constexpr std::uint8_t vaBinary = 10;
// Upper bound for one value read back from a stream; guards against a
// corrupted length asking for gigabytes.
constexpr std::int32_t kMaxValueBytes = 64 * 1024 * 1024;
}  // namespace

void TWriter::WriteName(const String& Name) {
    if (Name.empty() || Name.size() > 255) throw EWriteError("Stream write error");
    std::uint8_t len = static_cast<std::uint8_t>(Name.size());
    FStream->WriteBuffer(&len, 1);
    FStream->WriteBuffer(Name.data(), len);
}
void TWriter::WriteProperties(TPersistent* Instance) {
    Instance->DefineProperties(this);
    std::uint8_t end = 0;
    FStream->WriteBuffer(&end, 1);
}
void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteName(Name);
    WriteData(this);
}
void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteName(Name);
    TMemoryStream data;
    WriteData(&data);
    std::uint8_t tag = vaBinary;
    auto size = static_cast<std::int32_t>(data.Size());
    FStream->WriteBuffer(&tag, 1);
    FStream->WriteBuffer(&size, 4);
    data.SaveToStream(FStream);
}
void TWriter::WriteInteger(std::int32_t v) {
    std::uint8_t tag = vaInt32;
    FStream->WriteBuffer(&tag, 1);
    FStream->WriteBuffer(&v, 4);
}
void TWriter::WriteString(const String& s) {
    std::uint8_t tag = vaString;
    auto len = static_cast<std::int32_t>(s.size());
    FStream->WriteBuffer(&tag, 1);
    FStream->WriteBuffer(&len, 4);
    FStream->WriteBuffer(s.data(), len);
}
void TWriter::WriteBoolean(bool v) {
    std::uint8_t tag = v ? vaTrue : vaFalse;
    FStream->WriteBuffer(&tag, 1);
}

std::uint8_t TReader::ReadByte() {
    std::uint8_t b = 0;
    FStream->ReadBuffer(&b, 1);
    return b;
}
void TReader::ReadProperties(TPersistent* Instance) {
    for (;;) {
        std::uint8_t len = ReadByte();
        if (len == 0) break;
        String name(len, '\0');
        FStream->ReadBuffer(name.data(), len);
        FPropName = name;
        Instance->DefineProperties(this);
        if (!FPropName.empty()) {
            String n = FPropName;
            FPropName.clear();
            throw EReadError("Error reading " + Instance->ClassName() + "." + n + ": Property " + n +
                             " does not exist");
        }
    }
}
void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) {
    if (FPropName.empty() || !SameText(Name, FPropName) || !ReadData) return;
    FPropName.clear();
    ReadData(this);
}
void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, bool) {
    if (FPropName.empty() || !SameText(Name, FPropName) || !ReadData) return;
    FPropName.clear();
    if (ReadByte() != vaBinary) throw EReadError("Invalid property value");
    std::int32_t size = 0;
    FStream->ReadBuffer(&size, 4);
    if (size < 0 || size > kMaxValueBytes || size > FStream->Size() - FStream->Position())
        throw EReadError("Stream read error");
    TMemoryStream data;
    data.SetSize(size);
    if (size) FStream->ReadBuffer(data.Memory(), size);
    data.SetPosition(0);
    ReadData(&data);
}
std::int32_t TReader::ReadInteger() {
    if (ReadByte() != vaInt32) throw EReadError("Invalid property value");
    std::int32_t v = 0;
    FStream->ReadBuffer(&v, 4);
    return v;
}
String TReader::ReadString() {
    if (ReadByte() != vaString) throw EReadError("Invalid property value");
    std::int32_t len = 0;
    FStream->ReadBuffer(&len, 4);
    if (len < 0 || len > kMaxValueBytes || len > FStream->Size() - FStream->Position())
        throw EReadError("Stream read error");
    String s(static_cast<size_t>(len), '\0');
    if (len) FStream->ReadBuffer(s.data(), len);
    return s;
}
bool TReader::ReadBoolean() {
    std::uint8_t b = ReadByte();
    if (b != vaTrue && b != vaFalse) throw EReadError("Invalid property value");
    return b == vaTrue;
}

}  // namespace gui
