#include "layout/CLayoutDump.h"

#include "html/CElementDump.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutEngine.h"
#include "layout/CLayoutRecords.h"

#include <string>
#include <string_view>

namespace {

class CJsonItem {
public:
    explicit CJsonItem(const CDisplayItem& item) {
        const CRect& r = item.rect;
        m_out = "{\"type\":" + std::to_string(static_cast<uint32_t>(item.type)) + ",\"rect\":[" +
                std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
    }
    CJsonItem& Number(const char* name, int64_t value) {
        Key(name);
        m_out += std::to_string(value);
        return *this;
    }
    CJsonItem& String(const char* name, std::string_view value) {
        Key(name);
        m_out += JsonQuoted(value);
        return *this;
    }
    CJsonItem& Link(const CLinkRecord* link) {
        if (link)
            String("href", link->href).String("target", link->target);
        return *this;
    }
    CJsonItem& Options(const std::vector<COptionRecord>& options) {
        Key("options");
        m_out += '[';
        for (size_t i = 0; i < options.size(); ++i) {
            m_out += i ? ",{\"text\":" : "{\"text\":";
            m_out += JsonQuoted(options[i].text) + ",\"value\":" + JsonQuoted(options[i].value) +
                     ",\"selected\":" + std::to_string(options[i].selected) + "}";
        }
        m_out += ']';
        return *this;
    }
    // The object so far, without its closing brace.
    std::string Open() { return m_out; }

private:
    void Key(const char* name) {
        m_out += ",\"";
        m_out += name;
        m_out += "\":";
    }
    std::string m_out;
};

void ControlFields(CJsonItem& json, const CFormControlItem& control) {
    json.Number("element_serial", control.elementSerial)
        .Number("field_type", static_cast<int64_t>(control.fieldType))
        .String("name", control.name)
        .Number("maxlength", control.maxlength)
        .Number("size", control.size)
        .String("value", control.value)
        .Number("checked", control.checked)
        .Number("multiple", control.multiple)
        .Options(control.options)
        .Number("columns", control.columns)
        .Number("rows", control.rows)
        .String("form_text", control.formText);
    if (control.form)
        json.String("form_action", control.form->action);
}

// One item's line, still open; text items say which characters end it.
struct CItemLine {
    std::string open;
    bool hasText = false;
    uint32_t start = 0;
    uint32_t count = 0;
};

CItemLine ItemLine(const CDisplayItem& item) {
    CItemLine line;
    CJsonItem json(item);
    switch (item.type) {
    case DisplayItemType::Text:
    case DisplayItemType::LinkText: {
        const auto& run = static_cast<const CTextItem&>(item);
        json.Number("text_start", run.textStart)
            .Number("character_count", run.characterCount)
            .Number("text_style", run.textStyle)
            .Link(run.link);
        line.hasText = true;
        line.start = run.textStart;
        line.count = run.characterCount;
        break;
    }
    case DisplayItemType::Image:
    case DisplayItemType::LinkImage: {
        const auto& image = static_cast<const CImageItem&>(item);
        json.String("url", image.url).Link(image.link);
        if (image.type == DisplayItemType::LinkImage)
            json.Number("border", image.border).Number("ismap", image.ismap);
        break;
    }
    case DisplayItemType::EmbeddedObject: {
        const auto& object = static_cast<const CObjectItem&>(item);
        json.Number("element_serial", object.elementSerial).String("source", object.source);
        break;
    }
    case DisplayItemType::ListMarker: {
        const auto& marker = static_cast<const CMarkerItem&>(item);
        json.Number("marker_style", marker.markerStyle).Number("number", marker.number);
        break;
    }
    case DisplayItemType::FormControl:
        ControlFields(json, static_cast<const CFormControlItem&>(item));
        break;
    case DisplayItemType::Frame3D: {
        const auto& frame = static_cast<const CFrameItem&>(item);
        json.Number("frame_width", frame.frameWidth).Number("frame_style", frame.frameStyle);
        break;
    }
    default:
        break;
    }
    line.open = json.Open();
    return line;
}

} // namespace

void DumpLayout(CLayoutEngine& engine, std::ostream& out) {
    const CTextStore text = engine.TextStore();
    // Items are read under the engine's lock; their characters are copied
    // after it, so that the text store's lock is never taken inside it.
    std::vector<CItemLine> items;
    engine.ForEachItem([&](const CDisplayItem& item) { items.push_back(ItemLine(item)); });
    std::string lines;
    for (const CItemLine& item : items) {
        lines += item.open;
        if (item.hasText)
            lines += ",\"text\":" + JsonQuoted(text.Copy(item.start, item.count));
        lines += "}\n";
    }
    const CPoint extent = engine.GetExtent();
    lines += "{\"extent\":[" + std::to_string(extent.x) + "," + std::to_string(extent.y) + "]}\n";
    out << lines;
}
