// The server link between real processes: mentix-server, bytescope-tool mentix and
// mentix-test-client, each in a private runtime folder.
#include "support/ChildGuard.h"
#include "support/MappingCount.h"
#include "support/PrivateEnvironment.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>

namespace {

// A figure of another process's /proc/<pid>/status ("Threads", "VmHWM", ...); -1 when missing.
long StatusValue(int pid, const std::string& key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(key + ":"))
            return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

// A path as the tool writes it in a JSON string: in the system's form, where a backslash is
// escaped like every other character JSON reserves.
std::string JsonPath(const std::filesystem::path& path)
{
    std::string json;
    for (const char c : SystemPath(path))
        json += c == '\\' ? std::string("\\u005C") : std::string(1, c);
    return json;
}

// A folder as the tool writes it: ending with the system's separator.
std::string JsonFolder(const std::filesystem::path& folder)
{
    return JsonPath(folder / "");
}

struct ToolResult
{
    int ExitCode = -1;
    std::string Output;
    std::string Errors;
};

class ServerLink : public ::testing::Test
{
protected:
    ServerLink()
    {
        std::filesystem::create_directories(Files());
        std::filesystem::create_directories(Logs());
    }

    std::filesystem::path Files() const { return FEnv.Path() / "files"; }
    std::filesystem::path Logs() const { return FEnv.Path() / "logs"; }
    std::filesystem::path EventsOf(const std::string& name) const { return Logs() / (name + ".events"); }

    // Starts mentix-server with `options` (in `workingFolder`, or ours) and waits until its window
    // is there.
    std::unique_ptr<ChildGuard> StartServer(std::vector<std::string> options = {},
                                            const std::filesystem::path& workingFolder = {})
    {
        options.insert(options.begin(), {MENTIX_SERVER, "--verbose", "--files", Files().string()});
        auto server = std::make_unique<ChildGuard>(options, Logs(), workingFolder);
        EXPECT_TRUE(WaitFor(
            [&] { return server->Errors().find("ready") != std::string::npos || !server->Running(); }));
        EXPECT_TRUE(server->Running()) << server->Errors();
        return server;
    }

    std::unique_ptr<ChildGuard> StartClient(const std::string& name, std::vector<std::string> options = {})
    {
        options.insert(options.begin(), {MENTIX_TEST_CLIENT, "--events", EventsOf(name).string()});
        return std::make_unique<ChildGuard>(options, Logs());
    }

    // Waits until the client's event log holds a line starting with `prefix`; that line.
    std::string WaitForEvent(const std::string& name, const std::string& prefix)
    {
        std::string found;
        WaitFor([&] {
            const std::string log = ReadFileBytes(EventsOf(name));
            for (std::size_t at = 0; at < log.size();) {
                const std::size_t end = log.find('\n', at);
                const std::string line = log.substr(at, end - at);
                if (line.starts_with(prefix)) {
                    found = line;
                    return true;
                }
                at = end == std::string::npos ? log.size() : end + 1;
            }
            return false;
        });
        return found;
    }

    ToolResult Tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), {BYTESCOPE_TOOL, "mentix"});
        ChildGuard tool(args, Logs());
        ToolResult result;
        result.ExitCode = tool.Wait();
        result.Output = tool.Output();
        result.Errors = tool.Errors();
        return result;
    }

    PrivateEnvironment FEnv;
};

