#pragma once

#include <QtGlobal>

class QWidget;
class Prompter;

// Our stand-in for the shell's file-operation service. A caller fills a request record and
// hands it over; the service copies, moves, deletes or renames, asks its own questions,
// reports its own errors and shows its own progress, all owned by the record's window, and
// returns when everything, its dialogs included, is done.

// wFunc
inline constexpr quint32 FO_MOVE = 0x1;
inline constexpr quint32 FO_COPY = 0x2;
inline constexpr quint32 FO_DELETE = 0x3;
inline constexpr quint32 FO_RENAME = 0x4;

// fFlags
inline constexpr quint16 FOF_MULTIDESTFILES = 0x1;
inline constexpr quint16 FOF_CONFIRMMOUSE = 0x2;
inline constexpr quint16 FOF_SILENT = 0x4; // no progress display
inline constexpr quint16 FOF_RENAMEONCOLLISION = 0x8; // "name - コピー.ext" instead of replacing
inline constexpr quint16 FOF_NOCONFIRMATION = 0x10; // answer every question with yes
inline constexpr quint16 FOF_WANTMAPPINGHANDLE = 0x20;
inline constexpr quint16 FOF_ALLOWUNDO = 0x40; // deletes go to the desktop trash
inline constexpr quint16 FOF_FILESONLY = 0x80; // a wildcard matches files, not folders
inline constexpr quint16 FOF_SIMPLEPROGRESS = 0x100; // progress shows the title, no names
inline constexpr quint16 FOF_NOCONFIRMMKDIR = 0x200; // create a missing folder without asking
// Ours, beyond the shell's: every name is taken as it stands, never as a wildcard pattern.
inline constexpr quint16 FOF_LITERALNAMES = 0x8000;

// Results. Zero is success; the others name what stopped the operation.
inline constexpr int DE_SUCCESS = 0;
inline constexpr int DE_SAMEFILE = 0x71; // source and destination are the same file
inline constexpr int DE_MANYSRC1DEST = 0x72; // several sources, one destination file
inline constexpr int DE_OPCANCELLED = 0x75; // the user cancelled the progress
inline constexpr int DE_DESTSUBTREE = 0x76; // a folder copied or moved into itself
inline constexpr int DE_ACCESSDENIEDSRC = 0x78; // a source could not be read or removed
inline constexpr int DE_INVALIDFILES = 0x7C; // a source does not exist, or no source given
inline constexpr int DE_FILEEXISTS = 0x80; // rename onto a name that exists
inline constexpr int DE_INVALIDPARAM = 0x57; // unknown wFunc, or no destination
inline constexpr int DE_CANCELLED = 0x4C7; // the user declined a question
inline constexpr int DE_ERRORONDEST = 0x10000; // writing the destination failed

struct SHFILEOPSTRUCT {
    QWidget *hwnd = nullptr; // owner of every dialog; may be null
    quint32 wFunc = 0;
    const char *pFrom = nullptr; // names, each ended by NUL, the list by one more NUL
    const char *pTo = nullptr; // the same form; the first name is the destination
    quint16 fFlags = 0;
    bool fAnyOperationsAborted = false; // out: the user cancelled or declined something
    void *hNameMappings = nullptr; // never filled here
    const char *lpszProgressTitle = nullptr; // used only with FOF_SIMPLEPROGRESS
};

// Performs the request. `prompter` answers the questions; null means defaultPrompter().
int SHFileOperation(SHFILEOPSTRUCT *op, Prompter *prompter = nullptr);
