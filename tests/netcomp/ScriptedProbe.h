#pragma once

// A scripted stand-in for the ICMP prober, so the ping and trace route components can be tested
// without sockets or root. A ScriptedNetwork decides how each echo request is answered and
// keeps a steady clock of its own: waiting on a prober advances that clock instead of sleeping,
// and a silent request times out once the clock has passed its time-out.

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "netcomp/icmp/IcmpProbe.h"

class ScriptedNetwork {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Answer {
        icmp::Outcome outcome = icmp::Outcome::Reply;
        icmp::Address from;
        double rttMs = 0;
        int icmpCode = 0;
    };
    // How a request is answered; nothing: it stays silent until its time-out.
    std::function<std::optional<Answer>(const icmp::EchoRequest&)> answer;
    // Answers of the requests in flight come back newest first, at most this many per wait.
    bool newestFirst = false;
    std::size_t perWait = 1000;
    // When set, opening a prober or sending a request throws it.
    std::optional<icmp::ProbeError> openError, sendError;

    // What the component asked for.
    struct Open {
        icmp::Address source;
        icmp::SocketKind kind;
    };
    std::vector<Open> opened;
    std::vector<icmp::EchoRequest> sent;

    TimePoint now() const { return m_now; }
    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(m_now - TimePoint{});
    }

    icmp::ProbeOpener opener() {
        return [this](const icmp::Address& source, icmp::SocketKind kind) {
            opened.push_back({source, kind});
            if (openError) throw *openError;
            return std::unique_ptr<icmp::IcmpProbe>(std::make_unique<Probe>(*this));
        };
    }

  private:
    class Probe final : public icmp::IcmpProbe {
      public:
        explicit Probe(ScriptedNetwork& net) : m_net(net) {}

        std::uint64_t send(const icmp::EchoRequest& request) override {
            if (m_net.sendError) throw *m_net.sendError;
            m_net.sent.push_back(request);
            Pending p{m_nextId++, m_net.now() + std::chrono::milliseconds(request.timeoutMs),
                      m_net.answer ? m_net.answer(request) : std::nullopt};
            m_pending.push_back(p);
            return p.id;
        }

        std::vector<icmp::EchoResult> wait(int maxWaitMs) override {
            std::vector<icmp::EchoResult> out = take();
            if (out.empty() && !m_pending.empty()) {
                // Nothing is due: the wait passes, up to the first time-out.
                TimePoint next = m_net.m_now + std::chrono::milliseconds(maxWaitMs);
                for (const Pending& p : m_pending) next = std::min(next, p.deadline);
                m_net.m_now = std::max(m_net.m_now, next);
                out = take();
            }
            return out;
        }

        std::size_t inFlight() const override { return m_pending.size(); }
        void cancelAll() override { m_pending.clear(); }

      private:
        struct Pending {
            std::uint64_t id;
            TimePoint deadline;
            std::optional<Answer> answer;
        };

        std::vector<icmp::EchoResult> take() {
            std::vector<Pending> due;
            for (auto it = m_pending.begin(); it != m_pending.end();) {
                if (it->answer || it->deadline <= m_net.m_now) {
                    due.push_back(*it);
                    it = m_pending.erase(it);
                } else {
                    ++it;
                }
            }
            if (m_net.newestFirst) std::reverse(due.begin(), due.end());
            while (due.size() > m_net.perWait) {  // the rest comes with a later wait
                m_pending.push_back(due.back());
                due.pop_back();
            }
            std::sort(m_pending.begin(), m_pending.end(),
                      [](const Pending& a, const Pending& b) { return a.id < b.id; });
            std::vector<icmp::EchoResult> out;
            for (const Pending& p : due) {
                icmp::EchoResult r;
                r.id = p.id;
                if (p.answer) {
                    r.outcome = p.answer->outcome;
                    r.from = p.answer->from;
                    r.rttMs = p.answer->rttMs;
                    r.icmpCode = p.answer->icmpCode;
                } else {
                    r.outcome = icmp::Outcome::TimedOut;
                }
                out.push_back(r);
            }
            return out;
        }

        ScriptedNetwork& m_net;
        std::uint64_t m_nextId = 1;
        std::vector<Pending> m_pending;
    };

    TimePoint m_now{};
};
