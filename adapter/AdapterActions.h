#pragma once

// The adapter tool's actions without its window: DHCP release and renew through the
// adapter-information component, Enable DHCP Client and Fix IP. through the management
// interface, each step judged and worded as one line of the tool's log.

#include <QString>
#include <functional>
#include <optional>

#include "common/LogSink.h"

class ManagementInterface;
class TncIPInfo;

class AdapterActions {
  public:
    // What the window does around an action: busy(true) disables its action controls and
    // shows the hourglass, busy(false) undoes it; showAdapterInfo shows the selected row again,
    // loadNICList reads the list again. All run while the action's own lines are written.
    struct Window {
        std::function<void(bool busy)> busy;
        std::function<void()> showAdapterInfo;
        std::function<void()> loadNICList;
    };

    AdapterActions(TncIPInfo& ipInfo, ManagementInterface& management, LogSink log, Window window);

    // Release (true) or renew the lease of the adapter the component's index selects; on
    // success the details are shown again.
    void DHCPLease(bool release);
    // Both steps of going back to DHCP on the first configuration whose description holds name.
    void SetDHCPClient(const QString& name);

    // Fix IP.'s checks before anything is changed, in their order: the text of the information
    // box to show, and whether the gateway field takes the focus; nothing when the values pass.
    struct InputProblem {
        QString message;
        bool atGateway = false;
    };
    static std::optional<InputProblem> CheckStatic(const QString& name, const QString& address,
                                                   const QString& mask, const QString& gateway,
                                                   const QString& dns1);
    static bool CheckIPInputs(const QString& address, const QString& mask, const QString& gateway,
                              const QString& dns1);
    // The whole configuration goes to the interface at once; its step outcomes are logged in
    // order, up to the first that was not made; the list is read again afterwards.
    void SetStaticIP(const QString& name, const QString& address, const QString& mask,
                     const QString& gateway, const QString& dns1, const QString& dns2);

  private:
    TncIPInfo& m_ipInfo;
    ManagementInterface& m_management;
    LogSink m_log;
    Window m_window;
};
