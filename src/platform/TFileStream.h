#pragma once

#include "util/Stream.h"

#include <cstdint>
#include <filesystem>
#include <string>

// A file opened for reading, or created (replacing an existing one) for writing.
//
// A read that fails ends the stream as the end of the file would (Read returns the short count). A
// write that cannot be completed raises EWriteError naming the file and the system's reason, so a
// caller never has to dig the reason out of the system afterwards.
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
    // A file named by its bytes (see BytePath.h).
    TFileStream(const std::string& name, Mode mode);
    TFileStream(const char* name, Mode mode) : TFileStream(std::string(name), mode) {}
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    std::int64_t SeekInOrder(std::int64_t offset, SeekOrigin origin) const;
    [[noreturn]] void FailSeek(int error) const; // the system's error number

    std::intptr_t FHandle = -1; // the system's handle of the open file (a descriptor, or a HANDLE)
    std::string FPath;
    bool FInOrder = false;      // the file cannot seek
    std::int64_t FPosition = 0; // bytes read and written: the position where the file cannot seek
};
