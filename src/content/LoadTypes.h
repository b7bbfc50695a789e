#pragma once

#include <cstdint>
#include <map>
#include <string>

// Outcome of every step of a load and of a content object: the numbers are
// part of the contract between workers, loads and objects.
enum class Status : int32_t {
    Unknown = 0,  // a load's result before anything is known
    Continue = 1, // go on (for a result: in progress, or succeeded so far)
    Failed = 2,
    Complete = 3,
};

// Failed or Complete from a step of a transfer: stop feeding, the load's
// result is settled.
inline bool EndsTransfer(Status status) {
    return status == Status::Failed || status == Status::Complete;
}

enum class Method : int32_t { Get = 0, Head = 1, Post = 2 };

// What a content type can be used for.
namespace Caps {
inline constexpr uint32_t Document = 0x1;
inline constexpr uint32_t InlineImage = 0x2;
inline constexpr uint32_t Action = 0x4; // not shown; Execute runs once complete
inline constexpr uint32_t Embeddable = 0x8;
} // namespace Caps

// Notification bits a load carries to its owner. Bits below AuthRequested pass
// through the pump untouched; the upper four steer it.
namespace Notify {
inline constexpr uint32_t Data = 0x00000001; // an object was created, or new data
inline constexpr uint32_t Attached = 0x00000002;
inline constexpr uint32_t ElementsAdded = 0x00000010;
inline constexpr uint32_t TitleKnown = 0x00000020;
inline constexpr uint32_t BackgroundColorKnown = 0x00000040;
inline constexpr uint32_t TextColorKnown = 0x00000080;
inline constexpr uint32_t LinkColorKnown = 0x00000100;
inline constexpr uint32_t VisitedLinkColorKnown = 0x00000200;
inline constexpr uint32_t BackgroundImageKnown = 0x00000400;
inline constexpr uint32_t ImageData = 0x00000800;
inline constexpr uint32_t AuthRequested = 0x08000000;
inline constexpr uint32_t TransferFailed = 0x10000000;
inline constexpr uint32_t Finished = 0x20000000;
inline constexpr uint32_t WorkerEnded = 0x40000000;
inline constexpr uint32_t Redirected = 0x80000000;
} // namespace Notify

// Response headers: lower-case names to values.
using HeaderMap = std::map<std::string, std::string>;
