#include "platform/CStringTable.h"

#include "platform/StringIds.h"
#include "platform/ui/CommandIds.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace {

struct StringEntry {
    unsigned id;
    std::string_view text;
};

// The texts are the original program's, typing slips and double blanks
// included: users and scripts compare them, so they must not be "corrected".
// Kept sorted by id for the binary search in Load.
constexpr auto kStrings = std::to_array<StringEntry>({
    {StringId::OleInitFailed, "OLE initialization failed.  Make sure that the OLE libraries are "
                              "the correct version."},
    {StringId::DocumentTemplate, "Vestrial\n\nVestri\n\n\nVestrial.Document\nVestri Document"},
    {StringId::UnsupportedProtocol, "The URL \"%s\" cannot be loaded because it requires a "
                                    "protocol that is not currently supported."},
    {StringId::MethodNotSupported, "The %s protocol does not support this method."},
    {StringId::InvalidUrl, "The URL \"%s\" is not a valid URL."},
    {StringId::FileOpenFailed, "Cannot open the file \"%s\" for reading."},
    {StringId::FileReadFailed, "An error occurred while attempting to read the file \"%s\"."},
    {StringId::UnsupportedAuthScheme, "This URL requires an authentication mechanism that is "
                                      "not currently supported."},
    {CommandId::HotlistFirst, "Open this bookmark\nHotlist"},
    {CommandId::LocationBar, "Show or hide the location bar\nToggle Location Bar"},
    {CommandId::OpenUrl, "Open a document by its address\nOpen URL"},
    {CommandId::AddToHotlist, "Add the page shown to the hotlist\nAdd to Hotlist"},
    {CommandId::EditHotlist, "Edit the hotlist\nEdit Hotlist"},
    {CommandId::Back, "Go back to the previous page\nBack"},
    {CommandId::Forward, "Go forward to the next page\nForward"},
    {CommandId::Home, "Go to the home page\nHome"},
    {CommandId::Reload, "Load the page shown again\nReload"},
    {CommandId::Stop, "Stop loading\nStop"},
    {CommandId::OpenLocation, "Open the address in the location field\nOpen"},
    {CommandId::Preferences, "Change the preferences\nPreferences"},
    {StringId::FindNotFound, "Phrase not found"},
    {StringId::BookmarkLoadFailed, "The bookmark file %s could not be loaded."},
    {StringId::BookmarkSaveFailed, "The bookmark file %s could not be written to."},
    {StringId::SocketsNotInitialized, "Windows Sockets has not been initialized.."},
    {StringId::NetworkSubsystemFailed, "The Windows Sockets implementation has detected that the "
                                       "network subsystem has failed."},
    {StringId::BlockingCallInProgress, "A blocking Windows Sockets operation is in progress."},
    {StringId::AsyncCannotBeScheduled,
     "The asynchronous operation cannot be scheduled at this time due to resource or other "
     "constraints within the Windows Sockets implementation."},
    {StringId::NotASocket, "The descriptor is not a socket."},
    {StringId::LookupTryAgain, "Host not found, or there an error resolving the host name."},
    {StringId::LookupNoBufferSpace, "No/insufficient buffer space is available."},
    {StringId::HostNotFound, "The host does not exist."},
    {StringId::LookupNonRecoverable, "A non recoverable error has occurred resolving host name."},
    {StringId::DnsServerNotFound, "The DNS server could not be located."},
    {StringId::AddressInUse, "The specfied address is already in use."},
    {StringId::AddressNotAvailable, "The specified address is not available from the local "
                                    "machine."},
    {StringId::AddressFamilyUnsupported, "Addresses in the specified family cannot be used with "
                                         "this socket."},
    {StringId::ConnectionRefused, "The attempt to connect was forcefully rejected."},
    {StringId::BadNameLength, "The namelen argument is incorrect."},
    {StringId::ConnectSocketNotBound, "The socket is not bound to an address."},
    {StringId::AlreadyConnected, "The socket is already connected."},
    {StringId::NoFileDescriptors, "No more file descriptors are available."},
    {StringId::NetworkUnreachable, "The network can't be reached from this host at this time."},
    {StringId::ConnectTimedOut, "Attempt to connect timed out without establishing a "
                                "connection."},
    {StringId::ConnectNoBufferSpace, "No/insufficient buffer space is available."},
    {StringId::BroadcastNotPermitted, "The requested address is a broadcast address, but the "
                                      "appropriate flag was not set."},
    {StringId::BadBufferAddress, "The buf argument is not in a valid part of the user address "
                                 "space."},
    {StringId::ConnectionDropped, "The connection must be reset because the Windows Sockets "
                                  "implementation dropped it."},
    {StringId::BufferDeadlock, "The Windows Sockets implementation reports a buffer deadlock."},
    {StringId::OutOfBandUnsupported, "MSG_OOB was specified, but the socket is not of type "
                                     "SOCK_STREAM."},
    {StringId::SocketShutDown, "The socket has been shutdown."},
    {StringId::DatagramTooLarge, "The socket is of type SOCK_DGRAM, and the datagram is larger "
                                 "than the maximum supported by the Windows Sockets "
                                 "implementation."},
    {StringId::ConnectionAborted, "The virtual circuit was aborted due to timeout or other "
                                  "failure."},
    {StringId::ConnectionReset, "The virtual circuit was reset by the remote side."},
    {StringId::NotConnected, "The socket is not connected."},
    {StringId::TransferSocketNotBound, "The socket has not been bound with bind."},
    {StringId::UserAgent, "Vestrial (Alpha2 i386 WinNT/Win95)"},
    {StringId::HttpConnectFailed, "Connect to host %s failed due to the following reason:\n%s"},
    {StringId::HttpSendFailed, "Could not send request header to host %s due to the following "
                               "reason:\n%s"},
    {StringId::HttpReceiveFailed, "Could not read data from host %s due to the following "
                                  "reason:\n%s"},
    {StringId::MalformedUrl, "The URL \"%s\" is malformed."},
    {StringId::TlsUntrusted, "The certificate of host %s is not trusted for the following "
                             "reason:\n%s"},
    {StringId::TlsNameMismatch, "The certificate of host %s was issued for another name."},
    {StringId::TlsExpired, "The certificate of host %s has expired."},
    {StringId::TlsHandshakeFailed, "A secure connection to host %s could not be established "
                                   "for the following reason:\n%s"},
    {StringId::TooManyRedirects, "The server redirected the request more than %d times; the "
                                 "last address was \"%s\"."},
    {StringId::RedirectToFile, "The server \"%s\" redirected the request to the local file "
                               "\"%s\". A server may not open files of this computer."},
    {StringId::HttpNotModified, "The server \"%s\" has returned the following error:\n304 - Not "
                                "modified, although nothing was asked conditionally; there is no "
                                "page to show."},
    {StringId::HttpBadRequest, "The server \"%s\" has returned the following error:\n400 - The "
                               "request could not by understood by the server due to malformed "
                               "syntax."},
    {StringId::HttpUnauthorized, "The server \"%s\" has returned the following error:\n401 - The "
                                 "request requires user authenticaion. This feature will be "
                                 "included in future versions of Vestrial."},
    {StringId::HttpForbidden, "The server \"%s\" has returned the following error:\n403 - The "
                              "server is refusing to perform the request for an unspecified "
                              "reason."},
    {StringId::HttpNotFound, "The server \"%s\" has returned the following error:\n404 - The "
                             "server has not found anything matching the given URL."},
    {StringId::HttpInternalError, "The server \"%s\" has returned the following error:\n500 - "
                                  "The server has encountered an unexpected condition which "
                                  "prevented it from fulfilling the request.."},
    {StringId::HttpNotImplemented, "The server \"%s\" has returned the following error:\n501 - "
                                   "The server does not support the functionality required to "
                                   "fulfill the request."},
    {StringId::HttpBadGateway, "The server \"%s\" has returned the following error:\n502 - The "
                               "server received an invalid response from the gateway or upstream "
                               "server it accessed in attempting to fulfill the request."},
    {StringId::HttpServiceUnavailable, "The server \"%s\" has returned the following error:\n503 "
                                       "- The server is currently unable to handle the request "
                                       "due to a temporary overloading or maintenance of the "
                                       "server."},
    {StringId::HttpOtherError, "The server \"%s\" has returned the following error:\n%s - "
                               "Unknown error has occurred."},
    {StringId::SmtpConnectFailed, "Connect to SMTP host \"%s\" failed for the following "
                                  "reason:\n%s"},
    {StringId::SmtpErrorReply, "The SMTP server \"%s\" returned the following error "
                               "message:\n%s"},
    {StringId::SmtpReadFailed, "Could not read from SMTP server  \"%s\" for the following "
                               "reason:\n%s"},
    {StringId::SmtpWriteFailed, "Could not write to SMTP server \"%s\" for the following "
                                "reason:\n%s"},
    {StringId::MailSettingsMissing, "Please make sure that  your user name, email address, and "
                                    "SMTP server are configured correctly in the Preferences "
                                    "dialog."},
    {StringId::InvalidAboutName, "The entry \"%s\" is not a valid name for the about protocol."},
    {StringId::AppName, "Vestrial"},
    {StringId::IdleMessage, "Ready"},
    {CommandId::OpenFile, "Open an existing file\nOpen File"},
    {CommandId::PrintSetup, "Change the printer and printing options\nPrint Setup"},
    {CommandId::Print, "Print the page\nPrint"},
    {CommandId::PrintPreview, "Show the page as it would be printed\nPrint Preview"},
    {CommandId::Copy, "Copy the selection and put it on the Clipboard\nCopy"},
    {CommandId::Cut, "Cut the selection and put it on the Clipboard\nCut"},
    {CommandId::Find, "Find text in the page\nFind"},
    {CommandId::Paste, "Insert the Clipboard's contents\nPaste"},
    {CommandId::Undo, "Undo the last action\nUndo"},
    {CommandId::About, "Show the program's information, version number and copyright\nAbout"},
    {CommandId::Exit, "Quit the application\nExit"},
    {StringId::IndicatorCaps, "CAP"},
    {StringId::IndicatorNum, "NUM"},
    {StringId::IndicatorScroll, "SCRL"},
    {CommandId::ToolBar, "Show or hide the button bar\nToggle Button Bar"},
    {CommandId::StatusBar, "Show or hide the status bar\nToggle Status Bar"},
    {StringId::ControlOutsideCache, "The OLE control you selected is not in the OCX Cache "
                                    "directory. It might be an OCX, that another program is "
                                    "using. Do you still want to delete it ?"},
    {StringId::UnregisterFailed, "Unregister failed! The OCX might be in use. Try to go to a page "
                                 "without the OCX and unregister again."},
    {StringId::ParseInteger, "Please enter an integer."},
    {StringId::ParseIntegerRange, "Please enter an integer between %1 and %2."},
});

