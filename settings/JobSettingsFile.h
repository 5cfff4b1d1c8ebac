#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tw {

// A job settings file loaded line by line: the job settings list. Lines are
// name=value; the name is the text before the first "=", the value all text
// after it, neither trimmed. There is no comment, quoting or escaping.
class JobSettingsList {
public:
    // Reads the file, replacing the list. Throws Failure, naming the file,
    // when it cannot be opened or read.
    void load(const QString& path);
    // The lines of a file's bytes: UTF-8 or UTF-16 after their byte-order
    // mark, otherwise the system's 8-bit encoding; lines end at CR LF, a lone
    // CR or a lone LF.
    void setContent(const QByteArray& bytes);

    // The value of the first line whose name equals the key without regard
    // to letter case; the empty text when no line has it. A line without "="
    // has no name.
    QString value(const QString& key) const;
    const QStringList& lines() const { return lines_; }

private:
    QStringList lines_;
};

// What a job settings file holds, as the shortcut builder fills it.
struct JobDefinition {
    QString server;
    QString database;
    QString loginName;
    QString password;
    bool windowsAuthentication = true;
    QString oracleService;
    QString oracleUser;
    QString oraclePassword;
    int processTable = 0;
    bool tableDefinitionsOnly = false;
    bool skipIndex = false;
    bool nameUppercase = true;
    bool blobToText = false;
    bool keepGoodRows = false;
    bool fullDefinitions = false;
    bool writeScript = false;
    int tablesAtOnce = 1;
    // 0 the tables listed below, 1 every table the database has when the job runs.
    int tableChoice = 1;
    QStringList tables;
};

// The lines of a job settings file, in the order the reader's keys are
// documented: connection, options, "alltables", then "tables1=" and on
// (only for table choice 0).
QStringList jobFileLines(const JobDefinition& job);
// Writes the lines in the system's 8-bit encoding, CR LF after each, without
// a byte-order mark, replacing any file of that name; the file is readable by
// its owner only. Throws Failure when it cannot be written.
void WriteJobFile(const QString& path, const JobDefinition& job);

} // namespace tw