TEST_F(ServerLink, RegisterFindAndUnregister)
{
    const auto server = StartServer();
    EXPECT_EQ(Tool({"find-title", "Mentix-test-client"}).Output, "null\n");

    auto client = StartClient("a", {"--server"});
    const std::string ready = WaitForEvent("a", "ready ");
    ASSERT_FALSE(ready.empty());
    const std::string handle = ready.substr(6);

    const ToolResult byTitle = Tool({"find-title", "Mentix-test-client"});
    EXPECT_EQ(byTitle.ExitCode, 0) << byTitle.Errors;
    const std::string expected = "{\"handle\": " + handle + ", \"mutex_handle\": ";
    EXPECT_TRUE(byTitle.Output.starts_with(expected)) << byTitle.Output;
    EXPECT_NE(byTitle.Output.find("\"exe_name\": \"" + JsonPath(MENTIX_TEST_CLIENT) + "\""),
              std::string::npos);
    EXPECT_NE(byTitle.Output.find("\"title\": \"Mentix-test-client\"}"), std::string::npos);
    EXPECT_EQ(Tool({"find-handle", handle}).Output, byTitle.Output);

    // An orderly end unregisters.
    client->CloseInput();
    EXPECT_EQ(client->Wait(), 0);
    EXPECT_EQ(Tool({"find-handle", handle}).Output, "null\n");
    EXPECT_NE(server->Errors().find("unregister " + handle), std::string::npos);
}

TEST_F(ServerLink, FilesFoundEmptyMissingAndOutside)
{
#ifdef _WIN32
    GTEST_SKIP() << "makes symbolic links, which Windows grants only to administrators";
#endif
    WriteFileBytes(Files() / "book.itl", std::string("[OK]=Okay|$$\0\xFF", 14));
    WriteFileBytes(Files() / "empty.bin", "");
    std::filesystem::create_directories(Files() / "sub");
    WriteFileBytes(Files() / "sub" / "inner.txt", "inner");
    WriteFileBytes(FEnv.Path() / "secret.txt", "secret");
    std::filesystem::create_symlink(FEnv.Path() / "secret.txt", Files() / "escape.txt");
    std::filesystem::create_symlink("sub/inner.txt", Files() / "inside.txt");
    const auto server = StartServer();

    const auto out = Logs() / "fetched";
    ToolResult r = Tool({"get-file", "book.itl", "--out", out.string()});
    EXPECT_EQ(r.Output, "{\"found\": true, \"size\": 14}\n") << r.Errors;
    EXPECT_EQ(ReadFileBytes(out), std::string("[OK]=Okay|$$\0\xFF", 14));

    EXPECT_EQ(Tool({"get-file", "empty.bin", "--out", out.string()}).Output,
              "{\"found\": true, \"size\": 0}\n");
    EXPECT_EQ(ReadFileBytes(out), "");
    EXPECT_EQ(Tool({"get-file", "sub\\inner.txt", "--out", out.string()}).Output,
              "{\"found\": true, \"size\": 5}\n");
    EXPECT_EQ(Tool({"get-file", "inside.txt", "--out", out.string()}).Output,
              "{\"found\": true, \"size\": 5}\n");

    for (const std::string& name :
         std::vector<std::string>{"missing", "../secret.txt", "sub/../../secret.txt", "escape.txt",
                                  (FEnv.Path() / "secret.txt").string(), "sub", ""}) {
        r = Tool({"get-file", name, "--out", out.string()});
        EXPECT_EQ(r.Output, "{\"found\": false}\n") << name;
        EXPECT_EQ(r.ExitCode, 0) << name;
    }
}

TEST_F(ServerLink, ValuesNamesAndQueries)
{
    const auto server = StartServer({"--value", "Color=blue", "--value", "Empty="}, Logs());
    EXPECT_EQ(Tool({"value", "ValdoraWorkArea"}).Output, "\"" + JsonFolder(Logs()) + "\"\n");
    EXPECT_EQ(Tool({"value", "Color"}).Output, "\"blue\"\n");
    EXPECT_EQ(Tool({"value", "color"}).Output, "\"\"\n");
    EXPECT_EQ(Tool({"value", "Empty"}).Output, "\"\"\n");
    EXPECT_EQ(Tool({"server-file-name", "/opt/tb/bytescope"}).Output, "\"bytescope.exe\"\n");
    EXPECT_EQ(Tool({"server-file-name", "C:\\Apps\\Reader.EXE"}).Output, "\"Reader.exe\"\n");
    EXPECT_EQ(Tool({"query", "say \"\xE9\""}).Output, "\"say \\u0022\\u00E9\\u0022\"\n");

    // Without the server the two folder values are the program's folder.
    const std::string folder = JsonFolder(std::filesystem::path(BYTESCOPE_TOOL).parent_path());
    EXPECT_EQ(Tool({"--no-server", "value", "ValdoraWorkArea"}).Output, "\"" + folder + "\"\n");
    EXPECT_EQ(Tool({"--no-server", "value", "ValdoraHomeDir"}).Output, "\"" + folder + "\"\n");
    EXPECT_EQ(Tool({"--no-server", "value", "Color"}).Output, "\"\"\n");
}

