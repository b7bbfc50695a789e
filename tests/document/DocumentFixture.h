#pragma once

#include "support/PipelineFixture.h"

#include "document/CDocumentView.h"
#include "document/CHistory.h"
#include "document/CTarnwickDoc.h"
#include "platform/CMessageTarget.h"

#include <string>
#include <vector>

// A view that records what the document told it.
class CTestView final : public CDocumentView, public CMessageTarget {
public:
    TargetHandle Handle() const override { return CMessageTarget::Handle(); }
    void ResetView() override { ++resets; }
    void OnInlineLoadNotify(uint32_t flags, CDynamicLoad* load) override {
        inlineNotices.push_back({flags, load});
    }
    void OnMessage(uint32_t message, uintptr_t, intptr_t) override {
        if (message == NewDocumentMessage)
            ++newDocuments;
    }

    int resets = 0;
    int newDocuments = 0;
    std::vector<CRecordingOwner::Notice> inlineNotices;
};

// A main window that records its title, location and animation.
class CTestFrame final : public CDocumentFrame {
public:
    void SetTitle(std::string_view text) override { title = text; }
    void SetLocation(std::string_view url) override { location = url; }
    void StartAnimation() override { animating = true; }
    void StopAnimation() override { animating = false; }

    std::string title;
    std::string location;
    bool animating = false;
};

// The top-level document of a pipeline, with the process's history.
class DocumentTest : public PipelineTest {
protected:
    DocumentTest() { m_document.SetView(&m_view); }

    // Navigates and runs until nothing is loading and, when a page is
    // expected, until it is in place.
    void NavigateAndSettle(const NavigateRequest& request, bool expectPage = true) {
        m_document.Navigate(request);
        Settle(expectPage);
    }
    void Settle(bool expectPage = true) {
        RunUntil([&] {
            return m_document.Idle() && (!expectPage || m_view.newDocuments > m_seenDocuments);
        });
        m_seenDocuments = m_view.newDocuments;
    }

    CTestFrame m_frame;
    CTestView m_view;
    CHistory m_history;
    CTarnwickDoc m_document{&m_frame, &m_history};
    int m_seenDocuments = 0;
};
