// The program's entry point: wxWidgets starts CSkerrowApp.
#include "app/CSkerrowApp.h"

wxIMPLEMENT_APP(CSkerrowApp);
