#pragma once

#include <cstdint>
#include <string>

class TDemonLink;
class TMentixMessageStream;

// One peer of the message exchange: its message window, its single-instance mutex, its program
// path and its application title. Empty texts are filled from the server on first reading.
class TEntity
{
public:
    explicit TEntity(TDemonLink* owner = nullptr) : FOwner(owner) {}

    TDemonLink* Owner() const { return FOwner; }
    void SetOwner(TDemonLink* owner) { FOwner = owner; }

    std::uint32_t Handle = 0;
    std::uint32_t MutexHandle = 0;

    // Read with lazy filling: an empty text asks the server first (and stays empty if it can't tell).
    const std::string& ExeName();
    const std::string& Title();
    void SetExeName(std::string name) { FExeName = std::move(name); }
    void SetTitle(std::string title) { FTitle = std::move(title); }
    // The stored texts, without asking anybody.
    const std::string& StoredExeName() const { return FExeName; }
    const std::string& StoredTitle() const { return FTitle; }

    // Fills the record from the server by `Handle`.
    void Refresh();
    // Copies the four data fields; nothing happens for a null record.
    void Assign(const TEntity* other);
    // "MX_" and the file-name part of the program path, letter case unchanged.
    std::string GetMutexName();

    void WriteToStream(TMentixMessageStream& msg);
    void ReadFromStream(TMentixMessageStream& msg);

    bool IsAlive() const;

private:
    TDemonLink* FOwner;
    std::string FExeName;
    std::string FTitle;
};
