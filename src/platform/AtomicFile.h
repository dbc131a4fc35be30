#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for small files the program keeps, such as the settings file.
namespace AtomicFile {

// Reads the regular file at `path` into `data`. Returns 0 or errno: ENOENT when there is no
// such file, EINVAL when the name is not a regular file (a folder or a pipe is never waited
// on), EFBIG when the file is larger than `maxSize`.
int read(const QString &path, QByteArray &data, qsizetype maxSize);

// Replaces the file at `path` with `data` so that it is always either the old or the new
// content: a temporary file beside it is written, each write checked, synced and renamed over
// it, and the folder synced. An existing file keeps its mode and, where we may, its owner; a
// new one gets 0644 less the umask. When `path` is a link, the file it leads to is replaced
// and the link kept. Returns 0 or errno; on failure the old file is untouched and no
// temporary file is left.
int replace(const QString &path, const QByteArray &data);

} // namespace AtomicFile
