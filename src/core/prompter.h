#pragma once
// What a tool window needs of the program's dialogs: to ask the user for a text and to tell the
// user something. The shell's input and message boxes stand behind it, and tests replace those.

#include <QString>
#include <optional>

namespace zenthra {

class Prompter
{
public:
    enum class Icon
    {
        Information,
        Critical,
    };

    virtual ~Prompter() = default;

    // The title, the prompt and the answer shown at first; nothing when the user cancels.
    virtual std::optional<QString> ask(const QString& title, const QString& prompt,
                                       const QString& defaultAnswer) const = 0;
    // A message box with an OK button.
    virtual void tell(Icon icon, const QString& title, const QString& text) const = 0;
};

} // namespace zenthra
