#include "util/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

EReadError::EReadError() : EStreamError("Stream read error") {}
EWriteError::EWriteError() : EStreamError("Stream write error") {}

std::int64_t TStream::Size()
{
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError();
}

void TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> block(static_cast<std::size_t>(std::min<std::int64_t>(count, 64 * 1024)));
    while (count > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count, std::ssize(block)));
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.data(), n);
        count -= static_cast<std::int64_t>(n);
    }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    if (FPosition >= FData.size())
        return 0;
    const std::size_t n = std::min(count, FData.size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, n);
    FPosition += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    if (FPosition + count > FData.size())
        FData.resize(FPosition + count);
    std::memcpy(FData.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = static_cast<std::int64_t>(FPosition);
    else if (origin == SeekOrigin::End)
        base = static_cast<std::int64_t>(FData.size());
    // Like a memory stream of the component library, the position may lie beyond the end (a
    // later write fills the gap with zeros) but never before the start.
    FPosition = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(FPosition);
}

void TMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::SetSize(std::size_t size)
{
    FData.resize(size);
    FPosition = std::min(FPosition, size);
}

TFileStream::TFileStream(const std::filesystem::path& path, Mode mode) : FPath(path.string())
{
    const int flags = mode == Mode::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    FFd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (FFd < 0) {
        const char* what = mode == Mode::Read ? "Cannot open file \"" : "Cannot create file \"";
        throw EFOpenError(what + path.string() + "\". " + std::strerror(errno));
    }
    FInOrder = ::lseek(FFd, 0, SEEK_CUR) < 0;
}

TFileStream::~TFileStream()
{
    if (FFd >= 0)
        ::close(FFd);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(FFd, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // a failed read counts as the end of the stream
        done += static_cast<std::size_t>(n);
    }
    FPosition += static_cast<std::int64_t>(done);
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(FFd, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    FPosition += static_cast<std::int64_t>(done);
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    if (FInOrder)
        return SeekInOrder(offset, origin);
    const int whence =
        origin == SeekOrigin::Begin ? SEEK_SET : (origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END);
    const off_t result = ::lseek(FFd, static_cast<off_t>(offset), whence);
    if (result < 0)
        FailSeek(errno);
    return static_cast<std::int64_t>(result);
}

std::int64_t TFileStream::SeekInOrder(std::int64_t offset, SeekOrigin origin) const
{
    // The end of a pipe is unknown until it has been read, so only a move relative to where the
    // stream stands can be answered.
    const bool stays = (origin == SeekOrigin::Current && offset == 0) ||
                       (origin == SeekOrigin::Begin && offset == FPosition);
    if (!stays)
        FailSeek(ESPIPE);
    return FPosition;
}

void TFileStream::FailSeek(int error) const
{
    throw EStreamError("Cannot seek in file \"" + FPath + "\". " + std::strerror(error));
}
