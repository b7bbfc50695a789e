#include "content/CTypeOnlyWorker.h"

#include "content/CDynamicLoad.h"

CTypeOnlyWorker::CTypeOnlyWorker(CDynamicLoad& load, std::string url, std::string contentType)
    : CLoadWorker(load, std::move(url)), m_contentType(std::move(contentType)) {}

void CTypeOnlyWorker::Start() {
    Status status = DeliverHeaders({{"content-type", m_contentType}});
    SetResult(status);
    AddFlags(Notify::WorkerEnded);
}
