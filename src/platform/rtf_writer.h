#pragma once
// Our own small RTF writer for saving a text window: the window's plain text as paragraphs in
// one font at the window's size. Word processors open it; nothing of the window's look beyond
// the size is kept.

#include <QByteArray>
#include <QString>

namespace zenthra {

// The text as an RTF document. Each line end (CR LF, LF or CR) ends a paragraph; a TAB becomes
// \tab; "\", "{" and "}" are escaped; every character beyond ASCII is written as \uN? (N the
// signed 16-bit UTF-16 unit, a character beyond the basic plane as its two surrogates), so the
// file itself is pure ASCII. Other control characters are dropped. pointSize below 1 gives 10.
QByteArray rtfDocument(const QString& text, int pointSize,
                       const QString& fontName = QStringLiteral("Courier New"));

// Writes rtfDocument() to `path`, replacing a file of that name only once the new one is
// complete. False, with the reason in `why`, when it cannot be written.
bool writeRtfFile(const QString& path, const QString& text, int pointSize, QString* why = nullptr);

} // namespace zenthra
