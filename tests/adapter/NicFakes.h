#pragma once

// Scripted stand-ins for the adapter tool's window tests: an adapter-information component fed
// from a list the test controls, a management interface that journals every call and answers
// with the codes and failures the test scripts, and dialogs that record what they showed.

#include <QApplication>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Dialogs.h"
#include "ManagementInterface.h"
#include "TncIPInfo.h"

// The real component over a scripted adapter list; release/renew run the test's hooks.
class ScriptedIPInfo : public TncIPInfo {
  public:
    explicit ScriptedIPInfo(std::shared_ptr<std::vector<AdapterRecord>> adapters)
        : TncIPInfo([adapters] {
              return AdapterQueryResult{*adapters, 0, {}};
          }) {}

    void setAdapterIndex(int index) override {
        indexes.push_back(index);
        TncIPInfo::setAdapterIndex(index);
    }
    void DHCPRelease() override { run(onRelease, "release"); }
    void DHCPRenew() override { run(onRenew, "renew"); }

    std::vector<int> indexes;         // every AdapterIndex written, in order
    std::vector<int> actedOn;         // AdapterIndex at each release / renew
    std::function<void()> onRelease;  // may throw or change the adapters
    std::function<void()> onRenew;

  private:
    void run(const std::function<void()>& hook, const char*) {
        actedOn.push_back(AdapterIndex());
        if (hook) hook();
    }
};

// Journal of the management interface calls, shared by the fake and its configurations.
struct ManagementScript {
    struct Config {
        std::string description;
        std::map<std::string, std::uint32_t> codes;  // call name -> code (0 when absent)
    };
    std::vector<Config> configs;
    std::string connectError;  // non-empty: Connect throws ManagementError with it
    QStringList journal;
    // What the window looked like during the last configuring call.
    bool controlsEnabledDuringCall = true;
    bool hourglassDuringCall = false;
    std::function<bool()> controlsEnabled;  // set by the test to read the window
};

class ScriptedConfiguration : public AdapterConfiguration {
  public:
    ScriptedConfiguration(std::shared_ptr<ManagementScript> s, size_t i) : m_s(s), m_i(i) {}
    std::string Description() override {
        m_s->journal << QStringLiteral("Description %1").arg(m_i);
        return m_s->configs[m_i].description;
    }
    std::uint32_t EnableStatic(const std::vector<std::string>& a,
                               const std::vector<std::string>& m) override {
        return call("EnableStatic", join(a) + " " + join(m));
    }
    std::uint32_t SetGateways(const std::vector<std::string>& g,
                              const std::vector<std::uint16_t>& metrics) override {
        std::string ms;
        for (auto v : metrics) ms.append(ms.empty() ? "" : ",").append(std::to_string(v));
        return call("SetGateways", join(g) + " " + ms);
    }
    std::uint32_t SetDNSServerSearchOrder(
        const std::optional<std::vector<std::string>>& servers) override {
        return call("SetDNSServerSearchOrder", servers ? join(*servers) : std::string("null"));
    }
    std::uint32_t EnableDHCP() override { return call("EnableDHCP", ""); }

  private:
    static std::string join(const std::vector<std::string>& v) {
        std::string r;
        for (const auto& s : v) r += (r.empty() ? "" : ",") + s;
        return "[" + r + "]";
    }
    std::uint32_t call(const std::string& name, const std::string& args) {
        m_s->journal << QString::fromStdString(name + " " + std::to_string(m_i) +
                                               (args.empty() ? "" : " " + args));
        if (m_s->controlsEnabled) m_s->controlsEnabledDuringCall = m_s->controlsEnabled();
        m_s->hourglassDuringCall = QApplication::overrideCursor() &&
                                   QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        auto it = m_s->configs[m_i].codes.find(name);
        return it == m_s->configs[m_i].codes.end() ? 0 : it->second;
    }
    std::shared_ptr<ManagementScript> m_s;
    size_t m_i;
};

class ScriptedManagement : public ManagementInterface {
  public:
    explicit ScriptedManagement(std::shared_ptr<ManagementScript> s) : m_s(std::move(s)) {}
    void Initialize() override { m_s->journal << QStringLiteral("Initialize"); }
    void Uninitialize() override { m_s->journal << QStringLiteral("Uninitialize"); }
    std::unique_ptr<ManagementConnection> Connect() override {
        m_s->journal << QStringLiteral("Connect");
        if (!m_s->connectError.empty()) throw ManagementError(m_s->connectError);
        return std::make_unique<Connection>(m_s);
    }

  private:
    struct Enumerator : ConfigurationEnumerator {
        explicit Enumerator(std::shared_ptr<ManagementScript> s) : s(std::move(s)) {}
        std::unique_ptr<AdapterConfiguration> Next() override {
            if (next >= s->configs.size()) return nullptr;
            return std::make_unique<ScriptedConfiguration>(s, next++);
        }
        std::shared_ptr<ManagementScript> s;
        size_t next = 0;
    };
    struct Connection : ManagementConnection {
        explicit Connection(std::shared_ptr<ManagementScript> s) : s(std::move(s)) {}
        std::unique_ptr<ConfigurationEnumerator> QueryIPEnabled() override {
            s->journal << QStringLiteral("QueryIPEnabled");
            return std::make_unique<Enumerator>(s);
        }
        std::shared_ptr<ManagementScript> s;
    };
    std::shared_ptr<ManagementScript> m_s;
};

class RecordingDialogs : public Dialogs {
  public:
    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }
    void information(QWidget*, const QString&, const QString& text) override { shown << text; }
    Answer confirm(QWidget*, const QString&, const QString& text) override {
        shown << text;
        return Answer::No;
    }
    void error(QWidget*, const QString&, const QString& text) override { errors << text; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
        return {};
    }
    QStringList shown;
    QStringList errors;
};
