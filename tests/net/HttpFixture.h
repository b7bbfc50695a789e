#pragma once

#include "support/PipelineFixture.h"

#include "content/CHttpWorker.h"
#include "net/TestCertificates.h"

#include <string>

// The content pipeline with the "http:" and "https:" rows, as the program
// registers them.
class HttpTest : public PipelineTest {
protected:
    HttpTest() {
        m_protocols.push_back(RegisterHttpsProtocol());
        m_protocols.push_back(RegisterHttpProtocol());
    }

    CMimeDynamicLoad* Start(const std::string& url, Method method = Method::Get,
                            std::string headers = "", std::string body = "",
                            uint32_t requiredCaps = 0) {
        auto* load = m_owner.NewLoad<CMimeDynamicLoad>(url, method, std::move(headers),
                                                       std::move(body), false, requiredCaps);
        Scheduler().Start(load);
        return load;
    }
    // Starts a GET and runs the pipeline until it has finished.
    CMimeDynamicLoad* Load(const std::string& url) {
        CMimeDynamicLoad* load = Start(url);
        RunUntilFinished(m_owner, load);
        return load;
    }
    CTestTextObject* ObjectOf(CMimeDynamicLoad* load) {
        return dynamic_cast<CTestTextObject*>(load->GetObject());
    }
    std::string DataOf(CMimeDynamicLoad* load) {
        CTestTextObject* object = ObjectOf(load);
        return object ? object->Data() : std::string("<no object>");
    }
    void SetProxy(const std::string& host, int32_t port) {
        m_settings.Update([&](CAppSettings::Values& values) {
            values.httpProxy = host;
            values.httpProxyPort = port;
        });
    }

    CRecordingOwner m_owner;
};

// For tests that reach a TLS handshake: the process trusts the test authority
// from its first secure connection on.
class HttpsTest : public HttpTest {
protected:
    HttpsTest() { m_haveCertificates = !TestCertificates().empty(); }
    void SetUp() override {
        if (!m_haveCertificates)
            GTEST_SKIP() << "the build made no test certificates (is openssl installed?)";
    }

private:
    bool m_haveCertificates = false;
};
