#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <atomic>

#include "common/IPv4Text.h"
#include "netcomp/adapters/NetworkManager.h"

Q_DECLARE_METATYPE(NmSettings)

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kProfile = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

void registerTypes() {
    static const bool once = [] {
        qDBusRegisterMetaType<NmSettings>();
        qDBusRegisterMetaType<QList<QVariantMap>>();
        return true;
    }();
    (void)once;
}

// Plain value of a property: nested containers arrive as QDBusArgument.
template <class T>
T as(const QVariant& v) {
    if (v.userType() == qMetaTypeId<QDBusArgument>()) return qdbus_cast<T>(v);
    return v.value<T>();
}

// Why a device did not come up, in words, from its state reason code.
QString reasonText(uint reason) {
    switch (reason) {
        case 5:
            return QStringLiteral("no IPv4 address could be obtained");
        case 6:
            return QStringLiteral("the IP configuration expired");
        case 15:
            return QStringLiteral("the DHCP client could not start");
        case 16:
            return QStringLiteral("the DHCP client failed");
        case 17:
            return QStringLiteral("no DHCP lease was obtained");
        case 36:
            return QStringLiteral("the device was removed");
        case 38:
            return QStringLiteral("the device was disconnected");
        default:
            return QStringLiteral("state reason %1").arg(reason);
    }
}

// The system bus as libdbus finds it; read at every session because libdbus's own lookup is
// made once per process.
QString systemBusAddress() {
    return qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS",
                                QStringLiteral("unix:path=/var/run/dbus/system_bus_socket"));
}

}  // namespace

bool NmAddressToUint(const QString& dotted, uint& out) {
    const auto value = ParseDottedQuad(dotted.toStdString());
    if (!value) return false;
    out = qToBigEndian(*value);
    return true;
}

QString NmUintToAddress(uint value) {
    return QString::fromStdString(FormatDottedQuad(qFromBigEndian(value)));
}

NmSession::NmSession()
    : m_name(QStringLiteral("vt-nm-%1").arg([] {
          static std::atomic<int> n{0};
          return n++;
      }())),
      m_bus(QDBusConnection::connectToBus(systemBusAddress(), m_name)) {
    registerTypes();
    if (!m_bus.isConnected())
        throw NmError(QStringLiteral("Cannot reach the system bus: ") + m_bus.lastError().message(),
                      m_bus.lastError().name());
    if (!m_bus.interface()->isServiceRegistered(kService))
        throw NmError(QStringLiteral("NetworkManager is not running (no ") + kService +
                      QStringLiteral(" on the system bus)"));
}

NmSession::~NmSession() {
    QDBusConnection::disconnectFromBus(m_name);
}

QDBusMessage NmSession::call(const QString& path, const QString& interface, const QString& method,
                             const QList<QVariant>& args) {
    QDBusMessage msg = QDBusMessage::createMethodCall(kService, path, interface, method);
    msg.setArguments(args);
    QDBusMessage reply = m_bus.call(msg);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        const QString text =
            reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        throw NmError(QStringLiteral("NetworkManager: ") + text, reply.errorName());
    }
    return reply;
}

