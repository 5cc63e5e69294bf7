#pragma once

// NetworkManager over the D-Bus system bus: what the Linux backends need to configure an
// adapter and to give up or renew its DHCP lease. Linux only; no widgets.
// Every NmSession is a connection of its own, closed when the session goes away, so the bus
// address is read at each action.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>

#include "common/Exception.h"

// A refusal or failure of NetworkManager or of the bus, with a readable message.
class NmError : public Exception {
  public:
    NmError(QString message, QString dbusName = {})
        : Exception(std::move(message)), m_name(std::move(dbusName)) {}
    // The D-Bus error name ("org.freedesktop.NetworkManager.PermissionDenied"), empty for ours.
    const QString& name() const { return m_name; }

  private:
    QString m_name;
};

// A connection profile: setting name -> property -> value.
using NmSettings = QMap<QString, QVariantMap>;

class NmSession {
  public:
    // Device states and active-connection states as NetworkManager reports them.
    enum DeviceState : uint {
        Unmanaged = 10,
        Unavailable = 20,
        Disconnected = 30,
        Activated = 100,
        Deactivating = 110,
        Failed = 120
    };

    // Connects to the system bus and checks that NetworkManager is there; throws NmError.
    NmSession();
    ~NmSession();
    NmSession(const NmSession&) = delete;
    NmSession& operator=(const NmSession&) = delete;

    QList<QDBusObjectPath> devices();
    // Throws NmError when NetworkManager knows no device of that interface name.
    QDBusObjectPath deviceByIface(const QString& iface);
    QString iface(const QDBusObjectPath& device);
    uint deviceState(const QDBusObjectPath& device);
    // The profile the device runs, else the first one it could run; "/" when there is none.
    QDBusObjectPath profileOf(const QDBusObjectPath& device);

    NmSettings settings(const QDBusObjectPath& profile);
    void update(const QDBusObjectPath& profile, const NmSettings& settings);
    QDBusObjectPath addProfile(const NmSettings& settings);

    // Every property of the device in one call (Interface, State, Managed, ActiveConnection, ...).
    QVariantMap deviceProperties(const QDBusObjectPath& device);

    // The activation the device runs now; "/" when none.
    QDBusObjectPath activeConnection(const QDBusObjectPath& device);
    // Asks NetworkManager to activate the profile on the device; the active connection.
    QDBusObjectPath startActivation(const QDBusObjectPath& profile, const QDBusObjectPath& device);
    // State of an active connection (1 activating, 2 activated, 3 deactivating, 4 deactivated);
    // 4 once it is gone.
    uint activeState(const QDBusObjectPath& active);
    // Why the device did not come up, in words.
    QString readableReason(const QDBusObjectPath& device);
    // Waits for an activation to end: true when activated; NmError when it failed.
    // False when it is still going after timeoutMs.
    bool waitActivated(const QDBusObjectPath& active, const QDBusObjectPath& device, int timeoutMs);

    // Activates the profile on the device and waits until it is up; throws NmError when
    // NetworkManager refuses, the activation fails or it takes longer than timeoutMs.
    void activate(const QDBusObjectPath& profile, const QDBusObjectPath& device,
                  int timeoutMs = 60000);
    // Takes the device down (its addresses go, the lease is given up) and waits until it is.
    void disconnect(const QDBusObjectPath& device, int timeoutMs = 30000);

    // Runs the thread's event loop until ready() answers true or timeoutMs has passed, checking
    // again whenever NetworkManager signals a change; windows keep painting meanwhile. Returns
    // ready()'s last answer. ready() may throw; the wait then ends with it.
    bool waitUntil(const std::function<bool()>& ready, int timeoutMs);

    // The DHCPv4 options of the device's current lease; empty when it has none.
    QVariantMap dhcp4Options(const QDBusObjectPath& device);
    // The IPv4 DNS servers NetworkManager uses on the device now, in order.
    QStringList nameservers(const QDBusObjectPath& device);

    QVariant property(const QDBusObjectPath& path, const QString& interface, const QString& name);

  private:
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QList<QVariant>& args = {});

    QString m_name;
    QDBusConnection m_bus;
};

// Network-byte-order form NetworkManager uses for IPv4 addresses in "au" lists; false when the
// text is not a dotted quad.
bool NmAddressToUint(const QString& dotted, uint& out);
QString NmUintToAddress(uint value);
