#include "links/spider_file.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

using zenthra::SpiderLineKind;

namespace {

struct LineCase
{
    const char* line;
    SpiderLineKind kind;
    const char* type;
    const char* command;
};

class SpiderLineRules : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(SpiderLineRules, JudgesTheLine)
{
    const LineCase& c = GetParam();
    const zenthra::SpiderLine line = zenthra::readSpiderLine(QString::fromUtf8(c.line));
    EXPECT_EQ(line.kind, c.kind) << c.line;
    EXPECT_EQ(line.type, QString::fromUtf8(c.type)) << c.line;
    EXPECT_EQ(line.command, QString::fromUtf8(c.command)) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SpiderLineRules,
    ::testing::Values(
        LineCase{"mnuSpiderShow, SHOW/dx  ", SpiderLineKind::Command, "MNUSPIDERSHOW", "SHOW/DX"},
        LineCase{"mnuSpiderSHOW, first, SH/WWV", SpiderLineKind::Command, "MNUSPIDERSHOW", "SH/WWV"},
        LineCase{" mnuSpiderSHOW, SHOW/DX", SpiderLineKind::Skipped, "", ""},
        LineCase{"\tmnuSpiderSHOW ,KILL\t", SpiderLineKind::Command, "\tMNUSPIDERSHOW", "KILL\t"},
        LineCase{"#mnuSpiderSHOW, SHOW/DX", SpiderLineKind::Skipped, "", ""},
        LineCase{"a,bc", SpiderLineKind::Skipped, "", ""},
        LineCase{"a, bc", SpiderLineKind::Command, "A", "BC"},
        LineCase{"mnuSpiderSHOW SHOW/DX", SpiderLineKind::NoComma, "", ""},
        LineCase{"mnuSpiderMISC, talk dl1äb", SpiderLineKind::Command, "MNUSPIDERMISC", "TALK DL1ÄB"}));

struct BadFile
{
    QStringList lines;
    int badLine;
    const char* problem;
};

class SpiderFileErrors : public ::testing::TestWithParam<BadFile>
{
};

TEST_P(SpiderFileErrors, NameTheFirstLineThatCannotBeStored)
{
    const auto file = zenthra::readSpiderFile(GetParam().lines);
    EXPECT_EQ(file.badLine, GetParam().badLine);
    EXPECT_EQ(file.problem, QString::fromUtf8(GetParam().problem));
    // Nothing of a bad file is kept; the widest type and command are no fault.
    EXPECT_EQ(file.commands.isEmpty(), GetParam().badLine != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SpiderFileErrors,
    ::testing::Values(BadFile{{"mnuSpiderSHOW, SHOW/DX", "# ok", "mnuSpiderSHOW SHOW/WWV"},
                              3,
                              "no comma between type and command"},
                      BadFile{{"mnuSpiderSHOW, SHOW/DX", "mnuSpiderMISC, show/dx"},
                              2,
                              "SHOW/DX is listed already in line 1"},
                      BadFile{{QString(51, u'T') + ", X/Y"}, 1, "the type is longer than 50 characters"},
                      BadFile{{"T, " + QString(256, u'C')}, 1, "the command is longer than 255 characters"},
                      BadFile{{QString(50, u'T') + ", " + QString(255, u'C')}, 0, ""}));

} // namespace
