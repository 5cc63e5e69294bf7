// Menu handlers that open the modal windows: each opening makes a new window owned by the main
// window and destroys it when it closes, also when showing it fails. Their menu items stay
// disabled until the window exists.
#include "uAbout.h"
#include "uCalIP.h"
#include "uVelkorTool.h"

void TfMain::GenCLI1Click() {}

void TfMain::IP1Click() {
    TfCalIP fCalIP(this);
    fCalIP.exec();
}

void TfMain::N1Click() {
    TfAbout fAbout(this);
    fAbout.exec();
}
