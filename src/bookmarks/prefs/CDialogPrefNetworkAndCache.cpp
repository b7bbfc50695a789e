#include "bookmarks/prefs/CDialogPrefNetworkAndCache.h"

#include "bookmarks/prefs/PrefControlIds.h"

namespace Id = PrefControlId;

std::span<const SheetControl> CDialogPrefNetworkAndCache::Controls() const {
    static constexpr SheetControl controls[] = {
        {Id::SmtpServer, SheetControlKind::Edit, "SMTP Mail Server", "smtp-server"},
        {Id::SmtpPort, SheetControlKind::Edit, "Port", "smtp-port"},
        {Id::HttpProxy, SheetControlKind::Edit, "HTTP Proxy", "http-proxy"},
        {Id::HttpProxyPort, SheetControlKind::Edit, "Port", "http-proxy-port"},
        {Id::MaxConnections, SheetControlKind::Edit, "Maximum Connections ", "max-connections"},
        {Id::CacheDirectory, SheetControlKind::Edit, "Cache Directory", "cache-directory"},
        {Id::CacheSize, SheetControlKind::Static, "Cache Size:", "cache-size", false},
        {Id::CacheSizeSpin, SheetControlKind::Static, "megabyte(s)", "", false},
        {Id::ClearDiskCache, SheetControlKind::Button, "Clear Disk Cache Now", "clear-disk-cache",
         false},
    };
    return controls;
}

std::span<const CDialogPrefPage::IntegerField> CDialogPrefNetworkAndCache::Integers() const {
    static constexpr IntegerField fields[] = {
        {Id::SmtpPort, 1, MaxPort},
        {Id::HttpProxyPort, 1, MaxPort},
        {Id::MaxConnections, 1, kDefaultMaxConnections},
    };
    return fields;
}

void CDialogPrefNetworkAndCache::Fill(const CAppSettings::Values& values) {
    Put(Id::SmtpServer, values.smtpServer);
    PutInt(Id::SmtpPort, values.smtpServerPort);
    Put(Id::HttpProxy, values.httpProxy);
    PutInt(Id::HttpProxyPort, values.httpProxyPort);
    PutInt(Id::MaxConnections, values.maxConnections);
    Put(Id::CacheDirectory, values.tempDirectory);
}

void CDialogPrefNetworkAndCache::CopyBack(CAppSettings::Values& values) const {
    values.smtpServer = Text(Id::SmtpServer);
    values.smtpServerPort = IntegerOf(Id::SmtpPort);
    values.httpProxy = Text(Id::HttpProxy);
    values.httpProxyPort = IntegerOf(Id::HttpProxyPort);
    values.maxConnections = IntegerOf(Id::MaxConnections);
    values.tempDirectory = WithTrailingSlash(Text(Id::CacheDirectory));
}
