#include "shell/ShellOutput.h"

#include "app/CTarnwickApp.h"
#include "document/CTarnwickDoc.h"
#include "html/CElementDump.h"
#include "layout/CLayoutDump.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CPngWriter.h"
#include "ui/headless/CHeadlessBackend.h"
#include "view/CTarnwickView.h"

#include <memory>

bool WriteScreenshot(CTarnwickApp& app, CHeadlessBackend& backend, const std::string& path,
                     bool full, std::string& error) {
    std::unique_ptr<CDibSection> whole;
    const CDibSection* picture = nullptr;
    if (full && app.TopView()) {
        whole = app.TopView()->PaintDocument();
        picture = whole.get();
    } else if (CHeadlessViewWindow* window = backend.View()) {
        window->InvalidateAll();
        window->Paint();
        picture = window->Screen();
    }
    if (!picture || !CPngWriter::WriteFile(*picture, path)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool WriteLayoutDump(CTarnwickApp& app, std::ostream& out, std::string& error) {
    CTarnwickView* view = app.TopView();
    if (!view || !view->CurrentLayout()) {
        error = "the page has no layout to dump";
        return false;
    }
    DumpLayout(*view->CurrentLayout(), out);
    out.flush();
    return true;
}

bool WriteElementDump(CTarnwickApp& app, std::ostream& out, std::string& error) {
    CTarnwickDoc* document = app.TopDocument();
    if (!document || !document->ContentObject()) {
        error = "no page is shown";
        return false;
    }
    out << CElementDump(*document->ContentObject()).ToString();
    out.flush();
    return true;
}
