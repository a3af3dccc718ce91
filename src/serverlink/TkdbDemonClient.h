#pragma once

#include "serverlink/TkdbCustomDemon.h"

// The client role of the server link, used by applications: every operation is one request to
// the Mentix server's window found at construction. It registers with the server at load time
// (with UseValdoraServer on) and unregisters when destroyed (unless the server went down).
//
//     auto* demon = new TkdbDemonClient(mainWindow);
//     demon->setObjectName("cliDemon");
//     demon->SetUseValdoraServer(false);   // ... every stored property
//     demon->Loaded();                     // may end a second instance here, exit code 0
class TkdbDemonClient : public TkdbCustomDemon
{
    Q_OBJECT

public:
    // `commandLine` is this process's own unless a test gives another; `designing` builds the
    // component without a window, as the designer would.
    explicit TkdbDemonClient(QObject* owner = nullptr, CommandLine commandLine = CommandLine::OfThisProcess(),
                             bool designing = false);
    ~TkdbDemonClient() override;

    // Registers (with the server on), loads the language file, translates the owner, then applies
    // the single-instance rule. Raises EMentix "Mentix server application is not running" when
    // the server is to be used and was not found.
    void Loaded() override;

    std::string GetWindowClassName() const override;
    std::string GetWindowName() const override;
    std::unique_ptr<TEntity> FindEntityByTitle(const std::string& title) override;
    std::unique_ptr<TEntity> FindEntityByHandle(std::uint32_t handle) override;
    std::int32_t ExecuteProgram(const std::string& program, const std::string& parameters, bool wait,
                                std::int32_t option) override;
    std::unique_ptr<TMemoryStream> GetFile(const std::string& name) override;
    std::string GetServerFileName(const std::string& name) override;
    std::string QueryServerString(const std::string& text) override;
    // With UseValdoraServer off, "ValdoraWorkArea" and "ValdoraHomeDir" (letter case counts)
    // give the program's folder with a trailing separator, every other name the empty text.
    std::string GetServerValue(const std::string& name) override;

    void RegisterAtServer();
    void UnregisterAtServer();

private:
    void StartClient();
    // One request to the server whose answer is read from the returned reply.
    std::unique_ptr<TMentixMessageStream> Request(TMentixMessageStream& msg);
    std::unique_ptr<TEntity> RequestEntity(TMentixMessageStream& msg);
    std::string RequestString(std::int32_t code, const std::string& argument);
};
