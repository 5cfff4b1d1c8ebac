#pragma once

#include "db/TargetAccess.h"

#include <QStringList>

namespace tw {

// The statements a run sends to the target, as a script that SQL*Plus runs
// as it stands: each statement after a comment line naming its table, ended
// by ";" on its last line, or, for a PL/SQL block, by "/" on a line of its own.
class StatementScript {
public:
    // The table whose statements follow.
    void setTable(const QString& table) { table_ = table; }
    void add(const QStringList& statementLines);
    // Adds the statements of another script after this one's.
    void append(const StatementScript& other) { lines_ += other.lines_; }

    // The script's lines, from its first line (which turns off SQL*Plus's
    // substitution variables, so that an "&" in a name stays a character).
    QStringList lines() const;
    // Written like the log: CR LF after every line, the system's 8-bit
    // encoding, replacing any file of that name. Throws Failure.
    void save(const QString& path) const;

private:
    QString table_;
    QStringList lines_;
};

// The script beside a log: the log's path with ".log" replaced by ".sql".
QString scriptPathFor(const QString& logPath);

// A target connection that adds every statement it executes directly to a
// script before sending it on; queries and the row writer pass unrecorded.
// Without a script it only passes everything on.
class ScriptingTargetConnection : public TargetConnection {
public:
    explicit ScriptingTargetConnection(TargetConnection& target) : target_(target) {}

    // The script that statements go to from now on; null for none.
    void recordTo(StatementScript* script) { script_ = script; }

    void open() override { target_.open(); }
    void close() override { target_.close(); }
    bool isOpen() const override { return target_.isOpen(); }
    std::unique_ptr<TargetStatement> createStatement() override;
    std::unique_ptr<RowWriter> createRowWriter() override { return target_.createRowWriter(); }
    std::unique_ptr<TargetConnection> createSibling() const override { return target_.createSibling(); }

private:
    TargetConnection& target_;
    StatementScript* script_ = nullptr;
};

} // namespace tw
