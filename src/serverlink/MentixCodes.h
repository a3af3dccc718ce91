#pragma once

#include <cstddef>
#include <cstdint>

// Command codes of the data-copy messages that peers exchange, and the window identities they
// are sent between.
namespace mentix {

inline constexpr std::int32_t dmQuit = 4096;           // server to client: 1 byte, server going down
inline constexpr std::int32_t dmReply = 4097;          // responder to requester: the answer
inline constexpr std::int32_t dmRegister = 4098;       // client to server: own peer record
inline constexpr std::int32_t dmUnregister = 4099;     // client to server: own peer record
inline constexpr std::int32_t dmFindEntity = 4100;     // selector 1 + handle, or selector 2 + title
inline constexpr std::int32_t dmParams = 4101;         // new instance to running one: CR LF lines
inline constexpr std::int32_t dmExecute = 4102;        // program, parameters, wait flag, option
inline constexpr std::int32_t dmGetFile = 4103;        // file name -> found flag + bytes
inline constexpr std::int32_t dmServerFileName = 4104; // local file name -> server's file name
inline constexpr std::int32_t dmQueryString = 4105;    // text -> text
inline constexpr std::int32_t dmServerValue = 4106;    // value name -> value

inline constexpr std::uint8_t kFindByHandle = 1;
inline constexpr std::uint8_t kFindByTitle = 2;

inline constexpr const char* kClientWindowClass = "ThisIsTheMentixClientComponentWindowClass";
inline constexpr const char* kServerWindowClass = "ThisIsTheMentixServerComponentWindowClass";
inline constexpr const char* kServerWindowName = "ThisIsTheMentixServerComponentWindow";

// Size of the stamp (time, date) in front of every message's payload.
inline constexpr std::size_t kStampSize = 8;

} // namespace mentix
