#pragma once

// The controls of the preferences pages, numbered as the original dialogs
// numbered them.
namespace PrefControlId {

// "Network and Cache"
inline constexpr unsigned SmtpServer = 1024;
inline constexpr unsigned SmtpPort = 1045;
inline constexpr unsigned HttpProxy = 1025;
inline constexpr unsigned HttpProxyPort = 1043;
inline constexpr unsigned MaxConnections = 1031;
inline constexpr unsigned CacheDirectory = 1027;
inline constexpr unsigned CacheSize = 1040;
inline constexpr unsigned CacheSizeSpin = 1039;
inline constexpr unsigned ClearDiskCache = 1037;

// "OLE Controls"
inline constexpr unsigned ControlDirectory = 1026;
inline constexpr unsigned RegisteredControls = 1041;
inline constexpr unsigned UnregisterControl = 1042;

// "User Info"
inline constexpr unsigned UserName = 1035;
inline constexpr unsigned UserEmail = 1036;
inline constexpr unsigned HomePage = 1032;
inline constexpr unsigned LoadHomePage = 1034;

} // namespace PrefControlId
