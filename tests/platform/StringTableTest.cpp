#include "platform/CStringTable.h"
#include "platform/StringIds.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

// ---- The texts are reproduced exactly ----

TEST(StringTableTexts, KeepDoubleBlanksOfTheOriginal) {
    EXPECT_EQ(LoadString(StringId::OleInitFailed),
              "OLE initialization failed.  Make sure that the OLE libraries are the correct "
              "version.");
    EXPECT_EQ(LoadString(StringId::MailSettingsMissing),
              "Please make sure that  your user name, email address, and SMTP server are "
              "configured correctly in the Preferences dialog.");
    EXPECT_EQ(LoadString(StringId::SmtpReadFailed),
              "Could not read from SMTP server  \"%s\" for the following reason:\n%s");
}

TEST(StringTableTexts, KeepTypingSlipsOfTheOriginal) {
    EXPECT_EQ(LoadString(StringId::HttpUnauthorized),
              "The server \"%s\" has returned the following error:\n401 - The request requires "
              "user authenticaion. This feature will be included in future versions of Vestrial.");
    EXPECT_EQ(LoadString(StringId::AddressInUse), "The specfied address is already in use.");
    EXPECT_EQ(LoadString(StringId::SocketsNotInitialized),
              "Windows Sockets has not been initialized..");
    EXPECT_EQ(LoadString(StringId::HttpBadRequest),
              "The server \"%s\" has returned the following error:\n400 - The request could not "
              "by understood by the server due to malformed syntax.");
}

TEST(StringTableTexts, NamesAndIdentityTexts) {
    EXPECT_EQ(LoadString(StringId::AppName), "Vestrial");
    EXPECT_EQ(LoadString(StringId::UserAgent), "Vestrial (Alpha2 i386 WinNT/Win95)");
    EXPECT_EQ(LoadString(StringId::DocumentTemplate),
              "Vestrial\n\nVestri\n\n\nVestrial.Document\nVestri Document");
}

TEST(StringTableTexts, SameWordingUnderDifferentNumbersStaysSeparate) {
    // 10055 reads differently for a lookup and for a transfer.
    EXPECT_EQ(LoadString(StringId::LookupNoBufferSpace),
              "No/insufficient buffer space is available.");
    EXPECT_EQ(LoadString(StringId::BufferDeadlock),
              "The Windows Sockets implementation reports a buffer deadlock.");
    EXPECT_EQ(LoadString(StringId::ConnectSocketNotBound),
              "The socket is not bound to an address.");
    EXPECT_EQ(LoadString(StringId::TransferSocketNotBound),
              "The socket has not been bound with bind.");
}

TEST(StringTableTexts, EveryNamedIdHasText) {
    using namespace StringId;
    // clang-format off
    const unsigned ids[] = {
        OleInitFailed, DocumentTemplate, AppName, UnsupportedProtocol,
        MethodNotSupported, InvalidUrl, FileOpenFailed, FileReadFailed,
        UnsupportedAuthScheme, InvalidAboutName, SocketsNotInitialized, NetworkSubsystemFailed,
        BlockingCallInProgress, AsyncCannotBeScheduled, NotASocket, LookupTryAgain,
        LookupNoBufferSpace, HostNotFound, LookupNonRecoverable, DnsServerNotFound,
        AddressInUse, AddressNotAvailable, AddressFamilyUnsupported, ConnectionRefused,
        BadNameLength, ConnectSocketNotBound, AlreadyConnected, NoFileDescriptors,
        NetworkUnreachable, ConnectTimedOut, ConnectNoBufferSpace, BroadcastNotPermitted,
        BadBufferAddress, ConnectionDropped, BufferDeadlock, OutOfBandUnsupported,
        SocketShutDown, DatagramTooLarge, ConnectionAborted, ConnectionReset,
        NotConnected, TransferSocketNotBound, UserAgent, HttpConnectFailed,
        HttpSendFailed, HttpReceiveFailed, MalformedUrl, HttpBadRequest,
        HttpUnauthorized, HttpForbidden, HttpNotFound, HttpInternalError,
        HttpNotImplemented, HttpBadGateway, HttpServiceUnavailable, HttpOtherError,
        SmtpConnectFailed, SmtpErrorReply, SmtpReadFailed, SmtpWriteFailed,
        MailSettingsMissing, ControlOutsideCache, UnregisterFailed,
    };
    // clang-format on
    EXPECT_EQ(std::size(ids), 63u);
    for (unsigned id : ids) {
        EXPECT_TRUE(HasString(id)) << id;
        EXPECT_FALSE(LoadString(id).empty()) << id;
    }
}

TEST(StringTableTexts, UnknownIdsGiveEmptyText) {
    for (unsigned id : {0u, 1u, 5204u, 6001u, 9003u, 57345u, 4294967295u}) {
        EXPECT_FALSE(HasString(id)) << id;
        EXPECT_EQ(LoadString(id), "") << id;
        EXPECT_EQ(FormatString(id, {"x", 1}), "") << id;
    }
}

// ---- Messages formatted with their arguments ----

