#include "app/CLumvexQ310DConfiguratorApp.h"

wxIMPLEMENT_APP(CLumvexQ310DConfiguratorApp);
