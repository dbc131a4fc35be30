#pragma once

#include <QString>

// What a write to the settings file came to. On failure `message` is the text to show:
// "<path> に書き込めません".
struct IniWriteResult {
    bool ok = true;
    QString message;

    static IniWriteResult success() { return {}; }
    static IniWriteResult failure(const QString &message) { return {false, message}; }
};

// Our stand-in for the profile-file INI class. It holds only the file's path: every read and
// every write goes to the file itself, so two of them on one path see each other's writes at
// once.
//
// The file is UTF-8 text of "[Section]" lines, "Key=Value" lines and any other lines, which are
// kept as they are. Names match whatever their case, the blanks around names and values do
// not count, and the first matching section, and in it the first matching key, is the one
// read and written. A key that is written and does not exist yet goes to the end of its
// section, a section that does not exist yet to the end of the file.
//
// A read never fails: a file that is missing or unreadable has no keys. A write replaces the
// whole file atomically and reports whether it could; it refuses names and values that would
// not read back as written (line breaks; '=' in a key; a key starting with '[' or ';').
class TIniFile final {
public:
    explicit TIniFile(const QString &fileName);

    QString FileName() const { return m_fileName; }

    // The stored text, one pair of surrounding double quotes removed, cut to 1023 bytes at a
    // character boundary; `def` only when the file, the section or the key is missing.
    QString ReadString(const QString &section, const QString &ident, const QString &def) const;
    // "0x"/"0X" and hex digits, or what StrToInt reads; `def` for anything else.
    qint32 ReadInteger(const QString &section, const QString &ident, qint32 def) const;
    // ReadInteger, non-zero being true.
    bool ReadBool(const QString &section, const QString &ident, bool def) const;

    [[nodiscard]] IniWriteResult WriteString(
        const QString &section, const QString &ident, const QString &value) const;
    [[nodiscard]] IniWriteResult WriteInteger(
        const QString &section, const QString &ident, qint32 value) const;
    [[nodiscard]] IniWriteResult WriteBool(
        const QString &section, const QString &ident, bool value) const;

private:
    QString m_fileName;
};

// `path` with its extension replaced by `ext` (given with its dot), or `ext` appended when the
// file name has none. Dots that start a file name (".hidden") begin no extension.
QString ChangeFileExt(const QString &path, const QString &ext);
