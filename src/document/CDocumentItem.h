#pragma once

// Something of the page that the document holds until it leaves the page:
// the sites of the page's embedded controls. The view makes them; the
// document ends them.
class CDocumentItem {
public:
    virtual ~CDocumentItem() = default;
    // The page is left: stop what runs and close, before the item is
    // deleted.
    virtual void OnClearPage() = 0;
};
