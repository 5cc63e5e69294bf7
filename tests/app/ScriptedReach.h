#pragma once

// Scripted ping, trace route and telnet components for the main window's runner tests: each
// raises its events and exceptions on cue and records what the window asked of it.

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>

#include "app/uVelkorTool.h"
#include "common/Clock.h"
#include "common/LogSink.h"
#include "netcomp/adapters/TncIPInfo.h"
#include "netcomp/icmp/TncPing.h"
#include "netcomp/icmp/TncTraceRoute.h"
#include "netcomp/tcp/TncTelnet.h"
#include "tests/app/MainControls.h"
#include "tests/support/ScriptedDialogs.h"

class ScriptedPing : public TncPing {
  public:
    // One attempt: a reply from `source` after `time` ms, or EncPing(code, text) with
    // RemoteHost left as `remote`, or (other) an exception that is not the component's.
    struct Step {
        bool reply = true;
        QString source;
        int time = 0;
        int code = 0;
        QString text;
        QString remote;
        bool other = false;
    };
    static Step Reply(const QString& source, int time) {
        Step s;
        s.source = source;
        s.time = time;
        return s;
    }
    static Step Fail(int code, const QString& text, const QString& remote = {}) {
        Step s;
        s.reply = false;
        s.code = code;
        s.text = text;
        s.remote = remote;
        return s;
    }

    std::deque<Step> script;
    QStringList pinged;
    bool refuseSize = false;

    void setPacketSize(int bytes) override {
        if (refuseSize) throw EncPing(11007, "Packet size refused");
        TncPing::setPacketSize(bytes);
    }
    void setLocalHost(const QString& address) override { m_local = address; }
    QString LocalHost() const override { return m_local; }
    QString RemoteHost() const override { return m_remote; }
    QString ResponseSource() const override { return m_source; }
    int ResponseTime() const override { return m_time; }

    void PingHost(const QString& host) override {
        pinged << host;
        if (script.empty()) throw std::logic_error("unscripted ping");
        const Step s = script.front();
        script.pop_front();
        if (s.other) throw std::runtime_error("Out of memory");
        m_remote = s.remote;
        if (!s.reply) throw EncPing(s.code, s.text);
        m_source = s.source;
        m_time = s.time;
        deliver(OnResponse, "Response", this, int(pinged.size()), s.source, QString("Success"),
                s.time);
    }

  private:
    QString m_local, m_remote, m_source;
    int m_time = 0;
};

class ScriptedTrace : public TncTraceRoute {
  public:
    struct Hop {
        QString address;
        int duration = 0;
    };
    std::vector<Hop> hops;
    // Runs before hop i is reported (a click during the trace, say).
    std::function<void(int)> beforeHop;
    // After this many hops, TraceTo raises EncTraceRoute with this text (-1: never).
    int failAfter = -1;
    QString failText;
    bool refuseLocalHost = false;

    int resets = 0;
    QString tracedTo;
    // What the window looked like while the trace ran.
    bool cursorWasBusy = false;

    void setLocalHost(const QString& address) override {
        if (refuseLocalHost) throw EncTraceRoute(11007, "\"" + address + "\" is not local");
        m_local = address;
    }
    QString LocalHost() const override { return m_local; }
    void Reset() override {
        ++resets;
        m_reset = true;
    }
    void TraceTo(const QString& host) override {
        tracedTo = host;
        m_reset = false;
        cursorWasBusy = QApplication::overrideCursor() &&
                        QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        for (int i = 0; i < int(hops.size()) && !m_reset; ++i) {
            if (i == failAfter) throw EncTraceRoute(11050, failText);
            if (beforeHop) beforeHop(i);
            deliver(OnHop, "Hop", this, i, hops[std::size_t(i)].address,
                    hops[std::size_t(i)].duration);
        }
        if (failAfter >= int(hops.size())) throw EncTraceRoute(11050, failText);
    }

  private:
    QString m_local;
    bool m_reset = false;
};

