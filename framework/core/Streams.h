#pragma once
// Streams (memory and file), little-endian readers and writers, and the writer of the
// class library's binary component stream ("TPF0"): a component is its class name and
// name, its stored published properties and extra streamed data, an empty name, then its
// children and an empty entry.

#include "framework/core/Classes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// Errors (texts in FrameworkTexts): EReadError StreamReadError, EWriteError
// StreamWriteError, EFCreateError CannotCreateFile and EFOpenError CannotOpenFile, both
// naming the file and the reason.
class TStream : public TObject {
    ORV_CLASS(TStream, TObject)

    // Raw transfer: the number of bytes moved (less at the end of the stream or when the
    // medium refuses).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t value) { Seek(value, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t value) = 0;

    // All or an error.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (0: all of source from its start).
    int64_t CopyFrom(TStream& source, int64_t count);

    // Little-endian numbers; doubles and singles are IEEE 754.
    uint8_t ReadByte();
    uint16_t ReadWord();
    int16_t ReadInt16() { return int16_t(ReadWord()); }
    uint32_t ReadUInt32();
    int32_t ReadInt32() { return int32_t(ReadUInt32()); }
    int64_t ReadInt64();
    float ReadSingle();
    double ReadDouble();
    long double ReadExtended(); // 10-byte extended
    std::string ReadBytes(int64_t count);
    void WriteByte(uint8_t value);
    void WriteWord(uint16_t value);
    void WriteInt16(int16_t value) { WriteWord(uint16_t(value)); }
    void WriteUInt32(uint32_t value);
    void WriteInt32(int32_t value) { WriteUInt32(uint32_t(value)); }
    void WriteInt64(int64_t value);
    void WriteSingle(float value);
    void WriteDouble(double value);
    void WriteExtended(long double value);
    void WriteBytes(std::string_view bytes) { WriteBuffer(bytes.data(), int64_t(bytes.size())); }

    // Writes a component (and its children) as a binary component stream.
    void WriteComponent(TComponent* instance);
};

// The largest file a memory stream loads: far above any component or chart file.
constexpr int64_t kMaxMemoryStreamFileSize = int64_t(256) << 20;

class TMemoryStream : public TStream {
    ORV_CLASS(TMemoryStream, TStream)

    TMemoryStream() = default;
    explicit TMemoryStream(TComponent* /*owner*/) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return int64_t(FData.size()); }
    void SetSize(int64_t value) override;
    void Clear();

    const std::string& Data() const { return FData; }
    void SetData(std::string data);
    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream);
    // Replaces the file in one piece (WriteFileAtomically): a failed write keeps the old.
    void SaveToFile(const std::string& fileName) const;
    // Reads a regular file of at most kMaxMemoryStreamFileSize bytes; raises EFOpenError
    // naming the file for anything else (a FIFO, a folder, a device, a larger file).
    void LoadFromFile(const std::string& fileName);

private:
    std::string FData;
    int64_t FPosition = 0;
};

enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00, // create or truncate, then read and write
};

class TFileStream : public TStream {
    ORV_CLASS(TFileStream, TStream)

    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t value) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    int FHandle = -1;
};

// ---------------------------------------------------------------------------
// The component stream

// Value tags of the component stream.
enum TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21
};

// The filer a class's DefineStreamedData receives. Each call names one entry: a writer
// writes the given value when hasData is true; a reader that finds the entry hands its
// value to read.
class TFiler {
public:
    virtual ~TFiler() = default;
    virtual bool IsWriting() const = 0;
    TComponent* Root() const { return FRoot; }

    virtual void DefineBoolean(const std::string& name, bool value, std::function<void(bool)> read,
                               bool hasData) = 0;
    virtual void DefineInteger(const std::string& name, int64_t value,
                               std::function<void(int64_t)> read, bool hasData) = 0;
    virtual void DefineString(const std::string& name, const std::string& value,
                              std::function<void(const std::string&)> read, bool hasData) = 0;
    virtual void DefineStrings(const std::string& name, const std::vector<std::string>& value,
                               std::function<void(const std::vector<std::string>&)> read,
                               bool hasData) = 0;
    virtual void DefineBinary(const std::string& name, std::string_view value,
                              std::function<void(std::string_view)> read, bool hasData) = 0;

protected:
    TComponent* FRoot = nullptr;
};

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream) : FStream(stream) {}
    bool IsWriting() const override { return true; }

    // "TPF0" and the root component with everything below it.
    void WriteDescendent(TComponent* root);
    void WriteSignature();
    // One component through its WriteToResource (csWriting set meanwhile).
    void WriteComponent(TComponent* component);
    // The component's header, properties, end mark, children, end mark.
    void WriteData(TComponent* component);
    // Stored published properties that differ from their defaults, then the extra
    // streamed data; nested persistent objects extend the property path.
    void WriteProperties(TPersistent* instance);

    void WriteValue(TValueType value) { FStream.WriteByte(value); }
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteStr(std::string_view s); // length byte and at most 255 bytes, untagged
    void WriteInteger(int64_t value);  // the smallest tag that holds it
    void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
    void WriteString(std::string_view s); // short, long or UTF-8 string
    void WriteWideString(std::string_view utf8);
    void WriteIdent(std::string_view ident);
    void WriteFloat(long double value); // extended
    void WriteSingle(float value);
    void WriteDouble(double value);
    void WriteCurrency(long double value);
    void WriteDate(double value);
    void WriteBinary(std::string_view bytes);
    void WriteSet(uint32_t members, const TTypeInfo* setType);
    void WriteVariant(const TVariant& value);
    void WriteCollection(TCollection* collection);
    void WritePropName(std::string_view name);

    void DefineBoolean(const std::string& name, bool value, std::function<void(bool)> read,
                       bool hasData) override;
    void DefineInteger(const std::string& name, int64_t value, std::function<void(int64_t)> read,
                       bool hasData) override;
    void DefineString(const std::string& name, const std::string& value,
                      std::function<void(const std::string&)> read, bool hasData) override;
    void DefineStrings(const std::string& name, const std::vector<std::string>& value,
                       std::function<void(const std::vector<std::string>&)> read,
                       bool hasData) override;
    void DefineBinary(const std::string& name, std::string_view value,
                      std::function<void(std::string_view)> read, bool hasData) override;

private:
    void WriteProperty(TPersistent* instance, PPropInfo prop);
    void WriteObjectProperty(TPersistent* instance, PPropInfo prop);
    std::string ComponentReferenceName(const TComponent* component) const;
    TStream& FStream;
    std::string FPropPath;
};

// Helpers shared with readers of the stream.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
void ExtendedToBytes(long double value, unsigned char out[10]);
long double ExtendedFromBytes(const unsigned char in[10]);
