#include "links/spider_file.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

using zenthra::SpiderLineKind;

namespace {

TEST(SpiderFile, JudgesEachLine)
{
    const struct
    {
        const char* line;
        SpiderLineKind kind;
        const char* type;
        const char* command;
    } cases[] = {
        {"mnuSpiderShow, SHOW/dx  ", SpiderLineKind::Command, "MNUSPIDERSHOW", "SHOW/DX"},
        {"mnuSpiderSHOW, first, SH/WWV", SpiderLineKind::Command, "MNUSPIDERSHOW", "SH/WWV"},
        {" mnuSpiderSHOW, SHOW/DX", SpiderLineKind::Skipped, "", ""},
        {"\tmnuSpiderSHOW ,KILL\t", SpiderLineKind::Command, "\tMNUSPIDERSHOW", "KILL\t"},
        {"#mnuSpiderSHOW, SHOW/DX", SpiderLineKind::Skipped, "", ""},
        {"a,bc", SpiderLineKind::Skipped, "", ""},
        {"a, bc", SpiderLineKind::Command, "A", "BC"},
        {"mnuSpiderSHOW SHOW/DX", SpiderLineKind::NoComma, "", ""},
    };
    for (const auto& c : cases) {
        const zenthra::SpiderLine line = zenthra::readSpiderLine(QString::fromUtf8(c.line));
        EXPECT_EQ(line.kind, c.kind) << c.line;
        EXPECT_EQ(line.type, QString::fromUtf8(c.type)) << c.line;
        EXPECT_EQ(line.command, QString::fromUtf8(c.command)) << c.line;
    }
}

TEST(SpiderFile, NamesTheFirstLineThatCannotBeStoredAndKeepsNothingOfIt)
{
    const struct
    {
        QStringList lines;
        int badLine;
        const char* problem;
    } cases[] = {
        {{"mnuSpiderSHOW, SHOW/DX", "# ok", "mnuSpiderSHOW SHOW/WWV"},
         3,
         "no comma between type and command"},
        {{"mnuSpiderSHOW, SHOW/DX", "mnuSpiderMISC, show/dx"}, 2, "SHOW/DX is listed already in line 1"},
        {{QString(51, u'T') + ", X/Y"}, 1, "the type is longer than 50 characters"},
        {{"T, " + QString(256, u'C')}, 1, "the command is longer than 255 characters"},
        // The widest type and command are no fault.
        {{QString(50, u'T') + ", " + QString(255, u'C')}, 0, ""},
    };
    for (const auto& c : cases) {
        const auto file = zenthra::readSpiderFile(c.lines);
        EXPECT_EQ(file.badLine, c.badLine) << c.problem;
        EXPECT_EQ(file.problem, QString::fromUtf8(c.problem));
        EXPECT_EQ(file.commands.isEmpty(), c.badLine != 0) << c.problem;
    }
}

} // namespace
