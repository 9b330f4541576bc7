#pragma once

#include <QString>
#include <exception>

// A failure as the client reports it: a number, the routine that raised it and a description.
// Database failures, application errors raised by the records and start-up failures all travel
// as this one type, so the handlers at the event boundary can show any of them.
class Error : public std::exception
{
public:
    Error(qint32 number, QString source, QString description)
        : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
          m_what(m_description.toUtf8())
    {
    }

    qint32 Number() const { return m_number; }
    const QString &Source() const { return m_source; }
    const QString &Description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

    // Number given to failures reported by the database gateway.
    static constexpr qint32 DatabaseError = -2147217900;

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
    QByteArray m_what;
};
