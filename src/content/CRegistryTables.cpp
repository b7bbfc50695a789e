#include "content/CRegistryTables.h"

#include "platform/TextUtil.h"

Matcher PrefixMatcher(std::string prefix) {
    return [prefix = std::move(prefix)](std::string_view text) {
        return StartsWithNoCase(text, prefix) ? 100 : 0;
    };
}

Matcher ExactMatcher(std::string expected) {
    return [expected = std::move(expected)](std::string_view text) {
        return EqualsNoCase(text, expected) ? 100 : 0;
    };
}

CTable<ProtocolEntry>& ProtocolTable() {
    static CTable<ProtocolEntry> table;
    return table;
}

CTable<ContentTypeEntry>& ContentTypeTable() {
    static CTable<ContentTypeEntry> table;
    return table;
}

const ContentTypeEntry* FindContentType(std::string_view contentType, uint32_t requiredCaps) {
    return ContentTypeTable().Best(contentType, [requiredCaps](const ContentTypeEntry& entry) {
        return (entry.caps & requiredCaps) == requiredCaps;
    });
}

std::string AcceptHeaderValue() {
    std::string accept;
    for (const ContentTypeEntry& entry : ContentTypeTable().Entries()) {
        if (!accept.empty())
            accept += ", ";
        accept += entry.acceptText;
    }
    return accept;
}
