// What message windows do on every system. The POSIX transport's own cases (its files, its wire,
// its runtime folder) are in MessageWindowWireTest.cpp.
#include "platform/MessageWindow.h"
#include "Peer.h"
#include "PeerPattern.h"
#include "Recorder.h"
#include "support/PrivateEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

TEST(MessageWindow, RegistersFindsDeliversAndUnregisters)
{
    PrivateEnvironment runtime;
    const std::string classA = ProcessUnique("ClassA");
    const std::string classB = ProcessUnique("ClassB");
    Received atA;
    Received atB;
    MessageWindow a(classA, "", Recorder(atA));
    auto b = std::make_unique<MessageWindow>(classB, "Name B", Recorder(atB));
    ASSERT_NE(a.Handle(), 0u);
    ASSERT_NE(a.Handle(), b->Handle());
    EXPECT_EQ(a.ClassName(), classA);
    EXPECT_EQ(b->WindowName(), "Name B");

    // Both names count, byte for byte.
    EXPECT_EQ(FindWindow(classA, ""), a.Handle());
    EXPECT_EQ(FindWindow(classB, "Name B"), b->Handle());
    EXPECT_EQ(FindWindow(classB, "name b"), 0u);
    EXPECT_EQ(FindWindow(ProcessUnique("classb"), "Name B"), 0u);
    EXPECT_EQ(FindWindow(classB, ""), 0u);
    EXPECT_EQ(FindWindow(classA, "Name B"), 0u);
    EXPECT_TRUE(IsWindow(a.Handle()));
    EXPECT_FALSE(IsWindow(0));

    const std::string bytes("\0with zero\xff", 11);
    EXPECT_EQ(Send(a.Handle(), b->Handle(), 4101, bytes), SendResult::Delivered);
    EXPECT_EQ(atB.Count, 1);
    EXPECT_EQ(atB.Sender, a.Handle());
    EXPECT_EQ(atB.Word, 4101u);
    EXPECT_EQ(atB.Bytes, bytes);
    EXPECT_EQ(Send(b->Handle(), a.Handle(), 0xFFFFFFFFu, ""), SendResult::Delivered);
    EXPECT_EQ(atA.Word, 0xFFFFFFFFu);
    EXPECT_EQ(atA.Bytes, "");
    EXPECT_EQ(Send(a.Handle(), a.Handle(), 1, std::string(kMaxMessageBytes + 1, 'x')), SendResult::TooLarge);
    EXPECT_EQ(atA.Count, 1);

    // A second window of a class, and the class outliving its first window.
    MessageWindow a2(classA, "second", Recorder(atA));
    EXPECT_EQ(FindWindow(classA, "second"), a2.Handle());

    const WindowHandle gone = b->Handle();
    b.reset();
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(FindWindow(classB, "Name B"), 0u);
    EXPECT_EQ(Send(a.Handle(), gone, 1, "x"), SendResult::NoSuchWindow);
    EXPECT_EQ(Send(a.Handle(), 0, 1, "x"), SendResult::NoSuchWindow);

    // The class can be used again after its last window went.
    MessageWindow again(classB, "Name B", Recorder(atB));
    EXPECT_EQ(FindWindow(classB, "Name B"), again.Handle());
    EXPECT_EQ(Send(a.Handle(), again.Handle(), 7, "again"), SendResult::Delivered);
    EXPECT_EQ(atB.Bytes, "again");
}

TEST(MessageWindow, AProcedureMayDestroyItsOwnWindowAndSendFromInside)
{
    PrivateEnvironment runtime;
    Received got;
    MessageWindow sender(ProcessUnique("S"), "", Recorder(got));
    std::unique_ptr<MessageWindow> doomed;
    int calls = 0;
    doomed = std::make_unique<MessageWindow>(
        ProcessUnique("D"), "", [&](WindowHandle from, std::uint32_t word, std::string_view bytes) {
            ++calls;
            // Sends while the handle is still ours, then goes.
            EXPECT_EQ(Send(doomed->Handle(), from, word + 1, bytes), SendResult::Delivered);
            doomed.reset();
        });
    const WindowHandle handle = doomed->Handle();
    EXPECT_EQ(Send(sender.Handle(), handle, 1, "bye"), SendResult::Delivered);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(got.Count, 1);
    EXPECT_EQ(got.Sender, handle);
    EXPECT_EQ(got.Word, 2u);
    EXPECT_EQ(got.Bytes, "bye");
    EXPECT_EQ(Send(sender.Handle(), handle, 1, "anyone?"), SendResult::NoSuchWindow);
}