constexpr bool IdsStrictlyAscending() {
    return std::adjacent_find(kStrings.begin(), kStrings.end(), [](const auto& a, const auto& b) {
               return a.id >= b.id;
           }) == kStrings.end();
}
static_assert(IdsStrictlyAscending(), "string table must be sorted by id without duplicates");

const StringEntry* FindEntry(unsigned id) {
    const auto* it =
        std::lower_bound(kStrings.begin(), kStrings.end(), id,
                         [](const StringEntry& e, unsigned key) { return e.id < key; });
    if (it == kStrings.end() || it->id != id)
        return nullptr;
    return it;
}

// What a conversion does with its argument. The width of an unsigned
// conversion decides how a negative argument wraps, as the C library would.
enum class Conversion { Text, Signed, Unsigned32, Unsigned64, Hex32, Hex64 };

struct ParsedConversion {
    Conversion kind;
    std::size_t length; // characters of the format it occupies, "%" included
};

std::optional<Conversion> ConversionForLetter(char letter, bool isLong) {
    switch (letter) {
    case 's':
        return isLong ? std::nullopt : std::optional(Conversion::Text);
    case 'd':
        return Conversion::Signed;
    case 'u':
        return isLong ? Conversion::Unsigned64 : Conversion::Unsigned32;
    case 'x':
        return isLong ? Conversion::Hex64 : Conversion::Hex32;
    default:
        return std::nullopt;
    }
}

