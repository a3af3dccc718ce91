#include "platform/TFileStream.h"

#include "platform/BytePath.h"

#include "FileIo.h"
#include "platform/LastError.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

TFileStream::TFileStream(const std::string& name, Mode mode) : TFileStream(PathFromBytes(name), mode) {}

TFileStream::TFileStream(const std::filesystem::path& path, Mode mode) : FPath(path.string())
{
    const int flags = mode == Mode::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        const char* what = mode == Mode::Read ? "Cannot open file \"" : "Cannot create file \"";
        throw EFOpenError(what + FPath + "\". " + LastErrorText());
    }
    FHandle = fd;
    FInOrder = ::lseek(fd, 0, SEEK_CUR) < 0;
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(static_cast<int>(FHandle));
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    const std::size_t done = ReadAll(static_cast<int>(FHandle), {static_cast<char*>(buffer), count});
    FPosition += static_cast<std::int64_t>(done);
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count)
{
    errno = 0;
    const std::size_t done = WriteAll(static_cast<int>(FHandle), {static_cast<const char*>(buffer), count});
    FPosition += static_cast<std::int64_t>(done);
    if (done != count) {
        // A write that took nothing and said nothing still failed; the device is the likeliest cause.
        const int reason = errno != 0 ? errno : EIO;
        throw EWriteError("Cannot write file \"" + FPath + "\". " + ErrorText(reason));
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    if (FInOrder)
        return SeekInOrder(offset, origin);
    const int whence =
        origin == SeekOrigin::Begin ? SEEK_SET : (origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END);
    const off_t result = ::lseek(static_cast<int>(FHandle), static_cast<off_t>(offset), whence);
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
    throw EStreamError("Cannot seek in file \"" + FPath + "\". " + ErrorText(error));
}