TEST(MessageWindow, ReplyFromAnotherProcessArrivesInsideTheSend)
{
    PrivateEnvironment runtime;
    const std::string echoClass = ProcessUnique("EchoClass");
    Peer echo({"echo", echoClass, "echo window"});
    const WindowHandle peerHandle = echo.ReadReadyHandle();
    ASSERT_NE(peerHandle, 0u);

    EXPECT_EQ(FindWindow(echoClass, "echo window"), peerHandle);
    EXPECT_TRUE(IsWindow(peerHandle));

    Received reply;
    MessageWindow own(ProcessUnique("Own"), "");
    own.SetWindowProcedure(Recorder(reply));
    EXPECT_EQ(Send(own.Handle(), peerHandle, 4100, "question"), SendResult::Delivered);
    // Nothing served the own window outside the send, so the reply came inside it.
    EXPECT_EQ(reply.Count, 1);
    EXPECT_EQ(reply.Sender, peerHandle);
    EXPECT_EQ(reply.Word, 4101u);
    EXPECT_EQ(reply.Bytes, "re:question");

    // A bigger message crosses in several pieces while both sides keep serving. (Wine 8 never
    // delivers a block of 2 MiB or more to another process, so the block stays below that.)
    const std::string large(1536 * 1024, 'q');
    EXPECT_EQ(Send(own.Handle(), peerHandle, 1, large), SendResult::Delivered);
    EXPECT_EQ(reply.Bytes, "re:" + large);
}

TEST(MessageWindow, KilledPeersWindowIsNeverFound)
{
    PrivateEnvironment runtime;
    const std::string victimClass = ProcessUnique("Victim");
    Peer echo({"echo", victimClass, ""});
    const WindowHandle handle = echo.ReadReadyHandle();
    ASSERT_NE(handle, 0u);

    echo.Kill();
    EXPECT_EQ(FindWindow(victimClass, ""), 0u);
    EXPECT_FALSE(IsWindow(handle));
    MessageWindow own(ProcessUnique("Own"), "");
    EXPECT_EQ(Send(own.Handle(), handle, 1, "anyone?"), SendResult::NoSuchWindow);
}

TEST(MessageWindow, SendReturnsWhenTheDestinationDiesDuringTheRequest)
{
    PrivateEnvironment runtime;
    Peer hang({"hang", ProcessUnique("Hang"), ""});
    const WindowHandle handle = hang.ReadReadyHandle();
    ASSERT_NE(handle, 0u);

    // Kill the peer once its procedure has the message; the send must come back.
    std::thread killer([&hang] {
        hang.ReadLine(); // "got", or nothing when the peer failed: kill it either way
        hang.Kill();
    });
    MessageWindow own(ProcessUnique("Own"), "");
    const SendResult result = Send(own.Handle(), handle, 1, "never answered");
    killer.join();
    EXPECT_EQ(result, SendResult::Broken);
}

TEST(MessageWindow, HaltedProcessFlushesItsOutputAndEndsWithItsCode)
{
    PrivateEnvironment runtime;
    Peer halt({"halt", ProcessUnique("HaltClass")});
    EXPECT_EQ(halt.ReadToEnd(), "halting");
    EXPECT_EQ(halt.Wait(), 0);
}

TEST(MessageWindow, LargeBlocksToOwnWindowsAndBetweenProcessesArriveIntact)
{
    PrivateEnvironment runtime;
    Received got;
    MessageWindow a(ProcessUnique("A"), "", Recorder(got));
    MessageWindow b(ProcessUnique("B"), "",
                    [&](WindowHandle sender, std::uint32_t word, std::string_view bytes) {
                        // A reply sent from inside the procedure, as the server link does.
                        EXPECT_EQ(Send(b.Handle(), sender, word + 1, bytes), SendResult::Delivered);
                    });
    const std::string block = PatternBytes(1024 * 1024, 3);
    EXPECT_EQ(Send(a.Handle(), a.Handle(), 9, block), SendResult::Delivered);
    EXPECT_EQ(got.Count, 1);
    EXPECT_TRUE(got.Bytes == block);
    EXPECT_EQ(Send(a.Handle(), b.Handle(), 9, block), SendResult::Delivered);
    EXPECT_EQ(got.Count, 2);
    EXPECT_EQ(got.Word, 10u);
    EXPECT_TRUE(got.Bytes == block);

    // Two processes send each other a block far beyond a socket buffer at the same moment (below
    // 2 MiB, which Wine 8 never delivers to another process).
    const std::size_t size = 1536 * 1024;
    Peer peer({"swap", ProcessUnique("Swap"), "", std::to_string(size)});
    const WindowHandle peerHandle = peer.ReadReadyHandle();
    ASSERT_NE(peerHandle, 0u);
    got = {};
    peer.WriteLine("go " + std::to_string(a.Handle()));
    EXPECT_EQ(Send(a.Handle(), peerHandle, 2, PatternBytes(size, 1)), SendResult::Delivered);
    // Its send may still be on the way: serve until the peer reports how both ended (or a
    // generous safety net, not a timing check, runs out).
    for (int round = 0; round < 600 && got.Count == 0; ++round)
        ServeMessages(100);
    std::vector<std::string> lines{peer.ReadLine(), peer.ReadLine()};
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines[0], "got " + std::to_string(size) + " intact");
    EXPECT_EQ(lines[1], "sent 1");
    EXPECT_EQ(got.Count, 1);
    EXPECT_TRUE(got.Bytes == PatternBytes(size, 2));
}