TEST_F(ServerLink, FolderValuesAreAbsoluteWithTheirSeparator)
{
    // A client appends file names to these and would resolve a relative one in its own folder.
    const auto relative = StartServer(
        {"--instance", "rel", "--workarea", "relwork", "--value", "ValdoraHomeDir=home/"}, Logs());
    EXPECT_EQ(Tool({"/serverhandle=rel", "value", "ValdoraWorkArea"}).Output,
              "\"" + JsonFolder(Logs() / "relwork") + "\"\n");
    EXPECT_EQ(Tool({"/serverhandle=rel", "value", "ValdoraHomeDir"}).Output,
              "\"" + JsonFolder(Logs() / "home") + "\"\n");
    const auto asValue = StartServer({"--instance", "val", "--workarea", "/srv/area", "--value",
                                      "ValdoraWorkArea=/srv/work", "--value", "ValdoraHomeDir=/srv/home"});
    EXPECT_EQ(Tool({"/serverhandle=val", "value", "ValdoraWorkArea"}).Output,
              "\"" + JsonFolder("/srv/work") + "\"\n");
    EXPECT_EQ(Tool({"/serverhandle=val", "value", "ValdoraHomeDir"}).Output,
              "\"" + JsonFolder("/srv/home") + "\"\n");

    // An empty folder would be answered as "/", the root.
    for (const std::string_view option : {"--workarea", "--value"}) {
        ChildGuard refused(
            {MENTIX_SERVER, std::string(option), option == "--value" ? "ValdoraWorkArea=" : ""}, Logs());
        EXPECT_EQ(refused.Wait(), 2) << option;
        EXPECT_NE(refused.Errors().find("needs a folder"), std::string::npos) << refused.Errors();
    }
}

// Someone else may hold /tmp/mentix-UID; a user who then looks for the windows must learn where
// they went.
TEST_F(ServerLink, HelpNamesEveryPlaceOfTheMessageWindows)
{
#ifdef _WIN32
    GTEST_SKIP() << "the places of Linux's runtime folder; Windows keeps the windows on the desktop";
#endif
    ChildGuard help({MENTIX_SERVER, "--help"}, Logs());
    EXPECT_EQ(help.Wait(), 0);
    for (const char* place : {"$XDG_RUNTIME_DIR/mentix", "/tmp/mentix-UID", "~/.cache/mentix-HOST"})
        EXPECT_NE(help.Output().find(place), std::string::npos) << place << "\n" << help.Output();
}

