#include "shell/CsvWriter.h"

#include <QIODevice>

CsvWriter::CsvWriter(QIODevice &device) : m_device(device)
{
    m_ok = m_device.write("\xEF\xBB\xBF", 3) == 3;
}

QString CsvWriter::field(const QString &text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quoted = false;
    for (const QChar c : text) {
        if (special.contains(c)) {
            quoted = true;
            break;
        }
    }
    if (!quoted)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

void CsvWriter::writeRow(const QStringList &fields)
{
    m_line.clear();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_line += ',';
        m_line += field(fields.at(i)).toUtf8();
    }
    m_line += "\r\n";
    if (m_ok)
        m_ok = m_device.write(m_line) == m_line.size();
}