QVariant NmSession::property(const QDBusObjectPath& path, const QString& interface,
                             const QString& name) {
    const QDBusMessage reply =
        call(path.path(), kProperties, QStringLiteral("Get"), {interface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QList<QDBusObjectPath> NmSession::devices() {
    const QDBusMessage reply = call(kPath, kService, QStringLiteral("GetDevices"));
    return as<QList<QDBusObjectPath>>(reply.arguments().value(0));
}

QDBusObjectPath NmSession::deviceByIface(const QString& iface) {
    const QDBusMessage reply = call(kPath, kService, QStringLiteral("GetDeviceByIpIface"), {iface});
    return reply.arguments().value(0).value<QDBusObjectPath>();
}

QString NmSession::iface(const QDBusObjectPath& device) {
    return property(device, kDevice, QStringLiteral("Interface")).toString();
}

uint NmSession::deviceState(const QDBusObjectPath& device) {
    return property(device, kDevice, QStringLiteral("State")).toUInt();
}

QDBusObjectPath NmSession::profileOf(const QDBusObjectPath& device) {
    const QDBusObjectPath active = activeConnection(device);
    if (active.path() != QLatin1String("/")) {
        try {
            return as<QDBusObjectPath>(property(active, kActive, QStringLiteral("Connection")));
        } catch (const NmError&) {
            // The activation ended meanwhile: fall back to the profiles the device could run.
        }
    }
    const auto available = as<QList<QDBusObjectPath>>(
        property(device, kDevice, QStringLiteral("AvailableConnections")));
    return available.isEmpty() ? QDBusObjectPath(QStringLiteral("/")) : available.first();
}

NmSettings NmSession::settings(const QDBusObjectPath& profile) {
    const QDBusMessage reply = call(profile.path(), kProfile, QStringLiteral("GetSettings"));
    return as<NmSettings>(reply.arguments().value(0));
}

void NmSession::update(const QDBusObjectPath& profile, const NmSettings& settings) {
    call(profile.path(), kProfile, QStringLiteral("Update"), {QVariant::fromValue(settings)});
}

QDBusObjectPath NmSession::addProfile(const NmSettings& settings) {
    const QDBusMessage reply =
        call(kPath + QStringLiteral("/Settings"),
             QStringLiteral("org.freedesktop.NetworkManager.Settings"),
             QStringLiteral("AddConnection"), {QVariant::fromValue(settings)});
    return reply.arguments().value(0).value<QDBusObjectPath>();
}

QString NmSession::readableReason(const QDBusObjectPath& device) {
    try {
        const QDBusArgument arg =
            property(device, kDevice, QStringLiteral("StateReason")).value<QDBusArgument>();
        uint state = 0, reason = 0;
        arg.beginStructure();
        arg >> state >> reason;
        arg.endStructure();
        return reasonText(reason);
    } catch (const NmError& e) {
        return e.message();
    }
}

QVariantMap NmSession::deviceProperties(const QDBusObjectPath& device) {
    const QDBusMessage reply =
        call(device.path(), kProperties, QStringLiteral("GetAll"), {kDevice});
    return as<QVariantMap>(reply.arguments().value(0));
}

bool NmSession::waitUntil(const std::function<bool()>& ready, int timeoutMs) {
    QEventLoop loop;
    bool changed = false, expired = false;
    // Any change NetworkManager announces pokes the wait for another look; the flags keep a poke
    // that lands outside loop.exec() (while ready() runs) from being lost.
    QTimer poke;
    poke.setSingleShot(true);
    poke.setInterval(0);
    QObject::connect(&poke, &QTimer::timeout, &loop, [&] {
        changed = true;
        loop.quit();
    });
    QTimer bound;
    bound.setSingleShot(true);
    bound.setTimerType(Qt::PreciseTimer);
    QObject::connect(&bound, &QTimer::timeout, &loop, [&] {
        expired = true;
        loop.quit();
    });
    // Connected before the first look, so no change falls between the two.
    struct Watch {
        QDBusConnection& bus;
        QTimer& poke;
        bool on(bool connect) const {
            const std::pair<QString, QString> watched[] = {
                {kProperties, QStringLiteral("PropertiesChanged")},
                {kDevice, QStringLiteral("StateChanged")},
                {kActive, QStringLiteral("StateChanged")}};
            bool ok = true;
            for (const auto& [interface, name] : watched)
                ok = (connect
                          ? bus.connect(kService, QString(), interface, name, &poke, SLOT(start()))
                          : bus.disconnect(kService, QString(), interface, name, &poke,
                                           SLOT(start()))) &&
                     ok;
            return ok;
        }
        ~Watch() { on(false); }
    } watch{m_bus, poke};
    if (!watch.on(true))
        throw NmError(QStringLiteral("Cannot follow NetworkManager's signals: ") +
                      m_bus.lastError().message());
    QDeadlineTimer deadline(timeoutMs);
    bound.start(timeoutMs);
    for (;;) {
        changed = false;
        if (ready()) return true;
        if (deadline.hasExpired()) return false;
        if (expired) {  // a timer may end a little early: wait out the rest
            expired = false;
            bound.start(int(std::max<qint64>(1, deadline.remainingTime())));
        }
        // Another hand ending every loop (the program quits): stop waiting.
        if (!changed && loop.exec() != 0) return ready();
    }
}

QDBusObjectPath NmSession::activeConnection(const QDBusObjectPath& device) {
    return as<QDBusObjectPath>(property(device, kDevice, QStringLiteral("ActiveConnection")));
}

QDBusObjectPath NmSession::startActivation(const QDBusObjectPath& profile,
                                           const QDBusObjectPath& device) {
    const QDBusMessage reply = call(kPath, kService, QStringLiteral("ActivateConnection"),
                                    {QVariant::fromValue(profile), QVariant::fromValue(device),
                                     QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))});
    return reply.arguments().value(0).value<QDBusObjectPath>();
}

uint NmSession::activeState(const QDBusObjectPath& active) {
    try {
        return property(active, kActive, QStringLiteral("State")).toUInt();
    } catch (const NmError&) {
        return 4;  // the active connection is gone: the activation was given up
    }
}

bool NmSession::waitActivated(const QDBusObjectPath& active, const QDBusObjectPath& device,
                              int timeoutMs) {
    uint state = 0;
    const bool ended = waitUntil(
        [&] {
            state = activeState(active);
            return state >= 2;
        },
        timeoutMs);
    if (ended && state >= 3)
        throw NmError(QStringLiteral("NetworkManager could not bring up %1: %2")
                          .arg(iface(device), readableReason(device)));
    return ended;
}

void NmSession::activate(const QDBusObjectPath& profile, const QDBusObjectPath& device,
                         int timeoutMs) {
    if (!waitActivated(startActivation(profile, device), device, timeoutMs))
        throw NmError(QStringLiteral("NetworkManager did not bring up %1 within %2 s")
                          .arg(iface(device))
                          .arg(timeoutMs / 1000));
}

void NmSession::disconnect(const QDBusObjectPath& device, int timeoutMs) {
    call(device.path(), kDevice, QStringLiteral("Disconnect"));
    if (!waitUntil([&] { return deviceState(device) <= Disconnected; }, timeoutMs))
        throw NmError(QStringLiteral("NetworkManager did not take %1 down within %2 s")
                          .arg(iface(device))
                          .arg(timeoutMs / 1000));
}

QVariantMap NmSession::dhcp4Options(const QDBusObjectPath& device) {
    const auto config =
        as<QDBusObjectPath>(property(device, kDevice, QStringLiteral("Dhcp4Config")));
    if (config.path().isEmpty() || config.path() == QLatin1String("/")) return {};
    try {
        return as<QVariantMap>(
            property(config, QStringLiteral("org.freedesktop.NetworkManager.DHCP4Config"),
                     QStringLiteral("Options")));
    } catch (const NmError&) {
        return {};  // the lease ended between the two reads
    }
}

QStringList NmSession::nameservers(const QDBusObjectPath& device) {
    const auto config = as<QDBusObjectPath>(property(device, kDevice, QStringLiteral("Ip4Config")));
    if (config.path().isEmpty() || config.path() == QLatin1String("/")) return {};
    QStringList result;
    try {
        const auto values = as<QList<uint>>(
            property(config, QStringLiteral("org.freedesktop.NetworkManager.IP4Config"),
                     QStringLiteral("Nameservers")));
        for (uint v : values) result << NmUintToAddress(v);
    } catch (const NmError&) {
        // The configuration ended between the two reads.
    }
    return result;
}
