#include "app/ChatApp.h"

wxIMPLEMENT_APP(ChatApp);
