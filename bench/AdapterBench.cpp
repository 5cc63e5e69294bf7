// Adapter tool benchmark against a NetworkManager confined to a namespace (tests/support/NmLab),
// through the window as a technician uses it (run as root; rerunnable):
//   - bus round trips (method calls on the lab's bus) to fill the adapter list of 10 adapters
//     and show the first;
//   - "Fix IP." and "Enable DHCP Client" end to end, with the activations each makes, with a
//     DHCP server (dnsmasq) and then without one.
// Every address used lives in the namespaces the lab creates and removes.
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "adapter/ManagementInterface.h"
#include "adapter/uNIC.h"
#include "netcomp/adapters/NmAdapterService.h"
#include "tests/adapter/NicControls.h"
#include "tests/support/NetNs.h"
#include "tests/support/NmLab.h"

namespace {

constexpr int kAdapters = 10;
constexpr int kRounds = 5;

std::unique_ptr<TfNIC> Window() {
    return std::make_unique<TfNIC>(
        nullptr, std::make_unique<TncIPInfo>(QueryAdapters, std::make_shared<NmAdapterService>()),
        CreateManagementInterface());
}

void Pick(TfNIC& w, const QString& name) {
    const NicControls ui(w);
    for (int i = 0; i < ui.lbNIC->count(); ++i)
        if (ui.lbNIC->item(i)->text() == name) ui.click(i);
}

// Milliseconds one click takes, with the activations it asked for.
struct Click {
    double ms;
    int activations;
};

Click Time(NmLab& lab, QPushButton* button) {
    lab.startBusMonitor();
    QElapsedTimer t;
    t.start();
    button->click();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return {ms, lab.busCalls("ActivateConnection")};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Report(const char* what, const std::vector<Click>& clicks) {
    std::vector<double> ms;
    int activations = 0;
    for (const Click& c : clicks)
        ms.push_back(c.ms), activations = std::max(activations, c.activations);
    std::printf("%-44s median %8.1f ms  (min %.1f, max %.1f, %zu runs), activations %d\n", what,
                Median(ms), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()), ms.size(), activations);
}

void FixFields(TfNIC& w) {
    const NicControls ui(w);
    ui.edIPAddress->setEditText("10.77.0.21");
    ui.edSubnetMask->setEditText("255.255.255.0");
    ui.edGateway->setEditText("10.77.0.1");
    ui.edDNS1->setEditText("10.77.0.1");
    ui.edDNS2->setEditText("10.77.0.3");
}

}  // namespace

int main(int argc, char** argv) {
    if (::geteuid() != 0) {
        std::fprintf(stderr, "adapter benchmark: needs root (network namespaces)\n");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    NmLab lab(true, kAdapters - 1);
    NsEnter inside(lab.ns());

    std::vector<double> fills;
    int calls = 0, count = 0;
    for (int r = 0; r < kRounds; ++r) {
        lab.startBusMonitor();
        QElapsedTimer t;
        t.start();
        auto w = Window();
        fills.push_back(double(t.nsecsElapsed()) / 1e6);
        calls = lab.busCalls();
        count = NicControls(*w).lbNIC->count();
    }
    std::printf("%-44s %d bus round trips, median %.1f ms\n",
                ("fill the list of " + std::to_string(count) + " adapters").c_str(), calls,
                Median(fills));

    auto w = Window();
    const NicControls ui(*w);
    Pick(*w, NmLab::kIface);
    std::vector<Click> fix, dhcp;
    for (int r = 0; r < kRounds; ++r) {
        FixFields(*w);
        fix.push_back(Time(lab, ui.btnFixedIP));
        dhcp.push_back(Time(lab, ui.btnDHCP));
    }
    Report("Fix IP., DHCP server present", fix);
    Report("Enable DHCP Client, DHCP server present", dhcp);

    lab.stopDhcpServer();
    FixFields(*w);
    Report("Fix IP., no DHCP server", {Time(lab, ui.btnFixedIP)});
    Report("Enable DHCP Client, no DHCP server", {Time(lab, ui.btnDHCP)});
    std::printf("last log lines:\n");
    for (int i = std::max(0, ui.LogBox->count() - 3); i < ui.LogBox->count(); ++i)
        std::printf("  %s\n", ui.LogBox->item(i)->text().toUtf8().constData());
    return 0;
}
