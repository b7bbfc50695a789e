#include "ui/headless/CHeadlessBackend.h"

#include <cstdio>

class CHeadlessMainFrame final : public CMainFrameWindow {
public:
    explicit CHeadlessMainFrame(CHeadlessBackend& backend)
        : m_backend(backend), m_view(backend.m_viewSize) {
        m_backend.m_view = &m_view;
        m_view.SetStatusSink([this](std::string_view text) { SetStatusText(text); });
    }
    ~CHeadlessMainFrame() override {
        m_backend.m_view = nullptr;
        m_backend.m_addressHandler = nullptr;
    }

    void SetTitle(std::string_view title) override { m_backend.m_title = title; }
    void SetStatusText(std::string_view text) override { m_backend.m_statusText = text; }
    void SetLocation(std::string_view url) override { m_backend.m_location = url; }
    void Show() override {}
    CViewWindow& ViewWindow() override { return m_view; }
    void SetAddressHandler(AddressHandler handler) override {
        m_backend.m_addressHandler = std::move(handler);
    }

private:
    CHeadlessBackend& m_backend;
    CHeadlessViewWindow m_view;
};

std::unique_ptr<CMainFrameWindow> CHeadlessBackend::CreateMainFrame() {
    return std::make_unique<CHeadlessMainFrame>(*this);
}

void CHeadlessBackend::EnterAddress(const std::string& typed) {
    m_location = typed;
    if (m_addressHandler)
        m_addressHandler(typed);
}

static MessageBoxResult FirstButton(MessageBoxButtons buttons) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
    case MessageBoxButtons::OkCancel:
        return MessageBoxResult::Ok;
    case MessageBoxButtons::YesNo:
    case MessageBoxButtons::YesNoCancel:
        return MessageBoxResult::Yes;
    }
    return MessageBoxResult::Ok;
}

MessageBoxResult CHeadlessBackend::MessageBox(std::string_view text, MessageBoxButtons buttons,
                                              MessageBoxIcon) {
    std::fprintf(stderr, "vestrial: %.*s\n", static_cast<int>(text.size()), text.data());
    m_shown.push_back({std::string(text), buttons});
    if (m_answers.empty())
        return FirstButton(buttons);
    MessageBoxResult answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

bool CHeadlessBackend::AskSaveOrDiscard(std::string_view url, std::string_view contentType) {
    bool save = false;
    if (!m_saveAnswers.empty()) {
        save = m_saveAnswers.front();
        m_saveAnswers.pop_front();
    }
    std::fprintf(stderr, "vestrial: no viewer for %.*s (%.*s): %s\n", static_cast<int>(url.size()),
                 url.data(), static_cast<int>(contentType.size()), contentType.data(),
                 save ? "saving" : "discarded");
    return save;
}

std::optional<std::string> CHeadlessBackend::AskSaveFileName(std::string_view proposedName) {
    m_proposed.emplace_back(proposedName);
    if (m_fileNames.empty())
        return std::nullopt;
    std::optional<std::string> answer = m_fileNames.front();
    m_fileNames.pop_front();
    return answer;
}

void CHeadlessBackend::Notice(std::string_view text) {
    std::fprintf(stderr, "vestrial: %.*s\n", static_cast<int>(text.size()), text.data());
    m_notices.emplace_back(text);
}
