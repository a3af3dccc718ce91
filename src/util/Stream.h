#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Byte streams in the manner of the component library: a position, a size, raw reads that may
// come up short, and checked reads and writes that raise on a short transfer. The translation
// engine reads language files through them (the file stream lives in platform/TFileStream.h); the
// server link's messages are memory streams.

class EStreamError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A checked read ran past the end: "Stream read error".
class EReadError : public EStreamError
{
public:
    EReadError();
};

// A checked write could not be completed: "Stream write error", or a text that names the file
// and the system's reason when a file stream knows them.
class EWriteError : public EStreamError
{
public:
    EWriteError();
    explicit EWriteError(const std::string& what) : EStreamError(what) {}
};

// A file could not be opened or created; the message names the file and the system's reason.
class EFOpenError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};

enum class SeekOrigin
{
    Begin,
    Current,
    End,
};

class TStream
{
public:
    virtual ~TStream() = default;

    // Reads up to `count` bytes; returns how many were read (0 at the end or on a failed read).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns the new one. Raises EStreamError when the stream cannot
    // move there.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Begin); }
    std::int64_t Size();

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    void WriteBytes(std::string_view bytes) { WriteBuffer(bytes.data(), bytes.size()); }

    // Copies `count` bytes from `source` at its position (all of it from its start when 0).
    void CopyFrom(TStream& source, std::int64_t count);
};

// A growable block of bytes in memory.
class TMemoryStream : public TStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : FData(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    void Clear();
    void SetSize(std::size_t size);
    // The whole contents, independent of the position.
    const std::string& Bytes() const { return FData; }

private:
    std::string FData;
    std::size_t FPosition = 0;
};
