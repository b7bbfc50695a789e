#include "content/CMimeObject.h"

#include "content/CMimeDynamicLoad.h"
#include "content/CScheduler.h"

CMimeObject::CMimeObject(std::string url, std::string contentType, uint32_t caps)
    : m_url(std::move(url)), m_contentType(std::move(contentType)), m_caps(caps) {}

CMimeObject::~CMimeObject() = default;

Status CMimeObject::GetStatus() {
    CSemLockGuard guard(m_lock);
    return m_status;
}

void CMimeObject::SetStatus(Status status) {
    CSemLockGuard guard(m_lock);
    m_status = status;
}

std::string CMimeObject::FailureText() {
    CSemLockGuard guard(m_lock);
    return m_failureText;
}

void CMimeObject::SetFailureText(std::string text) {
    CSemLockGuard guard(m_lock);
    m_failureText = std::move(text);
}

bool CMimeObject::IsCacheable() {
    CSemLockGuard guard(m_lock);
    return m_cacheable;
}

void CMimeObject::DisableCaching() {
    CSemLockGuard guard(m_lock);
    m_cacheable = false;
}

void CMimeObject::NotifyClients(uint32_t bits) {
    Scheduler().NotifyClients(*this, bits);
}
