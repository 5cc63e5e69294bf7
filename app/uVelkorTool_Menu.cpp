// Menu handlers that open the modal windows: each opening makes a new window owned by the main
// window and destroys it when it closes, also when showing it fails.
#include "adapter/uNIC.h"
#include "address/uCalIP.h"
#include "app/uAbout.h"
#include "app/uVelkorTool.h"

void TfMain::GenCLI1Click() {
    TfNIC fNIC(this);
    fNIC.exec();
}

void TfMain::IP1Click() {
    TfCalIP fCalIP(this);
    fCalIP.exec();
}

void TfMain::N1Click() {
    TfAbout fAbout(this);
    fAbout.exec();
}
