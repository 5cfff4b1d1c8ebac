#pragma once

#include <QString>
#include <QVector>

namespace tw {

// A caption table of one interface language: ordered name=value rows, where
// a name is that of a control of the wizard, matched without regard to case.
class CaptionTable {
public:
    struct Row {
        QString name;
        QString value;
    };

    // Reads a table from its text, one "name=value" row per line (the value
    // runs from the first "=" to the end of the line and may be empty).
    static CaptionTable fromText(const QString& text);
    // Reads a table from a UTF-8 file; a missing file is a failure.
    static CaptionTable fromFile(const QString& path);

    const QVector<Row>& rows() const { return rows_; }
    // The value of the row of that name, or the empty text when there is none.
    QString value(const QString& name) const;

private:
    QVector<Row> rows_;
};

} // namespace tw