// format[pos] is a "%" that does not start "%%".
std::optional<ParsedConversion> ParseConversion(std::string_view format, std::size_t pos) {
    std::size_t letter = pos + 1;
    const bool isLong = letter < format.size() && format[letter] == 'l';
    if (isLong)
        ++letter;
    if (letter >= format.size())
        return std::nullopt;
    const auto kind = ConversionForLetter(format[letter], isLong);
    if (!kind)
        return std::nullopt;
    return ParsedConversion{*kind, letter - pos + 1};
}

template <typename Integer> void AppendNumber(std::string& out, Integer value, int base) {
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, base);
    out.append(digits.data(), result.ptr);
}

void AppendUnsigned(std::string& out, const CFormatArg::Value& value, Conversion kind) {
    const bool narrow = kind == Conversion::Unsigned32 || kind == Conversion::Hex32;
    const int base = (kind == Conversion::Hex32 || kind == Conversion::Hex64) ? 16 : 10;
    std::uint64_t magnitude = 0;
    if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        magnitude = *u;
    } else {
        const std::int64_t s = std::get<std::int64_t>(value);
        magnitude = static_cast<std::uint64_t>(s);
        if (s < 0 && narrow)
            magnitude &= 0xFFFFFFFFu;
    }
    AppendNumber(out, magnitude, base);
}

