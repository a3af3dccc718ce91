#include "platform/TFileStream.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

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
    try {
        TFileStream missing(dir / "none.itl", TFileStream::Mode::Read);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("none.itl"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos);
    }
    // A write that cannot be completed is raised by the stream itself, with the file and the
    // reason, and a checked write says the same.
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
}

TEST(FileStream, APipeIsReadInOrderAndEveryOtherMoveFailsWithTheFilesName)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string bytes = "[a]=1|$$";
    ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(ends[1]);
    const std::string path = "/dev/fd/" + std::to_string(ends[0]);
    TFileStream pipe(path, TFileStream::Mode::Read);
    ::close(ends[0]);

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
            EXPECT_EQ(std::string(e.what()), "Cannot seek in file \"" + path + "\". Illegal seek");
        }
    }
    // The refused moves left the stream where it stood.
    char rest[8] = {};
    EXPECT_EQ(pipe.Read(rest, sizeof rest), 5u);
    EXPECT_EQ(std::string(rest, 5), "=1|$$");
}
