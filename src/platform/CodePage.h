#pragma once

#include <QByteArray>
#include <QString>

// The system's narrow encoding. Inside the program text is QString; at the edges where the
// original kept bytes (file names in the file-operation request record, the settings file)
// we use the file-name encoding, which is UTF-8 on the systems we run on.
namespace CodePage {

QByteArray toNative(const QString &text);
QString fromNative(const QByteArray &bytes);

// Length in bytes of the character that starts at bytes[pos]: 1 for ASCII and for any byte
// that does not start a well-formed multibyte sequence, otherwise the sequence's length.
// A scan that steps by this never stops inside a multibyte character.
qsizetype charLength(const char *bytes, qsizetype size, qsizetype pos);

// Cuts `bytes` to `limit` bytes or fewer, never inside a multibyte character.
void truncateToChars(QByteArray &bytes, qsizetype limit);

} // namespace CodePage
