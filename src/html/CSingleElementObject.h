#pragma once

#include "content/CMimeObject.h"
#include "html/CHtmlElement.h"

// A response shown by itself as a page holding just that one thing: an image
// element naming the object's own URL, then a line end. Image and object
// types derive from it and supply the data slots.
class CSingleElementObject : public CMimeObject {
public:
    CSingleElementObject(std::string url, std::string contentType, uint32_t caps);

    ElementPosition IndexOfElement(const CHtmlElement* element) override;
    ElementPosition GetFirstElementPosition() override { return ImagePosition; }
    const CHtmlElement* GetNextElement(ElementPosition& position) override;

private:
    static constexpr ElementPosition ImagePosition = 1;
    static constexpr ElementPosition LineEndPosition = 2;

    CImageElement m_image;
    CBareElement m_lineEnd{ElementKind::LineEnd};
};
