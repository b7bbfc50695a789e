#pragma once

#include <string>

class CHeadlessBackend;
class CHeadlessViewWindow;
class CTarnwickApp;
class CTarnwickView;

// What the commands of the script shell act on: the running application and
// the headless backend it shows its window in. Both exist while a script
// runs.
CTarnwickApp& ScriptApp();
CHeadlessBackend& ScriptBackend();

// The frame that commands acting on a page act on ("frame NAME"): its name,
// or empty for the top-level view.
void SetScriptFrame(std::string name);
[[nodiscard]] const std::string& ScriptFrame();
// The view of that frame as the page stands now (frames come and go with
// pages), or the top-level view; null, with why in error, when there is none.
[[nodiscard]] CTarnwickView* ScriptView(std::string& error);
// That view's window.
[[nodiscard]] CHeadlessViewWindow* ScriptWindow(std::string& error);
