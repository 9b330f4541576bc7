#pragma once

#include "shell/Locations.h"

#include <QComboBox>

// The location box: an editable combo box listing location names from a recordset, with the
// Tag that holds the id of the location accepted for it.
class LocationCombo : public QComboBox, public LocationList
{
    Q_OBJECT

public:
    explicit LocationCombo(QWidget *parent = nullptr);

    void setRowSource(std::shared_ptr<Recordset> rowSource, const QString &listField) override;
    QString Text() const override;
    void setText(const QString &text) override;
    QString Tag() const override { return m_tag; }
    void setTag(const QString &tag) override { m_tag = tag; }

protected:
    bool event(QEvent *event) override;

private:
    void nameParts();

    std::shared_ptr<Recordset> m_rowSource;
    QString m_tag;
};
