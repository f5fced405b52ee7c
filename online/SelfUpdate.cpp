#include "online/SelfUpdate.h"

void StartupUpdateCheck(MainFrame&) {}
