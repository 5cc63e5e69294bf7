#pragma once

#include <QString>
#include <functional>
#include <utility>

#include "common/Exception.h"

// Base of every component error: an error number and a "code: description" message.
class ENetComponent : public Exception {
  public:
    ENetComponent(int code, const QString& description)
        : Exception(QString::number(code) + QStringLiteral(": ") + description),
          Code(code),
          m_description(description) {}
    int Code;
    const QString& description() const noexcept { return m_description; }

  private:
    QString m_description;
};

class EncPing : public ENetComponent {
    using ENetComponent::ENetComponent;
};
class EncTraceRoute : public ENetComponent {
    using ENetComponent::ENetComponent;
};
class EncTelnet : public ENetComponent {
    using ENetComponent::ENetComponent;
};
class EncSysLog : public ENetComponent {
    using ENetComponent::ENetComponent;
};
class EncIPInfo : public ENetComponent {
    using ENetComponent::ENetComponent;
};

// Common shape of the components: events are single-handler callbacks (an unbound one is not
// delivered), and an exception escaping a handler never leaves the component: it becomes the
// component's error, reported through OnError.
class TncComponent {
  public:
    virtual ~TncComponent() = default;

    std::function<void(TncComponent* sender, int code, const QString& description)> OnError;

    // Last error formed from an event handler's exception (code 0 when none since construction).
    int LastEventErrorCode() const { return m_lastErrorCode; }
    const QString& LastEventError() const { return m_lastError; }

  protected:
    // Calls handler(args...) if bound; eventName is the event without "On" ("Hop", "Response").
    template <class Handler, class... Args>
    void deliver(const Handler& handler, const char* eventName, Args&&... args) {
        if (!handler) return;
        try {
            handler(std::forward<Args>(args)...);
        } catch (const ENetComponent& e) {
            raiseError(e.Code, e.message());
        } catch (const std::exception& e) {
            raiseError(-1, unhandledText(eventName, MessageOf(e)));
        } catch (...) {
            raiseError(-1, unhandledText(eventName, QStringLiteral("Unknown exception")));
        }
    }

  private:
    static QString unhandledText(const char* eventName, const QString& message) {
        return QStringLiteral("An unhandled error occurred in the ") + QLatin1String(eventName) +
               QStringLiteral(" event handler: ") + message;
    }
    void raiseError(int code, const QString& description) {
        m_lastErrorCode = code;
        m_lastError = description;
        if (!OnError) return;
        try {
            OnError(this, code, description);
        } catch (...) {
            // The error event is the end of the line: nothing may escape from it either.
        }
    }

    int m_lastErrorCode = 0;
    QString m_lastError;
};
