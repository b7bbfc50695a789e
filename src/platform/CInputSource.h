#pragma once

// What the UI loop needs of a toolkit: whether user input is waiting, a wait
// that also ends when the loop's doorbell rings, and dispatch of one input.
// The FLTK and headless backends implement it.
class CInputSource {
public:
    enum class Dispatched {
        Nothing, // no input was queued
        Idle,    // an input that counts for idle processing
        NotIdle, // an input that does not (a repaint, a mouse move in place)
        Quit,    // the user closed the application
    };

    virtual ~CInputSource() = default;

    virtual bool InputPending() = 0;
    // Returns when input is pending, wakeFd is readable or timeoutMs passed.
    virtual void Wait(int wakeFd, int timeoutMs) = 0;
    virtual Dispatched DispatchOne() = 0;
};
