#pragma once
// The DX Spider command file, spider_menu.txt: one command per line as "type, command", where the
// type names the menu the command is offered in (mnuSpiderSHOW, any letter case). Comments begin
// with "#"; short lines and lines that begin with a blank are passed over.

#include <QList>
#include <QString>
#include <QStringList>

namespace zenthra {

struct SpiderCommand
{
    QString type;    // upper case
    QString command; // upper case, never holding a comma
    int line = 0;    // 1-based line of the file
};

enum class SpiderLineKind
{
    Skipped, // short, a comment, or led by a blank
    Command,
    NoComma, // would be a command but names no type
};

struct SpiderLine
{
    SpiderLineKind kind = SpiderLineKind::Skipped;
    QString type;
    QString command;
};

// Judges one line of the file (without its line end). The type is the text before the first comma,
// the command the text after the last comma; only spaces are trimmed, and both are upper-cased.
SpiderLine readSpiderLine(const QString& line);

// The whole file: every command in file order, or the first line that cannot be stored and why.
// A line cannot be stored when it holds no comma, when its type or command is longer than the table
// takes, or when its command was listed before (a command is offered in one menu only).
struct SpiderFile
{
    QList<SpiderCommand> commands;
    int badLine = 0; // 0 when every line was read
    QString problem;
    bool ok() const { return badLine == 0; }
};

SpiderFile readSpiderFile(const QStringList& lines);

// The largest command file imported. A list of every DX Spider command is a few kilobytes; a
// larger file is not one (a log or a download saved under the name), and read whole it could take
// the program's memory.
inline constexpr qint64 spiderFileLargest = 1024 * 1024;

// Column widths of the command table.
inline constexpr int spiderTypeWidth = 50;
inline constexpr int spiderCommandWidth = 255;

} // namespace zenthra
