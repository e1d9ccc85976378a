#pragma once
// Shows a text model in a read-only text widget, following its appends and cuts
// incrementally.

#include "shell/text_windows.h"

#include <functional>

class QPlainTextEdit;

namespace zenthra {

// A read-only text widget in the text windows' font.
QPlainTextEdit* makeTextView(const QString& objectName);

// Keeps `view` equal to `model` (without CR characters), applying the changes of one turn of
// the event loop together at the end of that turn. While `active` returns false the view
// is left alone (a mirror that is hidden); `caretFor` maps the appender's caret request to the
// caret this view takes. `replacedText` maps a whole new text of the model to what this view
// shows instead (a mirror's own "CLS" banner). Whenever the view is shown or resized, its caret
// is brought into view.
void bindTextView(TextWindow& model, QPlainTextEdit* view, std::function<bool()> active = {},
                  std::function<Caret(Caret)> caretFor = {},
                  std::function<QString(const QString&)> replacedText = {});

// Replaces the view's whole text by the model's.
void resetTextView(const TextWindow& model, QPlainTextEdit* view);

void moveViewCaret(QPlainTextEdit* view, Caret caret);

} // namespace zenthra
