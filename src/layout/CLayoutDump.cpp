#include "layout/CLayoutDump.h"

#include "html/CJsonLine.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutEngine.h"
#include "layout/CLayoutRecords.h"

#include <array>
#include <string>
#include <string_view>

namespace {

CJsonLine ItemJson(const CDisplayItem& item) {
    const CRect r = item.GetRect();
    CJsonLine json("type", static_cast<int64_t>(item.type));
    json.Numbers("rect", std::array{r.left, r.top, r.right, r.bottom});
    return json;
}

void LinkFields(CJsonLine& json, const CLinkRecord* link) {
    if (link)
        json.String("href", link->Address()).String("target", link->target);
}

void ControlFields(CJsonLine& json, const CFormControlItem& control) {
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
        .String("form_text", control.FormText());
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
    CJsonLine json = ItemJson(item);
    switch (item.type) {
    case DisplayItemType::Text:
    case DisplayItemType::LinkText: {
        const auto& run = static_cast<const CTextItem&>(item);
        json.Number("text_start", run.textStart)
            .Number("character_count", run.characterCount)
            .Number("text_style", run.textStyle);
        LinkFields(json, run.Link());
        line.hasText = true;
        line.start = run.textStart;
        line.count = run.characterCount;
        break;
    }
    case DisplayItemType::Image:
    case DisplayItemType::LinkImage: {
        const auto& image = static_cast<const CImageItem&>(item);
        json.String("url", image.url);
        LinkFields(json, image.link);
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
