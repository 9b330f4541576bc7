#include "platform/TimeZoneRules.h"

#include <QByteArray>
#include <QtGlobal>

void readTimeZoneRulesOnce()
{
#if defined(Q_OS_LINUX)
    // ":/etc/localtime" is the system's default zone itself, for the C library and for Qt alike.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", QByteArrayLiteral(":/etc/localtime"));
#endif
}
