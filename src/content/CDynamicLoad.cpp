#include "content/CDynamicLoad.h"

#include "content/CLoadWorker.h"
#include "content/CScheduler.h"

#include <utility>

CDynamicLoad::CDynamicLoad(CLoadOwner& owner, std::string_view url, Method method,
                           std::string headers, std::string postData)
    : m_owner(owner), m_method(method), m_headers(std::move(headers)),
      m_postData(std::move(postData)) {
    SetUrl(url);
}

CDynamicLoad::~CDynamicLoad() {
    Scheduler().Forget(this);
}

CDynamicLoad::Request CDynamicLoad::GetRequest() {
    CSemLockGuard guard(m_lock);
    return {m_url, m_method, m_headers, m_postData};
}

std::string CDynamicLoad::Url() {
    CSemLockGuard guard(m_lock);
    return m_url;
}

std::string CDynamicLoad::Fragment() {
    CSemLockGuard guard(m_lock);
    return m_fragment;
}

void CDynamicLoad::SetUrl(std::string_view urlWithFragment) {
    size_t hash = urlWithFragment.find('#');
    CSemLockGuard guard(m_lock);
    m_url = urlWithFragment.substr(0, hash);
    m_fragment = hash == std::string_view::npos ? "" : urlWithFragment.substr(hash + 1);
}

Method CDynamicLoad::GetMethod() {
    CSemLockGuard guard(m_lock);
    return m_method;
}

std::string CDynamicLoad::Headers() {
    CSemLockGuard guard(m_lock);
    return m_headers;
}

std::string CDynamicLoad::PostData() {
    CSemLockGuard guard(m_lock);
    return m_postData;
}

std::string CDynamicLoad::Challenge() {
    CSemLockGuard guard(m_lock);
    return m_challenge;
}

void CDynamicLoad::SetChallenge(std::string challenge) {
    CSemLockGuard guard(m_lock);
    m_challenge = std::move(challenge);
}

int CDynamicLoad::Redirects() {
    CSemLockGuard guard(m_lock);
    return m_redirects;
}

void CDynamicLoad::CountRedirect() {
    CSemLockGuard guard(m_lock);
    ++m_redirects;
}

std::string CDynamicLoad::ErrorText() {
    CSemLockGuard guard(m_lock);
    return m_errorText;
}

void CDynamicLoad::SetErrorText(std::string text) {
    CSemLockGuard guard(m_lock);
    m_errorText = std::move(text);
}

void CDynamicLoad::SetError(unsigned stringId, std::initializer_list<CFormatArg> args) {
    SetErrorText(FormatString(stringId, args));
}

void CDynamicLoad::SetStatusText(std::string text) {
    CSemLockGuard guard(m_lock);
    m_statusText = std::move(text);
}

std::string CDynamicLoad::TakeStatusText() {
    CSemLockGuard guard(m_lock);
    return std::exchange(m_statusText, {});
}

Status CDynamicLoad::Result() {
    CSemLockGuard guard(m_lock);
    return m_result;
}

void CDynamicLoad::SetResult(Status result) {
    CSemLockGuard guard(m_lock);
    m_result = result;
}

void CDynamicLoad::AddFlags(uint32_t bits) {
    Scheduler().AddFlags(this, bits);
}
