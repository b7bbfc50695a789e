#pragma once

// Numbers of the string-table texts. They are kept as the original program
// numbered them, so that an error text can be traced back by its number and
// the gaps (5204, 6001, 9003) stay gaps.
namespace StringId {

// Application shell.
inline constexpr unsigned OleInitFailed = 100;
// The document template's description: its fields are separated by line feeds.
inline constexpr unsigned DocumentTemplate = 128;
inline constexpr unsigned AppName = 57344;

// Main frame. Each command's prompt and tool tip are under the command's own
// id (platform/ui/CommandIds.h).
inline constexpr unsigned IdleMessage = 57345;
inline constexpr unsigned IndicatorCaps = 59137;
inline constexpr unsigned IndicatorNum = 59138;
inline constexpr unsigned IndicatorScroll = 59139;
inline constexpr unsigned FindNotFound = 4022;

// Bookmarks: the bookmark file.
inline constexpr unsigned BookmarkLoadFailed = 4030;
inline constexpr unsigned BookmarkSaveFailed = 4031;

// Protocol dispatch and the local schemes.
inline constexpr unsigned UnsupportedProtocol = 500;
inline constexpr unsigned MethodNotSupported = 501;
inline constexpr unsigned InvalidUrl = 502;
inline constexpr unsigned FileOpenFailed = 503;
inline constexpr unsigned FileReadFailed = 504;
inline constexpr unsigned UnsupportedAuthScheme = 507;
inline constexpr unsigned InvalidAboutName = 9100;

// Socket layer: texts shared by several operations.
inline constexpr unsigned SocketsNotInitialized = 5000;
inline constexpr unsigned NetworkSubsystemFailed = 5001;
inline constexpr unsigned BlockingCallInProgress = 5002;
inline constexpr unsigned AsyncCannotBeScheduled = 5003;
inline constexpr unsigned NotASocket = 5004;

// Socket layer: host lookup.
inline constexpr unsigned LookupTryAgain = 5100;
inline constexpr unsigned LookupNoBufferSpace = 5101;
inline constexpr unsigned HostNotFound = 5102;
inline constexpr unsigned LookupNonRecoverable = 5103;
inline constexpr unsigned DnsServerNotFound = 5104;

// Socket layer: connecting.
inline constexpr unsigned AddressInUse = 5200;
inline constexpr unsigned AddressNotAvailable = 5201;
inline constexpr unsigned AddressFamilyUnsupported = 5202;
inline constexpr unsigned ConnectionRefused = 5203;
inline constexpr unsigned BadNameLength = 5205;
inline constexpr unsigned ConnectSocketNotBound = 5206;
inline constexpr unsigned AlreadyConnected = 5207;
inline constexpr unsigned NoFileDescriptors = 5208;
inline constexpr unsigned NetworkUnreachable = 5209;
inline constexpr unsigned ConnectTimedOut = 5210;
inline constexpr unsigned ConnectNoBufferSpace = 5211;

// Socket layer: sending and receiving.
inline constexpr unsigned BroadcastNotPermitted = 5300;
inline constexpr unsigned BadBufferAddress = 5301;
inline constexpr unsigned ConnectionDropped = 5302;
inline constexpr unsigned BufferDeadlock = 5303;
inline constexpr unsigned OutOfBandUnsupported = 5304;
inline constexpr unsigned SocketShutDown = 5305;
inline constexpr unsigned DatagramTooLarge = 5306;
inline constexpr unsigned ConnectionAborted = 5307;
inline constexpr unsigned ConnectionReset = 5308;
inline constexpr unsigned NotConnected = 5309;
inline constexpr unsigned TransferSocketNotBound = 5310;

// HTTP client.
inline constexpr unsigned UserAgent = 6000;
inline constexpr unsigned HttpConnectFailed = 6002;
inline constexpr unsigned HttpSendFailed = 6003;
inline constexpr unsigned HttpReceiveFailed = 6004;
inline constexpr unsigned MalformedUrl = 6005;
// Secure connections and redirect chains.
inline constexpr unsigned TlsUntrusted = 6006;
inline constexpr unsigned TlsNameMismatch = 6007;
inline constexpr unsigned TlsExpired = 6008;
inline constexpr unsigned TlsHandshakeFailed = 6009;
inline constexpr unsigned TooManyRedirects = 6010;
inline constexpr unsigned RedirectToFile = 6011;

// HTTP server answers, named after their status codes.
inline constexpr unsigned HttpNotModified = 7304;
inline constexpr unsigned HttpBadRequest = 7400;
inline constexpr unsigned HttpUnauthorized = 7401;
inline constexpr unsigned HttpForbidden = 7403;
inline constexpr unsigned HttpNotFound = 7404;
inline constexpr unsigned HttpInternalError = 7500;
inline constexpr unsigned HttpNotImplemented = 7501;
inline constexpr unsigned HttpBadGateway = 7502;
inline constexpr unsigned HttpServiceUnavailable = 7503;
inline constexpr unsigned HttpOtherError = 7504;

// Mail sending.
inline constexpr unsigned SmtpConnectFailed = 9000;
inline constexpr unsigned SmtpErrorReply = 9001;
inline constexpr unsigned SmtpReadFailed = 9002;
inline constexpr unsigned SmtpWriteFailed = 9004;
inline constexpr unsigned MailSettingsMissing = 9005;

// Preferences: unregistering controls.
inline constexpr unsigned ControlOutsideCache = 61446;
inline constexpr unsigned UnregisterFailed = 61447;
// Preferences: the dialog framework's checks of integer fields.
inline constexpr unsigned ParseInteger = 61712;
inline constexpr unsigned ParseIntegerRange = 61713;

} // namespace StringId
