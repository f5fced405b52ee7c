#pragma once

class MainFrame;

// The start-time update check: hands off to a package downloaded earlier, if there is one.
void StartupUpdateCheck(MainFrame& frame);