TEST_F(ServerLink, OneServerPerInstanceText)
{
    const auto other = StartServer({"--instance", "other"});
    std::vector<std::unique_ptr<ChildGuard>> servers;
    for (int i = 0; i < 4; ++i)
        servers.push_back(
            std::make_unique<ChildGuard>(std::vector<std::string>{MENTIX_SERVER, "--instance", "one",
                                                                  "--value", "Who=" + std::to_string(i)},
                                         Logs()));
    const auto running = [&] {
        return std::count_if(servers.begin(), servers.end(), [](auto& server) { return server->Running(); });
    };
    EXPECT_TRUE(WaitFor([&] { return running() <= 1; }));
    ASSERT_EQ(running(), 1);
    std::string who;
    for (std::size_t i = 0; i < servers.size(); ++i) {
        if (servers[i]->Running()) {
            who = "\"" + std::to_string(i) + "\"\n";
            continue;
        }
        EXPECT_EQ(servers[i]->Wait(), 1);
        EXPECT_NE(servers[i]->Errors().find("a server with the instance text \"one\" is already running"),
                  std::string::npos)
            << servers[i]->Errors();
    }
    EXPECT_TRUE(WaitFor([&] { return Tool({"/serverhandle=one", "value", "Who"}).Output == who; }));
    EXPECT_TRUE(other->Running());

    // The claim ends with the server.
    for (const auto& server : servers) {
        if (server->Running()) {
            server->RequestStop();
            EXPECT_EQ(server->Wait(), 0);
        }
    }
    EXPECT_TRUE(StartServer({"--instance", "one"})->Running());

    const auto plain = StartServer();
    ChildGuard second({MENTIX_SERVER}, Logs());
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_NE(second.Errors().find("a server without an instance text is already running"), std::string::npos)
        << second.Errors();
    EXPECT_TRUE(plain->Running());
}

TEST_F(ServerLink, ServerInstanceText)
{
    const auto server = StartServer({"--instance", "abc", "--value", "Who=abc"});
    EXPECT_EQ(Tool({"value", "Who"}).ExitCode, 1); // the server without instance text is not there
    EXPECT_EQ(Tool({"/SERVERHANDLE=AbC", "value", "Who"}).Output, "\"abc\"\n");
    FEnv.WriteViewerHandle("ViewerHandle=abc");
    EXPECT_EQ(Tool({"value", "Who"}).Output, "\"abc\"\n");
}

