#pragma once

// Reads a script as SQL*Plus does, for tests that run or compare it: lines
// starting with "--" are comments, SET lines are SQL*Plus commands, a line
// that ends with ";" ends a SQL statement and a line "/" ends a block
// (SQL*Plus User's Guide and Reference, "Running SQL Commands"). Each
// statement comes back as the program sends it: every line followed by CR LF.

#include <QFile>
#include <QStringList>

inline QStringList scriptStatements(const QStringList& lines)
{
    QStringList statements;
    QString statement;
    for (const QString& line : lines) {
        if (statement.isEmpty() && (line.startsWith(QLatin1String("--")) || line.startsWith(QLatin1String("SET "))))
            continue;
        if (line == QLatin1String("/")) {
            statements.append(statement);
            statement.clear();
        } else if (line.endsWith(QLatin1Char(';'))) {
            statements.append(statement + line.chopped(1) + QStringLiteral("\r\n"));
            statement.clear();
        } else {
            statement += line + QStringLiteral("\r\n");
        }
    }
    return statements;
}

inline QStringList scriptFileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(missing)")};
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
