#pragma once
// "Current Settings": the text of the message box that lists the links' nodes, the sporadic-E
// settings, the logging-program link and the program's version.

#include <QString>

namespace zenthra {

class OptionsModel;

inline constexpr const char* systemSettingsTitle = "System Settings";

// The program's major, minor and revision numbers joined by ".".
QString programVersion();

// The 35 lines, CR LF between them and none after the last. The passwords are shown as stored.
QString systemSettingsText(const OptionsModel& options, const QString& version = programVersion());

} // namespace zenthra
