#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// Writes rows as comma-separated values (RFC 4180) for spreadsheets: UTF-8 with a byte-order
// mark, so that names beyond ASCII show as typed; lines end in CR LF; a field holding a comma, a
// double quote or a line break is quoted, its quotes doubled.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice &device);

    void writeRow(const QStringList &fields);
    // True when every byte reached the device.
    bool ok() const { return m_ok; }

    static QString field(const QString &text);

private:
    QIODevice &m_device;
    QByteArray m_line;
    bool m_ok = true;
};
