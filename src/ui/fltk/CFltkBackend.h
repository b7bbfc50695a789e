#pragma once

#include <memory>
#include <string>

class CUiBackend;

// The backend on an X display. Returns null with a plain explanation in error
// when no display can be opened.
std::unique_ptr<CUiBackend> CreateFltkBackend(std::string& error);
