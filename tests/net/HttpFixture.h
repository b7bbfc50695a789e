#pragma once

#include "support/PipelineFixture.h"

#include "content/CHttpWorker.h"

#include <string>

// The content pipeline with the "http:" row, as the program registers it.
class HttpTest : public PipelineTest {
protected:
    HttpTest() { m_protocols.push_back(RegisterHttpProtocol()); }

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
