#pragma once

class CHeadlessBackend;
class CTarnwickApp;

// What the commands of the script shell act on: the running application and
// the headless backend it shows its window in. Both exist while a script
// runs.
CTarnwickApp& ScriptApp();
CHeadlessBackend& ScriptBackend();
