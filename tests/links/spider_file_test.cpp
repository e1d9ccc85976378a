#include "links/spider_file.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

using zenthra::readSpiderFile;
using zenthra::readSpiderLine;
using zenthra::SpiderLineKind;

namespace {

struct LineCase
{
    const char* name;
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
    const zenthra::SpiderLine line = readSpiderLine(QString::fromUtf8(c.line));
    EXPECT_EQ(line.kind, c.kind);
    EXPECT_EQ(line.type, QString::fromUtf8(c.type));
    EXPECT_EQ(line.command, QString::fromUtf8(c.command));
}

const LineCase lineCases[] = {
    {"TypeAndCommandUpperCased", "mnuSpiderShow, SHOW/dx", SpiderLineKind::Command, "MNUSPIDERSHOW",
     "SHOW/DX"},
    {"TrailingSpacesTrimmed", "mnuSpiderSET  ,  set/qra  ", SpiderLineKind::Command, "MNUSPIDERSET",
     "SET/QRA"},
    {"TextBetweenCommasLost", "mnuSpiderSHOW, first, SH/WWV", SpiderLineKind::Command, "MNUSPIDERSHOW",
     "SH/WWV"},
    {"BlankLedLineSkipped", " mnuSpiderSHOW, SHOW/DX", SpiderLineKind::Skipped, "", ""},
    {"TabLedLineKeepsTheTab", "\tmnuSpiderSHOW, SHOW/DX", SpiderLineKind::Command, "\tMNUSPIDERSHOW",
     "SHOW/DX"},
    {"TabsAreNotTrimmed", "mnuSpiderKILL,KILL\t", SpiderLineKind::Command, "MNUSPIDERKILL", "KILL\t"},
    {"CommentSkipped", "#mnuSpiderSHOW, SHOW/DX", SpiderLineKind::Skipped, "", ""},
    {"FourCharactersSkipped", "a,bc", SpiderLineKind::Skipped, "", ""},
    {"FiveCharactersRead", "a, bc", SpiderLineKind::Command, "A", "BC"},
    {"EmptyLineSkipped", "", SpiderLineKind::Skipped, "", ""},
    {"NoCommaIsAnError", "mnuSpiderSHOW SHOW/DX", SpiderLineKind::NoComma, "", ""},
    {"UnknownTypeStillRead", "mnuSpiderFoo, FOO/BAR", SpiderLineKind::Command, "MNUSPIDERFOO", "FOO/BAR"},
    {"EightBitTextUpperCased", "mnuSpiderMISC, talk dl1äb", SpiderLineKind::Command, "MNUSPIDERMISC",
     "TALK DL1ÄB"},
};

INSTANTIATE_TEST_SUITE_P(Lines, SpiderLineRules, ::testing::ValuesIn(lineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpiderFile, KeepsTheCommandsInFileOrderWithTheirLines)
{
    const auto file = readSpiderFile({"# DX Spider", "", "mnuSpiderSHOW, SHOW/USERS", " skipped, X/Y",
                                      "mnuSpiderSHOW, SHOW/DX", "mnuSpiderSET, SET/QRA"});
    ASSERT_TRUE(file.ok());
    ASSERT_EQ(file.commands.size(), 3);
    EXPECT_EQ(file.commands[0].command, "SHOW/USERS");
    EXPECT_EQ(file.commands[0].line, 3);
    EXPECT_EQ(file.commands[1].command, "SHOW/DX");
    EXPECT_EQ(file.commands[2].type, "MNUSPIDERSET");
    EXPECT_EQ(file.commands[2].line, 6);
}

struct BadFile
{
    const char* name;
    QStringList lines;
    int badLine;
    const char* problem;
};

class SpiderFileErrors : public ::testing::TestWithParam<BadFile>
{
};

TEST_P(SpiderFileErrors, NameTheFirstLineThatCannotBeStored)
{
    const BadFile& c = GetParam();
    const auto file = readSpiderFile(c.lines);
    EXPECT_FALSE(file.ok());
    EXPECT_EQ(file.badLine, c.badLine);
    EXPECT_EQ(file.problem, QString::fromUtf8(c.problem));
    EXPECT_TRUE(file.commands.isEmpty());
}

const BadFile badFiles[] = {
    {"NoComma",
     {"mnuSpiderSHOW, SHOW/DX", "# fine", "mnuSpiderSHOW SHOW/WWV", "x, NO COMMA"},
     3,
     "no comma between type and command"},
    {"SameCommandUnderTwoTypes",
     {"mnuSpiderSHOW, SHOW/DX", "mnuSpiderMISC, show/dx"},
     2,
     "SHOW/DX is listed already in line 1"},
    {"TypeTooLong",
     {QStringLiteral("mnuSpider%1, X/Y").arg(QString(42, u'X'))},
     1,
     "the type is longer than 50 characters"},
    {"CommandTooLong",
     {"mnuSpiderSHOW, SHOW/DX", QStringLiteral("mnuSpiderMISC, %1").arg(QString(256, u'C'))},
     2,
     "the command is longer than 255 characters"},
};

INSTANTIATE_TEST_SUITE_P(Files, SpiderFileErrors, ::testing::ValuesIn(badFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpiderFile, WidestTypeAndCommandAreTaken)
{
    const auto file = readSpiderFile({QStringLiteral("%1, %2").arg(QString(50, u'T'), QString(255, u'C'))});
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.commands.size(), 1);
}

} // namespace