class ScriptedTelnet : public TncTelnet {
  public:
    enum class Peer { Accepts, Refuses, Silent, ConnectedAtOnce };
    Peer peer = Peer::Accepts;
    bool refusePort = false;
    bool otherFailure = false;
    QStringList calls;

    void setRemoteHost(const QString& host) override {
        calls << "RemoteHost=" + host;
        TncTelnet::setRemoteHost(host);
    }
    void setRemotePort(int port) override {
        calls << "RemotePort=" + QString::number(port);
        if (refusePort) throw EncTelnet(10049, "Port refused");
        TncTelnet::setRemotePort(port);
    }
    bool Connected() const override { return m_connected; }
    void setConnected(bool on) override {
        calls << (on ? "Connected=true" : "Connected=false");
        if (!on) {
            m_connected = false;
            return;
        }
        if (otherFailure) throw std::runtime_error("Socket layer missing");
        const QString where = RemoteHost() + ":" + QString::number(RemotePort());
        switch (peer) {
            case Peer::Accepts:
            case Peer::ConnectedAtOnce:
                if (peer == Peer::ConnectedAtOnce) m_connected = true;
                QTimer::singleShot(0, &m_context, [this, where] {
                    m_connected = true;
                    deliver(OnConnected, "Connected", this, 0, "Connected to " + where);
                });
                break;
            case Peer::Refuses:
                QTimer::singleShot(0, &m_context, [this] {
                    deliver(OnConnected, "Connected", this, 10061, QString("Connection refused"));
                });
                break;
            case Peer::Silent:
                break;
        }
    }
    void Disconnect() override {
        calls << "Disconnect";
        m_connected = false;
        deliver(OnDisconnected, "Disconnected", this, 0, QString("Connection closed"));
    }

  private:
    bool m_connected = false;
    QObject m_context;  // outcomes still queued die with the component
};

// A tick counter that moves on by `step` ms at every reading, starting at `start`.
struct SteppingClock : Clock {
    mutable std::uint32_t tick = 0;
    std::uint32_t step = 100;
    mutable int readings = 0;
    std::uint32_t tickCount() const override {
        ++readings;
        const std::uint32_t now = tick;
        tick += step;
        return now;
    }
};

// Where a runner's lines go in a test.
struct LogLines {
    QStringList lines;
    LogSink sink() {
        return [this](const QString& line) { lines << line; };
    }
};

// A main window on scripted components and adapters, scripted boxes and clock.
struct ReachWindow {
    ScriptedDialogs boxes;
    SteppingClock clock;
    ScriptedPing* ping;
    ScriptedTrace* trace;
    ScriptedTelnet* telnet;
    std::unique_ptr<TfMain> w;
    std::optional<MainControls> c;

    explicit ReachWindow(std::vector<AdapterRecord> adapters = {}) {
        SetClock(&clock);
        TfMainComponents parts;
        parts.IPInfo1 = std::make_unique<TncIPInfo>([adapters] {
            return AdapterQueryResult{adapters, 0, {}};
        });
        parts.ncPing1 = std::make_unique<ScriptedPing>();
        parts.ncTraceRoute1 = std::make_unique<ScriptedTrace>();
        parts.Telnet1 = std::make_unique<ScriptedTelnet>();
        ping = static_cast<ScriptedPing*>(parts.ncPing1.get());
        trace = static_cast<ScriptedTrace*>(parts.ncTraceRoute1.get());
        telnet = static_cast<ScriptedTelnet*>(parts.Telnet1.get());
        w = std::make_unique<TfMain>(std::move(parts));
        c.emplace(*w);
    }
    ~ReachWindow() {
        w.reset();
        SetClock(nullptr);
    }

    QStringList log() const {
        QStringList out;
        for (int i = 0; i < c->LogBox->count(); ++i) out << c->LogBox->item(i)->text();
        return out;
    }
    // The user picks an adapter in the list.
    void pickAdapter(int index) {
        c->cbNICList->setCurrentIndex(index);
        emit c->cbNICList->activated(index);
    }
};
