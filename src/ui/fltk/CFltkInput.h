#pragma once

#include "platform/CInputSource.h"

// Input from FLTK's own event loop. The loop's doorbell is watched by the
// toolkit, so a signal from a worker ends FLTK's wait at once.
class CFltkInput final : public CInputSource {
public:
    explicit CFltkInput(int wakeFd);
    ~CFltkInput() override;

    bool InputPending() override;
    void Wait(int wakeFd, int timeoutMs) override;
    Dispatched DispatchOne() override;

private:
    int m_wakeFd;
};
