#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The program's general error: a failure carrying the message text shown to the user.
class Exception : public std::exception {
  public:
    explicit Exception(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

  private:
    QString m_message;
    QByteArray m_utf8;
};

// Message text of any exception, for the error box and for component error forming.
inline QString MessageOf(const std::exception& e) {
    if (auto* own = dynamic_cast<const Exception*>(&e)) return own->message();
    return QString::fromLocal8Bit(e.what());
}
