#pragma once

// Seams for the syslog window tests: a scripted syslog component, a fixed clock, scripted boxes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <ostream>

#include "common/Clock.h"
#include "netcomp/syslog/TncSysLog.h"
#include "syslog/uSyslog.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/Dialogs.h"

// Readable failure output for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Records every call in order and fails on cue; raises OnPacketIn from raw datagrams.
class FakeSysLog : public TncSysLog {
  public:
    QStringList calls;
    bool active = false;
    std::function<void(const QString& call)> failOn;  // throw EncSysLog from here to fail a call

    bool Active() const override {
        const_cast<FakeSysLog*>(this)->calls << QStringLiteral("Active?");
        return active;
    }
    void SetActive(bool a) override {
        record(QStringLiteral("Active=%1").arg(a));
        if (a && !active) dropped = 0;  // as the real one: each opening counts afresh
        active = a;
    }
    long long dropped = 0;  // what the system dropped in the present (or last) opening
    long long DroppedCount() const override { return dropped; }
    void SetRemoteHost(const QString& h) override {
        record(QStringLiteral("RemoteHost=") + h);
        TncSysLog::SetRemoteHost(h);
    }
    void SetRemotePort(int p) override {
        record(QStringLiteral("RemotePort=%1").arg(p));
        TncSysLog::SetRemotePort(p);
    }
    void SendPacket(int f, int s, const QString& m) override {
        record(QStringLiteral("Send %1 %2 ").arg(f).arg(s) + m);
    }
    void inject(const QByteArray& datagram, const QString& from = QStringLiteral("192.0.2.7")) {
        ReportDatagram(datagram, from, 50514);
    }

  private:
    void record(const QString& call) {
        if (failOn) failOn(call);
        calls << call;
    }
};

class FixedClock : public Clock {
  public:
    QDateTime time{QDate(2026, 12, 9), QTime(14, 5, 7)};
    std::uint32_t ticks = 100000;
    FixedClock() { SetClock(this); }
    ~FixedClock() override { SetClock(nullptr); }
    QDateTime now() const override { return time; }
    qint64 epochMs() const override { return time.toMSecsSinceEpoch(); }
    std::uint32_t tickCount() const override { return ticks; }
};

// Makes a directory the process's current one for the guard's lifetime.
class InDirectory {
  public:
    explicit InDirectory(const QString& dir) : m_old(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~InDirectory() { QDir::setCurrent(m_old); }

  private:
    QString m_old;
};

// The syslog window with a scripted component, clock and boxes, in a scratch current directory.
class ScriptedSyslogWindow : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    InDirectory in{dir.path()};
    FixedClock clock;
    ScriptedDialogs boxes;
    FakeSysLog component;
    TfSyslog w{nullptr, &component};
};

// Lines of a saved log file (CR LF after each), or an empty list when it does not exist.
inline QStringList FileLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString all = QString::fromLocal8Bit(f.readAll());
    if (all.isEmpty()) return {};
    EXPECT_TRUE(all.endsWith(QStringLiteral("\r\n"))) << path.toStdString();
    all.chop(2);
    return all.split(QStringLiteral("\r\n"));
}
