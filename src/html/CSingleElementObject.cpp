#include "html/CSingleElementObject.h"

CSingleElementObject::CSingleElementObject(std::string url, std::string contentType, uint32_t caps)
    : CMimeObject(std::move(url), std::move(contentType), caps) {
    m_image.align = Align::Baseline;
    m_image.horizontalSpace = 0;
    m_image.verticalSpace = 0;
    m_image.border = 0;
    m_image.height = 0;
    m_image.width = 0;
    m_image.source = Url();
    m_image.ismap = 0;
    m_image.inlineFlag = 1;
}

ElementPosition CSingleElementObject::IndexOfElement(const CHtmlElement* element) {
    if (element == &m_image)
        return ImagePosition;
    if (element == &m_lineEnd)
        return LineEndPosition;
    return 0;
}

const CHtmlElement* CSingleElementObject::GetNextElement(ElementPosition& position) {
    if (position == ImagePosition) {
        position = LineEndPosition;
        return &m_image;
    }
    if (position == LineEndPosition) {
        position = 0;
        return &m_lineEnd;
    }
    position = 0;
    return nullptr;
}
