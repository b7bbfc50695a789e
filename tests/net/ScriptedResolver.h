#pragma once

#include "platform/CHostResolver.h"
#include "platform/CManualResetEvent.h"
#include "platform/WsaErrors.h"

#include <arpa/inet.h>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

// A name service scripted by the test, so that no lookup ever leaves the
// machine: names map to answers, and a lookup can be held until released.
class CScriptedResolver final : public CHostResolver {
public:
    HostAnswer ByName(const std::string& name) override {
        ++byName;
        return Answer(name);
    }
    HostAnswer ByAddress(in_addr address) override {
        ++byAddress;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &address, text, sizeof text);
        return Answer(text);
    }

    void Map(const std::string& name, const char* address) {
        std::lock_guard guard(m_mutex);
        in_addr parsed{};
        inet_pton(AF_INET, address, &parsed);
        m_answers[name] = {0, {parsed}};
    }
    void Fail(const std::string& name, int error) {
        std::lock_guard guard(m_mutex);
        m_answers[name] = {error, {}};
    }

    std::atomic<int> byName{0};
    std::atomic<int> byAddress{0};
    // While hold is set, a lookup waits (bounded) for release.
    std::atomic<bool> hold{false};
    CManualResetEvent entered;
    CManualResetEvent release;
    CManualResetEvent returned;

private:
    HostAnswer Answer(const std::string& key) {
        if (hold) {
            entered.Set();
            (void)release.WaitFor(std::chrono::seconds(30));
        }
        HostAnswer answer{Wsa::HostNotFound, {}};
        {
            std::lock_guard guard(m_mutex);
            if (auto found = m_answers.find(key); found != m_answers.end())
                answer = found->second;
        }
        returned.Set();
        return answer;
    }

    std::mutex m_mutex;
    std::map<std::string, HostAnswer> m_answers;
};

// Puts a scripted resolver in place for one test.
class ScopedResolver {
public:
    ScopedResolver() : resolver(std::make_shared<CScriptedResolver>()) {
        SetHostResolver(resolver);
    }
    ~ScopedResolver() {
        SetHostResolver(nullptr);
        // A held lookup must not outlive the test that held it.
        resolver->release.Set();
    }
    ScopedResolver(const ScopedResolver&) = delete;
    ScopedResolver& operator=(const ScopedResolver&) = delete;
    CScriptedResolver* operator->() { return resolver.get(); }

    std::shared_ptr<CScriptedResolver> resolver;
};
