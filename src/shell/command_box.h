#pragma once
// Binds a command box widget to its CommandLine: Enter and Delete go to the line's rules, the
// drop-down list shows the line's history, and the line sets the box's text and focus. The
// main window's three lines and the separate windows' boxes are bound alike.

class QComboBox;
class QLineEdit;

namespace zenthra {

class CommandLine;

// A drop-down box with the history of a DXC or WWC line.
void bindCommandBox(CommandLine& line, QComboBox* box);
// A plain line without history (the BBS line).
void bindCommandBox(CommandLine& line, QLineEdit* edit);

} // namespace zenthra
