#include "framework/core/Streams.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// TStream

int64_t TStream::Size() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(FrameworkTexts::StreamReadError);
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(FrameworkTexts::StreamWriteError);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    int64_t result = count;
    char buffer[65536];
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, sizeof(buffer));
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        count -= n;
    }
    return result;
}

uint8_t TStream::ReadByte() {
    uint8_t b;
    ReadBuffer(&b, 1);
    return b;
}

uint16_t TStream::ReadWord() {
    unsigned char b[2];
    ReadBuffer(b, 2);
    return uint16_t(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadUInt32() {
    unsigned char b[4];
    ReadBuffer(b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

int64_t TStream::ReadInt64() {
    uint64_t lo = ReadUInt32();
    uint64_t hi = ReadUInt32();
    return int64_t(lo | (hi << 32));
}

float TStream::ReadSingle() {
    uint32_t bits = ReadUInt32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double TStream::ReadDouble() {
    uint64_t bits = uint64_t(ReadInt64());
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

long double TStream::ReadExtended() {
    unsigned char b[10];
    ReadBuffer(b, 10);
    return ExtendedFromBytes(b);
}

std::string TStream::ReadBytes(int64_t count) {
    // A length beyond what the stream holds is a damaged stream: refuse it before allocating.
    if (count < 0 || count > Size() - Position())
        throw EReadError(FrameworkTexts::StreamReadError);
    std::string s(size_t(count), '\0');
    ReadBuffer(s.data(), count);
    return s;
}

void TStream::WriteByte(uint8_t value) {
    WriteBuffer(&value, 1);
}

void TStream::WriteWord(uint16_t value) {
    unsigned char b[2] = {uint8_t(value), uint8_t(value >> 8)};
    WriteBuffer(b, 2);
}

void TStream::WriteUInt32(uint32_t value) {
    unsigned char b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                          uint8_t(value >> 24)};
    WriteBuffer(b, 4);
}

void TStream::WriteInt64(int64_t value) {
    WriteUInt32(uint32_t(uint64_t(value)));
    WriteUInt32(uint32_t(uint64_t(value) >> 32));
}

void TStream::WriteSingle(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteUInt32(bits);
}

void TStream::WriteDouble(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    WriteInt64(int64_t(bits));
}

void TStream::WriteExtended(long double value) {
    unsigned char b[10];
    ExtendedToBytes(value, b);
    WriteBuffer(b, 10);
}

void TStream::WriteComponent(TComponent* instance) {
    TWriter writer(*this);
    writer.WriteDescendent(instance);
}

// ---------------------------------------------------------------------------
// TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= Size())
        return 0;
    int64_t n = std::min(count, Size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (FPosition + count > Size())
        FData.resize(size_t(FPosition + count), '\0');
    std::memcpy(FData.data() + FPosition, buffer, size_t(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : Size();
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::SetSize(int64_t value) {
    FData.resize(size_t(std::max<int64_t>(0, value)), '\0');
    FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::SetData(std::string data) {
    FData = std::move(data);
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    int64_t size = stream.Size();
    std::string data(size_t(size), '\0');
    stream.ReadBuffer(data.data(), size);
    SetData(std::move(data));
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    WriteFileAtomically(fileName, FData);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    // Only a regular file of a size a stream can hold: a FIFO would wait for a writer and a
    // device could grow without end.
    std::string data;
    if (!ReadFileBytes(fileName, data, kMaxMemoryStreamFileSize)) {
        const int error = errno;
        throw EFOpenError(Format(FrameworkTexts::CannotOpenFile,
                                 {fileName, FileErrorText(error, kMaxMemoryStreamFileSize)}));
    }
    SetData(std::move(data));
}

// ---------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : FFileName(fileName) {
    if (mode == fmCreate) {
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError(
                Format(FrameworkTexts::CannotCreateFile, {fileName, FileErrorText(errno)}));
        return;
    }
    int flags = (mode & 3) == fmOpenWrite       ? O_WRONLY
                : (mode & 3) == fmOpenReadWrite ? O_RDWR
                                                : O_RDONLY;
    FHandle = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (FHandle < 0)
        throw EFOpenError(Format(FrameworkTexts::CannotOpenFile, {fileName, FileErrorText(errno)}));
}

TFileStream::~TFileStream() {
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::read(FHandle, static_cast<char*>(buffer) + done, size_t(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::write(FHandle, static_cast<const char*>(buffer) + done, size_t(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(FHandle, off_t(offset), whence);
    return pos < 0 ? -1 : int64_t(pos);
}

void TFileStream::SetSize(int64_t value) {
    if (::ftruncate(FHandle, off_t(value)) != 0)
        throw EWriteError(FrameworkTexts::StreamWriteError);
    if (Position() > value)
        SetPosition(value);
}

// ---------------------------------------------------------------------------
// Encodings

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = s[i];
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 6 && i + 1 < s.size()) {
            cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
            len = 2;
        } else if ((c >> 4) == 14 && i + 2 < s.size()) {
            cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            len = 3;
        } else if ((c >> 3) == 30 && i + 3 < s.size()) {
            cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) |
                 (s[i + 3] & 0x3F);
            len = 4;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// The 10-byte extended format: 64-bit mantissa with an explicit integer bit, then a
// 15-bit exponent biased by 16383 and the sign, little-endian.
void ExtendedToBytes(long double value, unsigned char out[10]) {
    uint16_t signExp = 0;
    uint64_t mant = 0;
    if (std::signbit(value)) {
        signExp = 0x8000;
        value = -value;
    }
    if (std::isnan(value)) {
        signExp |= 0x7FFF;
        mant = 0xC000000000000000ULL;
    } else if (std::isinf(value)) {
        signExp |= 0x7FFF;
        mant = 0x8000000000000000ULL;
    } else if (value != 0) {
        int e;
        long double m = std::frexp(value, &e); // value = m * 2^e, m in [0.5, 1)
        int exp = e + 16382;
        if (exp <= 0) {
            mant = uint64_t(std::ldexp(value, 16382 + 63));
        } else if (exp >= 0x7FFF) {
            signExp |= 0x7FFF;
            mant = 0x8000000000000000ULL;
        } else {
            mant = uint64_t(std::ldexp(m, 64));
            signExp |= uint16_t(exp);
        }
    }
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(mant >> (8 * i));
    out[8] = uint8_t(signExp);
    out[9] = uint8_t(signExp >> 8);
}

long double ExtendedFromBytes(const unsigned char in[10]) {
    uint64_t mant = 0;
    for (int i = 0; i < 8; ++i)
        mant |= uint64_t(in[i]) << (8 * i);
    uint16_t signExp = uint16_t(in[8] | (in[9] << 8));
    int exp = signExp & 0x7FFF;
    bool negative = (signExp & 0x8000) != 0;
    long double value;
    if (exp == 0x7FFF)
        value = (mant << 1) == 0 ? HUGE_VALL : std::nanl("");
    else if (exp == 0)
        value = std::ldexp((long double)mant, -16382 - 63);
    else
        value = std::ldexp((long double)mant, exp - 16383 - 63);
    return negative ? -value : value;
}

// ---------------------------------------------------------------------------
// TWriter

namespace {
bool IsPlainAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; });
}
} // namespace

void TWriter::WriteSignature() {
    FStream.WriteBytes("TPF0");
}

void TWriter::WriteDescendent(TComponent* root) {
    FRoot = root;
    WriteSignature();
    WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
    bool wasWriting = component->ComponentState().Contains(csWriting);
    component->SetComponentStateFlag(csWriting, true);
    try {
        component->WriteToResource(*this);
    } catch (...) {
        if (!wasWriting)
            component->SetComponentStateFlag(csWriting, false);
        throw;
    }
    if (!wasWriting)
        component->SetComponentStateFlag(csWriting, false);
}

void TWriter::WriteData(TComponent* component) {
    if (FRoot == nullptr)
        FRoot = component;
    WriteStr(component->ClassName());
    WriteStr(component->Name());
    std::string savedPath = std::move(FPropPath);
    FPropPath.clear();
    WriteProperties(component);
    WriteListEnd();
    component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
    WriteListEnd();
    FPropPath = std::move(savedPath);
}

void TWriter::WriteProperties(TPersistent* instance) {
    for (PPropInfo prop : GetPropList(instance))
        if (prop->IsStored(instance))
            WriteProperty(instance, prop);
    instance->DefineStreamedData(*this);
}

void TWriter::WritePropName(std::string_view name) {
    WriteStr(FPropPath + std::string(name));
}

void TWriter::WriteProperty(TPersistent* instance, PPropInfo prop) {
    const TTypeInfo* type = prop->PropType;
    switch (type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
        if (!prop->SetOrd || prop->IsDefaultValue(instance))
            return;
        int64_t value = prop->GetOrd(instance);
        WritePropName(prop->Name);
        if (type->Kind == tkInteger) {
            WriteInteger(value);
        } else if (type->Kind == tkChar) {
            WriteValue(vaString);
            WriteStr(std::string(1, char(value)));
        } else if (type->Kind == tkWChar) {
            WriteWideString(Utf16ToUtf8(std::u16string(1, char16_t(value))));
        } else if (type->Kind == tkSet) {
            WriteSet(uint32_t(value), type);
        } else if (type->IsBoolean()) {
            WriteBoolean(value != 0);
        } else {
            WriteIdent(type->EnumName(value));
        }
        return;
    }
    case tkInt64:
        if (prop->SetOrd && !prop->IsDefaultValue(instance)) {
            WritePropName(prop->Name);
            WriteInteger(prop->GetOrd(instance));
        }
        return;
    case tkFloat: {
        if (!prop->SetFloat || prop->IsDefaultValue(instance))
            return;
        long double value = prop->GetFloat(instance);
        WritePropName(prop->Name);
        if (type->FloatType == ftSingle)
            WriteSingle(float(value));
        else if (type->FloatType == ftCurr)
            WriteCurrency(value);
        else if (type->IsDateTime)
            WriteDate(double(value));
        else
            WriteFloat(value);
        return;
    }
    case tkString:
    case tkLString:
    case tkWString:
        if (prop->SetStr && !prop->IsDefaultValue(instance)) {
            WritePropName(prop->Name);
            if (type->Kind == tkWString)
                WriteWideString(prop->GetStr(instance));
            else
                WriteString(prop->GetStr(instance));
        }
        return;
    case tkVariant:
        if (prop->SetVariant && !prop->IsDefaultValue(instance)) {
            WritePropName(prop->Name);
            WriteVariant(prop->GetVariant(instance));
        }
        return;
    case tkClass:
        WriteObjectProperty(instance, prop);
        return;
    case tkMethod: {
        if (!prop->GetMethod)
            return;
        TMethodRef method = prop->GetMethod(instance);
        if (method.Assigned && !method.Name.empty()) {
            WritePropName(prop->Name);
            WriteIdent(method.Name);
        }
        return;
    }
    default:
        return; // arrays, records, interfaces are not streamed
    }
}

void TWriter::WriteObjectProperty(TPersistent* instance, PPropInfo prop) {
    if (!prop->GetObject)
        return;
    TObject* value = prop->GetObject(instance);
    if (value == nullptr)
        return;
    auto* component = dynamic_cast<TComponent*>(value);
    if (component != nullptr && !component->ComponentStyle().Contains(csSubComponent)) {
        if (!prop->SetObject)
            return;
        std::string name = ComponentReferenceName(component);
        if (!name.empty()) {
            WritePropName(prop->Name);
            WriteIdent(name);
        }
        return;
    }
    auto* persistent = dynamic_cast<TPersistent*>(value);
    if (persistent == nullptr)
        return;
    std::string savedPath = FPropPath;
    FPropPath += prop->Name + ".";
    WriteProperties(persistent);
    FPropPath = std::move(savedPath);
    if (auto* collection = dynamic_cast<TCollection*>(persistent)) {
        WritePropName(prop->Name);
        WriteCollection(collection);
    }
}

std::string TWriter::ComponentReferenceName(const TComponent* component) const {
    const TComponent* owner = component->Owner();
    if (owner == FRoot && FRoot != nullptr)
        return component->Name();
    if (component == FRoot)
        return "Owner";
    if (owner != nullptr && !owner->Name().empty() && !component->Name().empty())
        return owner->Name() + "." + component->Name();
    if (!component->Name().empty())
        return component->Name() + ".Owner";
    return "";
}

void TWriter::WriteCollection(TCollection* collection) {
    WriteValue(vaCollection);
    std::string savedPath = std::move(FPropPath);
    FPropPath.clear();
    for (int i = 0; i < collection->Count(); ++i) {
        WriteListBegin();
        WriteProperties(collection->Items(i));
        WriteListEnd();
    }
    WriteListEnd();
    FPropPath = std::move(savedPath);
}

void TWriter::WriteStr(std::string_view s) {
    size_t n = std::min<size_t>(s.size(), 255);
    FStream.WriteByte(uint8_t(n));
    FStream.WriteBuffer(s.data(), int64_t(n));
}

void TWriter::WriteInteger(int64_t value) {
    if (value >= -128 && value <= 127) {
        WriteValue(vaInt8);
        FStream.WriteByte(uint8_t(int8_t(value)));
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(vaInt16);
        FStream.WriteInt16(int16_t(value));
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(vaInt32);
        FStream.WriteInt32(int32_t(value));
    } else {
        WriteValue(vaInt64);
        FStream.WriteInt64(value);
    }
}

void TWriter::WriteString(std::string_view s) {
    if (!IsPlainAscii(s)) {
        WriteValue(vaUTF8String);
        FStream.WriteInt32(int32_t(s.size()));
    } else if (s.size() <= 255) {
        WriteValue(vaString);
        FStream.WriteByte(uint8_t(s.size()));
    } else {
        WriteValue(vaLString);
        FStream.WriteInt32(int32_t(s.size()));
    }
    FStream.WriteBytes(s);
}

void TWriter::WriteWideString(std::string_view utf8) {
    std::u16string w = Utf8ToUtf16(utf8);
    WriteValue(vaWString);
    FStream.WriteInt32(int32_t(w.size()));
    for (char16_t c : w)
        FStream.WriteWord(uint16_t(c));
}

void TWriter::WriteIdent(std::string_view ident) {
    if (SameText(ident, "False")) {
        WriteValue(vaFalse);
    } else if (SameText(ident, "True")) {
        WriteValue(vaTrue);
    } else if (SameText(ident, "Null")) {
        WriteValue(vaNull);
    } else if (SameText(ident, "nil")) {
        WriteValue(vaNil);
    } else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteFloat(long double value) {
    WriteValue(vaExtended);
    FStream.WriteExtended(value);
}

void TWriter::WriteSingle(float value) {
    WriteValue(vaSingle);
    FStream.WriteSingle(value);
}

void TWriter::WriteDouble(double value) {
    WriteValue(vaDouble);
    FStream.WriteDouble(value);
}

void TWriter::WriteCurrency(long double value) {
    WriteValue(vaCurrency);
    FStream.WriteInt64(int64_t(std::llround(value * 10000)));
}

void TWriter::WriteDate(double value) {
    WriteValue(vaDate);
    FStream.WriteDouble(value);
}

void TWriter::WriteBinary(std::string_view bytes) {
    WriteValue(vaBinary);
    FStream.WriteInt32(int32_t(bytes.size()));
    FStream.WriteBytes(bytes);
}

void TWriter::WriteSet(uint32_t members, const TTypeInfo* setType) {
    WriteValue(vaSet);
    const TTypeInfo* memberType = setType->CompType;
    for (int i = 0; i < 32; ++i)
        if (members & (uint32_t(1) << i))
            WriteStr(memberType ? memberType->EnumName(i) : IntToStr(i));
    WriteStr("");
}

void TWriter::WriteVariant(const TVariant& value) {
    switch (value.VarType()) {
    case varEmpty:
        WriteValue(vaNil);
        break;
    case varNull:
        WriteValue(vaNull);
        break;
    case varBoolean:
        WriteBoolean(value.AsBoolean());
        break;
    case varInteger:
    case varInt64:
        WriteInteger(value.AsInt64());
        break;
    case varDouble:
        WriteFloat(value.AsDouble());
        break;
    case varDate:
        WriteDate(value.AsDouble());
        break;
    case varString:
        WriteString(value.AsString());
        break;
    }
}

void TWriter::DefineBoolean(const std::string& name, bool value, std::function<void(bool)>,
                            bool hasData) {
    if (!hasData)
        return;
    WritePropName(name);
    WriteBoolean(value);
}

void TWriter::DefineInteger(const std::string& name, int64_t value, std::function<void(int64_t)>,
                            bool hasData) {
    if (!hasData)
        return;
    WritePropName(name);
    WriteInteger(value);
}

void TWriter::DefineString(const std::string& name, const std::string& value,
                           std::function<void(const std::string&)>, bool hasData) {
    if (!hasData)
        return;
    WritePropName(name);
    WriteString(value);
}

void TWriter::DefineStrings(const std::string& name, const std::vector<std::string>& value,
                            std::function<void(const std::vector<std::string>&)>, bool hasData) {
    if (!hasData)
        return;
    WritePropName(name);
    WriteListBegin();
    for (const auto& s : value)
        WriteString(s);
    WriteListEnd();
}

void TWriter::DefineBinary(const std::string& name, std::string_view value,
                           std::function<void(std::string_view)>, bool hasData) {
    if (!hasData)
        return;
    WritePropName(name);
    WriteBinary(value);
}