TEST(StringTableMessages, FillTheirArgumentsInOrder) {
    EXPECT_EQ(
        FormatString(StringId::HttpConnectFailed, {"www.example.com", "The host does not exist."}),
        "Connect to host www.example.com failed due to the following reason:\nThe host does "
        "not exist.");
    EXPECT_EQ(FormatString(StringId::UnsupportedProtocol, {"gopher://x/"}),
              "The URL \"gopher://x/\" cannot be loaded because it requires a protocol that is not "
              "currently supported.");
    EXPECT_EQ(FormatString(StringId::InvalidAboutName, {std::string("about:nothing")}),
              "The entry \"about:nothing\" is not a valid name for the about protocol.");
}

TEST(StringTableMessages, NumberGivenForTextPrintsInDecimal) {
    EXPECT_EQ(FormatString(StringId::HttpOtherError, {"h", 402}),
              "The server \"h\" has returned the following error:\n402 - Unknown error has "
              "occurred.");
}

TEST(StringTableMessages, MissingArgumentsLeaveEmptyText) {
    EXPECT_EQ(FormatString(StringId::HttpConnectFailed, {"h"}),
              "Connect to host h failed due to the following reason:\n");
    EXPECT_EQ(FormatString(StringId::SmtpErrorReply, {}),
              "The SMTP server \"\" returned the following error message:\n");
}

// ---- The formatter ----

TEST(StringFormat, IntegerConversions) {
    EXPECT_EQ(FormatText("%d|%ld|%u|%lu|%x", {-5, 123456789012L, 7u, 4000000000UL, 255}),
              "-5|123456789012|7|4000000000|ff");
    EXPECT_EQ(FormatText("%u bytes read from file %s", {4096u, "C:\\a.htm"}),
              "4096 bytes read from file C:\\a.htm");
    EXPECT_EQ(FormatText("%ld bytes received from %s", {8192L, "host"}),
              "8192 bytes received from host");
    EXPECT_EQ(FormatText("%d", {9223372036854775807LL}), "9223372036854775807");
    EXPECT_EQ(FormatText("%lx|%lx", {0xDEADBEEFCAFEULL, 10L}), "deadbeefcafe|a");
}

TEST(StringFormat, NegativeNumbersWrapForUnsignedConversions) {
    EXPECT_EQ(FormatText("%u", {-1}), "4294967295");
    EXPECT_EQ(FormatText("%x", {-1}), "ffffffff");
    EXPECT_EQ(FormatText("%lu", {-1L}), "18446744073709551615");
    EXPECT_EQ(FormatText("%lx", {-1L}), "ffffffffffffffff");
    EXPECT_EQ(FormatText("%d", {4294967295u}), "4294967295");
}

TEST(StringFormat, PercentPercentIsOnePercentAndTakesNoArgument) {
    EXPECT_EQ(FormatText("100%% of %s", {"it"}), "100% of it");
    EXPECT_EQ(FormatText("%%s", {"unused"}), "%s");
}

TEST(StringFormat, ArgumentsAreNeverReadAsFormats) {
    EXPECT_EQ(FormatText("[%s]", {"%s%n%x"}), "[%s%n%x]");
    EXPECT_EQ(FormatText("%s and %s", {"%%", "%d"}), "%% and %d");
    EXPECT_EQ(FormatString(StringId::SmtpErrorReply, {"%n%n%n", "550 %s %p %999999d"}),
              "The SMTP server \"%n%n%n\" returned the following error message:\n550 %s %p "
              "%999999d");
}

TEST(StringFormat, TextGivenForNumberIsCopied) {
    EXPECT_EQ(FormatText("code %d, size %lu, %x", {"abc", "12x", ""}), "code abc, size 12x, ");
}

TEST(StringFormat, MissingNumbersAreZero) {
    EXPECT_EQ(FormatText("%s:%d:%ld:%u:%lu:%x", {}), ":0:0:0:0:0");
    EXPECT_EQ(FormatText("%d of %d", {3}), "3 of 0");
}

TEST(StringFormat, UnknownConversionsAreCopiedAndTakeNoArgument) {
    EXPECT_EQ(FormatText("%q %s", {"a"}), "%q a");
    EXPECT_EQ(FormatText("%5d|%n|%ls|%p", {"a"}), "%5d|%n|%ls|%p");
    EXPECT_EQ(FormatText("%1 and %2", {"x", "y"}), "%1 and %2");
    EXPECT_EQ(FormatText("ends in %", {"a"}), "ends in %");
    EXPECT_EQ(FormatText("ends in %l", {"a"}), "ends in %l");
}

TEST(StringFormat, ExtraArgumentsAreIgnored) {
    EXPECT_EQ(FormatText("only %s", {"one", "two", 3}), "only one");
    EXPECT_EQ(FormatText("", {"one"}), "");
}

TEST(StringFormat, AcceptsEveryStringKind) {
    const std::string owned = "owned";
    const std::string_view view = "view";
    const char* nothing = nullptr;
    EXPECT_EQ(FormatText("%s %s %s %s|", {owned, view, "literal", nothing}),
              "owned view literal |");
}

TEST(StringFormat, BytesAreCopiedUnchanged) {
    const std::string bytes("a\0b\xe9\xff", 5);
    EXPECT_EQ(FormatText("<%s>", {bytes}), std::string("<a\0b\xe9\xff>", 7));
}

} // namespace
