#include "platform/TFileStream.h"

#include "platform/LastError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr int kNoSuchFile = ERROR_FILE_NOT_FOUND;
constexpr int kCannotSeek = ERROR_SEEK_ON_DEVICE;
#else
constexpr int kNoSuchFile = ENOENT;
constexpr int kCannotSeek = ESPIPE;
#endif

// A pipe that holds `bytes` and whose writer has gone, and the path under which a file stream
// opens its reading end.
class FilledPipe
{
public:
    explicit FilledPipe(const std::string& bytes)
    {
#ifdef _WIN32
        FPath = "\\\\.\\pipe\\bytescope-test-" + std::to_string(std::random_device()());
        FWriter = ::CreateNamedPipeA(FPath.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                     4096, 0, nullptr);
        FBytes = bytes;
#else
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        [[maybe_unused]] const ssize_t written = ::write(ends[1], bytes.data(), bytes.size());
        ::close(ends[1]);
        FReader = ends[0];
        FPath = "/dev/fd/" + std::to_string(FReader);
#endif
    }
    ~FilledPipe()
    {
#ifdef _WIN32
        CloseWriter();
#else
        ::close(FReader);
#endif
    }
    FilledPipe(const FilledPipe&) = delete;
    FilledPipe& operator=(const FilledPipe&) = delete;

    const std::string& Path() const
    {
        return FPath;
    }

    // Called once the stream has opened the pipe: a named pipe takes bytes only from then on.
    void Fill()
    {
#ifdef _WIN32
        DWORD written = 0;
        ::WriteFile(FWriter, FBytes.data(), static_cast<DWORD>(FBytes.size()), &written, nullptr);
        CloseWriter();
#endif
    }

private:
#ifdef _WIN32
    void CloseWriter()
    {
        if (FWriter != INVALID_HANDLE_VALUE)
            ::CloseHandle(FWriter);
        FWriter = INVALID_HANDLE_VALUE;
    }
    HANDLE FWriter = INVALID_HANDLE_VALUE;
    std::string FBytes;
#else
    int FReader = -1;
#endif
    std::string FPath;
};

} // namespace

TEST(FileStream, CreatesReadsAndNamesEveryFailure)
{
    TempDir dir;
    {
        TFileStream out(dir / "a.bin", TFileStream::Mode::Create);
        out.WriteBytes(std::string("x\0y", 3));
    }
    TFileStream in(dir / "a.bin", TFileStream::Mode::Read);
    EXPECT_EQ(in.Size(), 3);
    TMemoryStream copy;
    copy.CopyFrom(in, 0);
    EXPECT_EQ(copy.Bytes(), std::string("x\0y", 3));
    // A move the file refuses is an error, not a silent stay.
    EXPECT_THROW(in.Seek(-1, SeekOrigin::Begin), EStreamError);
    {
        // Created again, the file starts empty.
        TFileStream out(dir / "a.bin", TFileStream::Mode::Create);
        out.WriteBytes("z");
    }
    EXPECT_EQ(ReadFileBytes(dir / "a.bin"), "z");
    const std::string missing = (dir / "none.itl").string();
    try {
        TFileStream stream(missing, TFileStream::Mode::Read);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing + "\". " + ErrorText(kNoSuchFile));
    }
#ifndef _WIN32
    // A write that cannot be completed is raised by the stream itself, with the file and the
    // reason, and a checked write says the same. (Linux only: Windows has no device that is
    // always full.)
    TFileStream full("/dev/full", TFileStream::Mode::Create);
    const std::string bytes(100, 'x');
    for (const auto& write :
         std::vector<std::function<void()>>{[&] { full.Write(bytes.data(), bytes.size()); },
                                            [&] {
                                                full.WriteBytes(bytes);
                                            }}) {
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const EWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write file \"/dev/full\". No space left on device");
        }
    }
#endif
}

TEST(FileStream, APipeIsReadInOrderAndEveryOtherMoveFailsWithTheFilesName)
{
    FilledPipe filled("[a]=1|$$");
    TFileStream pipe(filled.Path(), TFileStream::Mode::Read);
    filled.Fill();

    EXPECT_EQ(pipe.Position(), 0);
    pipe.SetPosition(0);
    char head[3];
    pipe.ReadBuffer(head, sizeof head);
    EXPECT_EQ(pipe.Position(), 3);
    EXPECT_EQ(pipe.Seek(0, SeekOrigin::Current), 3);
    pipe.SetPosition(3);
    const std::vector<std::function<void()>> moves{[&] { pipe.SetPosition(0); },
                                                   [&] { pipe.Seek(1, SeekOrigin::Current); },
                                                   [&] { pipe.Seek(0, SeekOrigin::End); },
                                                   [&] {
                                                       pipe.Size();
                                                   }};
    for (const auto& move : moves) {
        try {
            move();
            ADD_FAILURE() << "no error";
        } catch (const EStreamError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot seek in file \"" + filled.Path() + "\". " + ErrorText(kCannotSeek));
        }
    }
    // The refused moves left the stream where it stood, and the writer's end is the stream's end.
    char rest[8] = {};
    EXPECT_EQ(pipe.Read(rest, sizeof rest), 5u);
    EXPECT_EQ(std::string(rest, 5), "=1|$$");
}