void AppendArgument(std::string& out, const CFormatArg& arg, Conversion kind) {
    const CFormatArg::Value& value = arg.GetValue();
    if (const auto* text = std::get_if<std::string_view>(&value)) {
        out += *text;
        return;
    }
    if (kind == Conversion::Text || kind == Conversion::Signed) {
        if (const auto* s = std::get_if<std::int64_t>(&value))
            AppendNumber(out, *s, 10);
        else
            AppendNumber(out, std::get<std::uint64_t>(value), 10);
        return;
    }
    AppendUnsigned(out, value, kind);
}

void AppendMissingArgument(std::string& out, Conversion kind) {
    if (kind != Conversion::Text)
        out += '0';
}

} // namespace

std::string_view CStringTable::Load(unsigned id) {
    const StringEntry* entry = FindEntry(id);
    return entry ? entry->text : std::string_view();
}

bool CStringTable::Has(unsigned id) {
    return FindEntry(id) != nullptr;
}

std::string CStringTable::FormatText(std::string_view format,
                                     std::initializer_list<CFormatArg> args) {
    std::string out;
    out.reserve(format.size());
    const CFormatArg* nextArg = args.begin();
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t percent = format.find('%', pos);
        out.append(format.substr(pos, percent - pos));
        if (percent == std::string_view::npos)
            break;
        if (percent + 1 < format.size() && format[percent + 1] == '%') {
            out += '%';
            pos = percent + 2;
            continue;
        }
        const auto conversion = ParseConversion(format, percent);
        if (!conversion) {
            out += '%';
            pos = percent + 1;
            continue;
        }
        if (nextArg != args.end())
            AppendArgument(out, *nextArg++, conversion->kind);
        else
            AppendMissingArgument(out, conversion->kind);
        pos = percent + conversion->length;
    }
    return out;
}

std::string CStringTable::Format(unsigned id, std::initializer_list<CFormatArg> args) {
    return FormatText(Load(id), args);
}
