#include "links/prompts.h"
#include "support/print_qstring.h"

#include <QList>
#include <QStringList>
#include <gtest/gtest.h>

using zenthra::prompts::Ask;

namespace {

struct Asked
{
    const char* text;
    Ask ask;
};

void PrintTo(const Asked& row, std::ostream* os)
{
    *os << QByteArray(row.text).toPercentEncoding(" :<>,").constData();
}

struct AsksRule : ::testing::TestWithParam<Asked>
{
};

const Asked rows[] = {
    // Prompt words at the end of what the node sent, blanks after them aside.
    {"LOGIN: ", Ask::Call},
    {"\r\nGB7TST BBS TELNET\r\nCALLSIGN : ", Ask::Call},
    {"PLEASE ENTER YOUR PASSWORD :\t ", Ask::Password},
    // A line of nothing but the prompt, however it ends.
    {"LOGIN:\r\n", Ask::Call},
    {"PASSWORD :\r", Ask::Password},
    {"\r\rCALLSIGN :\r", Ask::Call},
    {"WELCOME\r\n  PASS : \r\n", Ask::Password},
    // Call and password asked at once.
    {"LOGIN: \r\nPASSWORD: ", Ask::CallAndPassword},
    {"LOGIN:\rPASSWORD:\r", Ask::CallAndPassword},
    {"HELLO, LOGIN: ME\r\nPASSWORD: ", Ask::Password},
    // Talk that holds or merely ends in the words, and the first part of a prompt.
    {"<G4XYZ>: G4ABC, WHAT IS THE CLUB PASSWORD:\r\n", Ask::Nothing},
    {"TO ALL DE G4XYZ: WHAT IS THE CLUB PASSWORD: ?\r\n", Ask::Nothing},
    {"PASSWORD: ?", Ask::Nothing},
    {"PASS", Ask::Nothing},
    {"LOGIN:\r\nWELCOME\r\n", Ask::Nothing},
    {"", Ask::Nothing},
};

TEST_P(AsksRule, TellsWhatTheTextAsksFor)
{
    EXPECT_EQ(zenthra::prompts::asks(QString::fromLatin1(GetParam().text)), GetParam().ask);
}

INSTANTIATE_TEST_SUITE_P(Prompts, AsksRule, ::testing::ValuesIn(rows));

TEST(PromptText, KeepsTheEndUpperCasedAndALineCutThereIsNoBarePromptLine)
{
    zenthra::prompts::PromptText text;
    text.add("Pass");
    text.add("word : ");
    EXPECT_EQ(text.upper(), "PASSWORD : ");
    EXPECT_EQ(text.asks(), Ask::Password);
    text.clear();
    EXPECT_EQ(text.asks(), Ask::Nothing);

    // Only blanks are kept of this line's start, but it began with talk.
    text.add("<g4xyz>: " + QString(zenthra::prompts::PromptText::keep, u' ') + "login:\r\n");
    EXPECT_EQ(text.upper().size(), zenthra::prompts::PromptText::keep);
    EXPECT_EQ(text.asks(), Ask::Nothing);
}

// Pieces of a node's text, a phrase, and the pieces with which the phrase is found.
struct Phrase
{
    const char* name;
    QStringList pieces;
    const char16_t* phrase;
    QList<int> foundWith;
};

void PrintTo(const Phrase& row, std::ostream* os)
{
    *os << row.name;
}

struct PieceViewRule : ::testing::TestWithParam<Phrase>
{
};

const QString longTalk(3000, u'x');

const Phrase phrases[] = {
    {"CutInside", {"Type /n <ca", "ll> [channel] to log on\r\n"}, u"/N <CALL> [CHAN", {1}},
    {"CutAfterTheFirstLetter", {"G0ABC de GB7XX >", " ", "G", "0ABC de GB7XX >"}, u"G0ABC DE", {0, 3}},
    {"FoundOnceOnly", {"Menu: BBS, CONV, DXC, NODES\r\n", "=> "}, u"DXC,", {0}},
    {"AConnectionStartsALine", {"login:\r\n"}, u"\nLOGIN:\r\n", {0}},
    {"NoLineStartWherePiecesMeet", {"<G0BAD>: ", "login:\r\n"}, u"\nLOGIN:\r\n", {}},
    {"AtTheStartOfALongPiece", {"x", "DXC, " + longTalk}, u"DXC,", {1}},
    {"AtTheEndOfALongPiece", {longTalk + "DX", "C, NODES"}, u"DXC,", {1}},
};

TEST_P(PieceViewRule, FindsAPhraseWithThePieceItReachesInto)
{
    zenthra::prompts::PieceView view;
    QList<int> found;
    for (int i = 0; i < GetParam().pieces.size(); ++i) {
        view.next(GetParam().pieces[i]);
        if (view.holds(GetParam().phrase)) {
            found << i;
        }
    }
    EXPECT_EQ(found, GetParam().foundWith);
}

INSTANTIATE_TEST_SUITE_P(Prompts, PieceViewRule, ::testing::ValuesIn(phrases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