// Windows has neither /bin/true nor /bin/sh: there the test client stands in for both.
TEST_F(ServerLink, ExecuteWithAndWithoutWait)
{
    const auto marker = Logs() / "it ran";
#ifdef _WIN32
    const std::string program = SystemPath(MENTIX_TEST_CLIENT);
    const std::vector<std::string> succeeding{"execute", program, "--params", "--exit-with 0"};
    const std::vector<std::string> marking{"execute", program, "--params",
                                           "--touch \"" + marker.string() + "\" --exit-with 7", "--wait"};
#else
    const std::vector<std::string> succeeding{"execute", "/bin/true"};
    const std::vector<std::string> marking{
        "execute", "/bin/sh", "--params", "-c 'touch \"$1\"; exit 7' sh '" + marker.string() + "'", "--wait"};
#endif
    const auto server = StartServer();
    const ToolResult started = Tool(succeeding);
    EXPECT_EQ(started.ExitCode, 0) << started.Errors;
    EXPECT_TRUE(std::regex_match(started.Output, std::regex("[1-9][0-9]*\n"))) << started.Output;

    const ToolResult waited = Tool(marking);
    EXPECT_EQ(waited.Output, "7\n") << waited.Errors;
    EXPECT_TRUE(std::filesystem::exists(marker));

    const ToolResult missing = Tool({"execute", "/no/such/program", "--wait", "--option", "3"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Errors.find("Could not execute \"/no/such/program.\""), std::string::npos)
        << missing.Errors;
}

TEST_F(ServerLink, ManyExecutesKeepTheServerSmall)
{
    if (MappingCount() < 0)
        GTEST_SKIP() << "measures the server through Linux's /proc";
    const auto server = StartServer();
    ASSERT_EQ(Tool({"execute", "/bin/true"}).ExitCode, 0);
    const long threadsBefore = StatusValue(server->Pid(), "Threads");
    const int mappingsBefore = MappingCount(server->Pid());
    for (int i = 0; i < 100; ++i) {
        const ToolResult started = Tool({"execute", "/bin/true", "--wait"});
        ASSERT_EQ(started.Output, "0\n") << started.Errors;
    }
    // Each started program used to keep a thread (and its stack) in the server for good.
    EXPECT_LE(StatusValue(server->Pid(), "Threads"), threadsBefore);
    EXPECT_LE(MappingCount(server->Pid()), mappingsBefore + 30);
}

TEST_F(ServerLink, FileTooLargeForAMessageIsRefusedUnread)
{
    // Sparse: no disk space, but the server would need the memory if it read it.
    const auto huge = Files() / "huge.bin";
    WriteFileBytes(huge, "");
    std::filesystem::resize_file(huge, 64u * 1024u * 1024u + 1);
    // The server's memory is measured through Linux's /proc; elsewhere only the answer is checked.
    const bool measured = MappingCount() >= 0;
    const auto server = StartServer();
    const long peakBefore = measured ? StatusValue(server->Pid(), "VmHWM") : 0; // kB
    const ToolResult r = Tool({"get-file", "huge.bin", "--out", (Logs() / "fetched").string()});
    EXPECT_EQ(r.Output, "{\"found\": false}\n") << r.Errors;
    if (measured) {
        EXPECT_LT(StatusValue(server->Pid(), "VmHWM") - peakBefore, 16 * 1024);
    }
}

TEST_F(ServerLink, NoServerRunning)
{
    const ToolResult value = Tool({"value", "ValdoraWorkArea"});
    EXPECT_EQ(value.ExitCode, 1);
    EXPECT_NE(value.Errors.find("Mentix server application is not running"), std::string::npos);

    const ToolResult query = Tool({"--no-server", "query", "x"});
    EXPECT_EQ(query.ExitCode, 1);
    EXPECT_NE(query.Errors.find("Stream read error"), std::string::npos) << query.Errors;
    EXPECT_EQ(Tool({"--no-server", "find-title", "X"}).Output, "null\n");
}

TEST_F(ServerLink, QuitMessageEndsOrIsRefused)
{
    auto server = StartServer();
    auto leaving = StartClient("leaving", {"--server", "--multi"});
    auto staying = StartClient("staying", {"--server", "--multi", "--deny-quit"});
    ASSERT_FALSE(WaitForEvent("leaving", "ready").empty());
    ASSERT_FALSE(WaitForEvent("staying", "ready").empty());

    server->RequestStop();
    EXPECT_EQ(server->Wait(), 0);
    EXPECT_EQ(leaving->Wait(), 0);
    EXPECT_FALSE(WaitForEvent("leaving", "quit 1").empty());
    EXPECT_FALSE(WaitForEvent("leaving", "ended destroyed").empty());

    EXPECT_FALSE(WaitForEvent("staying", "quit 1").empty());
    EXPECT_TRUE(staying->Running());
    staying->CloseInput();
    EXPECT_EQ(staying->Wait(), 0);
    EXPECT_FALSE(WaitForEvent("staying", "ended").empty());
}

TEST_F(ServerLink, PeerKilledWhileHandlingAMessage)
{
    auto server = StartServer();
    auto hanging = StartClient("hanging", {"--server", "--multi", "--hang-on-quit"});
    ASSERT_FALSE(WaitForEvent("hanging", "ready").empty());
    server->RequestStop(ChildGuard::Stop::Interrupt);
    ASSERT_FALSE(WaitForEvent("hanging", "quit 1").empty());
    EXPECT_TRUE(server->Running()); // waiting for the hanging peer, until it goes
    hanging->Kill();
    EXPECT_EQ(server->Wait(), 0);
}

TEST_F(ServerLink, SecondSignalEndsAShutdownStuckOnAPeer)
{
    auto server = StartServer();
    auto hanging = StartClient("hanging", {"--server", "--multi", "--hang-on-quit"});
    auto later = StartClient("later", {"--server", "--multi"});
    ASSERT_FALSE(WaitForEvent("hanging", "ready").empty());
    ASSERT_FALSE(WaitForEvent("later", "ready").empty());
    server->RequestStop();
    ASSERT_FALSE(WaitForEvent("hanging", "quit 1").empty());
    server->RequestStop();
    EXPECT_EQ(server->Wait(), 0);
    EXPECT_TRUE(hanging->Running());
    // The peers not told yet must not hang on the gone server either.
    later->CloseInput();
    EXPECT_EQ(later->Wait(), 0);
}

TEST_F(ServerLink, StaleWindowsAfterKill)
{
    const auto server = StartServer();
    auto victim = StartClient("victim", {"--server"});
    ASSERT_FALSE(WaitForEvent("victim", "ready").empty());
    EXPECT_NE(Tool({"find-title", "Mentix-test-client"}).Output, "null\n");
    victim->Kill();
    victim->Wait();
    EXPECT_EQ(Tool({"find-title", "Mentix-test-client"}).Output, "null\n");

    // Its mutex died with it: a new instance runs.
    auto next = StartClient("next", {"--server"});
    EXPECT_FALSE(WaitForEvent("next", "ready").empty());
}

TEST_F(ServerLink, SecondInstanceWithoutServerEnds)
{
    auto first = StartClient("first");
    ASSERT_FALSE(WaitForEvent("first", "ready").empty());
    auto second = StartClient("second", {"a", "b"});
    EXPECT_EQ(second->Wait(), 0);
    EXPECT_EQ(ReadFileBytes(EventsOf("second")), "");
    EXPECT_TRUE(first->Running());
    EXPECT_EQ(ReadFileBytes(EventsOf("first")).find("params"), std::string::npos);
}

TEST_F(ServerLink, SecondInstanceHandsItsParametersOver)
{
    const auto server = StartServer();
    auto first = StartClient("first", {"--server"});
    ASSERT_FALSE(WaitForEvent("first", "ready").empty());
    auto second = StartClient("second", {"--server", "x y", "/serverhandle=", "z"});
    EXPECT_EQ(second->Wait(), 0);
    EXPECT_EQ(ReadFileBytes(EventsOf("second")), "");

    const std::string params = WaitForEvent("first", "params ");
    EXPECT_EQ(params, "params " + SystemPath(MENTIX_TEST_CLIENT) + " --events " +
                          EventsOf("second").string() + " --server x y z");
    EXPECT_EQ(WaitForEvent("first", "paramstr0 "), "paramstr0 " + SystemPath(MENTIX_TEST_CLIENT));
    first->CloseInput();
    EXPECT_EQ(first->Wait(), 0);
    const std::string log = ReadFileBytes(EventsOf("first"));
    EXPECT_EQ(log.find("params "), log.rfind("params ")); // fired once
}

TEST_F(ServerLink, RelativelyStartedInstanceHandsOverItsFullPath)
{
    const auto server = StartServer();
    auto first = StartClient("first", {"--server"});
    ASSERT_FALSE(WaitForEvent("first", "ready").empty());
    const std::filesystem::path program(MENTIX_TEST_CLIENT);
    ChildGuard second(
        {"./" + program.filename().string(), "--events", EventsOf("second").string(), "--server", "p"},
        Logs(), program.parent_path());
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(WaitForEvent("first", "params "),
              "params " + SystemPath(program) + " --events " + EventsOf("second").string() + " --server p");
    first->CloseInput();
    EXPECT_EQ(first->Wait(), 0);
}

TEST_F(ServerLink, TwentyAtOnceLeaveOne)
{
    std::vector<std::unique_ptr<ChildGuard>> clients;
    for (int i = 0; i < 20; ++i)
        clients.push_back(StartClient("many" + std::to_string(i)));
    // All but one end by themselves; the one that runs on waits for its input.
    const auto endedCount = [&] {
        return std::count_if(clients.begin(), clients.end(), [](auto& client) { return !client->Running(); });
    };
    EXPECT_TRUE(WaitFor([&] { return endedCount() >= 19; }));
    EXPECT_EQ(endedCount(), 19);
    for (std::size_t i = 0; i < clients.size(); ++i) {
        if (clients[i]->Running())
            EXPECT_FALSE(WaitForEvent("many" + std::to_string(i), "ready").empty());
        else
            EXPECT_EQ(clients[i]->Wait(), 0);
    }
}

} // namespace
