#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

// Byte streams in the manner of the component library: a position, a size, raw reads that may
// come up short, and checked reads and writes that raise on a short transfer. The translation
// engine reads language files through them; the server link's messages are memory streams.

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

// A checked write could not be completed: "Stream write error".
class EWriteError : public EStreamError
{
public:
    EWriteError();
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

// A file opened for reading, or created (replacing an existing one) for writing.
//
// A pipe, a FIFO or a terminal can only be read in order. Such a stream counts its position
// itself: asking for it, and "moving" to where the stream already stands, work as for a disk
// file, so a reader that starts by going to 0 reads it from its start; any other move raises
// EStreamError naming the file, as does asking for its size.
class TFileStream : public TStream
{
public:
    enum class Mode
    {
        Read,
        Create,
    };
    // Raises EFOpenError when the file cannot be opened or created.
    TFileStream(const std::filesystem::path& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    std::int64_t SeekInOrder(std::int64_t offset, SeekOrigin origin) const;
    [[noreturn]] void FailSeek(int error) const;

    int FFd = -1;
    std::string FPath;
    bool FInOrder = false;      // the file cannot seek
    std::int64_t FPosition = 0; // bytes read and written: the position where the file cannot seek
};
