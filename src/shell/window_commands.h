#pragma once
// The text windows' commands that need no widget: saving a window as a rich-text file in the data
// folder, and the "/MSG " command that a selected call prepares in the chat and BBS command lines.

#include <QString>
#include <optional>

namespace zenthra {

class DataFolder;
class ErrorLog;

namespace windowcommands {

inline constexpr const char* saveTitle = "Filename?";
inline constexpr const char* savePrompt =
    "Enter a filename, e.g. my data. Please don't use illegal characters e.g. ('?/\\<>~@ etc. The file "
    "will be saved in the programs working directory";
inline constexpr const char* saveFailedTitle = "Error occured!";

// Window codes of SAVE_TO_FILE: 99 the DXC window, else the index of txtDataRetrieval.
inline constexpr int dxcWindowCode = 99;

struct SaveResult
{
    enum class Outcome
    {
        Nothing, // cancelled or no name: nothing saved, nothing to say
        Saved,
        Refused, // a name that could leave the data folder or hide characters
        Failed,  // the file could not be written (logged)
    };
    Outcome outcome = Outcome::Nothing;
    QString title; // empty: the program's title
    QString text;
};

// Why a typed name is refused, or nothing when it may be used: a name holding "/", "\", ".." or a
// control character could leave the data folder or hide what it is.
std::optional<QString> refusalOf(const QString& name);

// Saves `text` (the window's text) in `pointSize` as <folder>/<name>.rtf, replacing an older file.
// `name` is the answer as typed, nothing when cancelled; an empty or blank name saves nothing.
SaveResult SAVE_TO_FILE(const std::optional<QString>& name, const QString& text, int pointSize,
                        const DataFolder& folder, ErrorLog& log);

// What a left-button release with `selection` selected puts into a command line: nothing (leave
// it) when nothing is selected; the empty text for a selection over more than one line; else
// "/MSG " and the selection in lower case, trimmed, without any "/msg ", and one blank.
std::optional<QString> messageCommand(const QString& selection);

} // namespace windowcommands
} // namespace zenthra
